#include "engine/FileSearch.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QList>
#include <QSet>

#include "platform/EventLoop.h"

namespace engine
{
namespace
{
// Greedy match that falls back to the last "*" seen; both sides are case-folded code points.
bool wildMatch(const QList<uint>& name, const QList<uint>& pattern, qsizetype patternEnd)
{
    constexpr uint star = '*';
    constexpr uint question = '?';
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starAt = -1;
    qsizetype starName = 0;
    while (n < name.size()) {
        if (p < patternEnd && pattern.at(p) == star) {
            starAt = p++;
            starName = n;
        } else if (p < patternEnd && (pattern.at(p) == question || pattern.at(p) == name.at(n))) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < patternEnd && pattern.at(p) == star)
        ++p;
    return p == patternEnd;
}

enum class EntryKind
{
    File,
    Folder,
    Other
};

struct Entry
{
    QString name;
    QByteArray nativeName;
    // What the folder listing says the entry is (DT_UNKNOWN where the file system does not say).
    unsigned char listedType = DT_UNKNOWN;
    EntryKind kind = EntryKind::Other;
};

// The names of an open folder, in name order. Takes over its own copy of the descriptor.
bool readEntries(int dirFd, std::vector<Entry>& entries)
{
    const int listFd = ::dup(dirFd);
    if (listFd < 0)
        return false;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return false;
    }
    errno = 0;
    while (const dirent* item = ::readdir(dir)) {
        const QByteArray native(item->d_name);
        if (native != "." && native != "..")
            entries.push_back(Entry {QFile::decodeName(native), native, item->d_type, EntryKind::Other});
        errno = 0;
    }
    const bool ok = errno == 0;
    ::closedir(dir);
    // The disk keeps names in no useful order; the list of a run should not depend on it.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int folded = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.name < b.name;
    });
    return ok;
}

// A link counts only when it leads to a regular file; dangling links are left alone.
EntryKind linkKind(int dirFd, const Entry& entry)
{
    struct stat target = {};
    if (::fstatat(dirFd, entry.nativeName.constData(), &target, 0) == 0 && S_ISREG(target.st_mode))
        return EntryKind::File;
    return EntryKind::Other;
}

// What an entry is, without following a link to a folder. Files that vanished meanwhile are Other;
// false when the entry cannot be examined. Once an entry of the folder could be examined
// (`searchable`), the type its listing gives is taken without a look at the entry itself: a look
// per file costs a system call, and the listing already holds the answer.
bool classify(int dirFd, Entry& entry, bool& searchable)
{
    if (searchable) {
        switch (entry.listedType) {
        case DT_REG:
            entry.kind = EntryKind::File;
            return true;
        case DT_DIR:
            entry.kind = EntryKind::Folder;
            return true;
        case DT_LNK:
            entry.kind = linkKind(dirFd, entry);
            return true;
        case DT_UNKNOWN:
            break;
        default:
            return true;
        }
    }
    struct stat st = {};
    if (::fstatat(dirFd, entry.nativeName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    searchable = true;
    if (S_ISDIR(st.st_mode))
        entry.kind = EntryKind::Folder;
    else if (S_ISREG(st.st_mode))
        entry.kind = EntryKind::File;
    else if (S_ISLNK(st.st_mode))
        entry.kind = linkKind(dirFd, entry);
    return true;
}

bool holdsLineBreak(const QString& name)
{
    return name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'));
}
} // namespace

bool includePatternMatches(QStringView name, QStringView pattern)
{
    if (pattern.isEmpty())
        return false;
    // "*" and "*.*", what most sets use, take every name without the case folding.
    const auto onlyStars = [](QStringView part) {
        return !part.isEmpty() && std::all_of(part.begin(), part.end(), [](QChar c) { return c == QLatin1Char('*'); });
    };
    if (onlyStars(pattern) || (pattern.endsWith(QLatin1String(".*")) && onlyStars(pattern.chopped(2))))
        return true;
    const QList<uint> foldedName = name.toString().toCaseFolded().toUcs4();
    const QList<uint> foldedPattern = pattern.toString().toCaseFolded().toUcs4();
    if (wildMatch(foldedName, foldedPattern, foldedPattern.size()))
        return true;
    return pattern.endsWith(QLatin1String(".*")) && wildMatch(foldedName, foldedPattern, foldedPattern.size() - 2);
}

struct clsdirsearch::Walk
{
    // Identities of the folders being walked, to refuse a folder that contains itself (bind mounts).
    std::vector<std::pair<dev_t, ino_t>> ancestors;
    std::vector<std::pair<dev_t, ino_t>> skipped;

    bool skips(const std::pair<dev_t, ino_t>& identity) const
    {
        return std::find(skipped.begin(), skipped.end(), identity) != skipped.end();
    }
};

void clsdirsearch::findfiles(const QString& startFolder, const QString& patternList)
{
    m_filesFound.clear();
    m_unreadable.clear();
    m_unlistable.clear();
    m_searchPatterns = patternList.split(QLatin1Char('|'));
    m_searchCancelled = false;
    m_pause = false;

    Walk walk;
    struct stat st = {};
    for (const QString& folder : std::as_const(m_foldersToSkip)) {
        if (!folder.isEmpty() && ::stat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            walk.skipped.emplace_back(st.st_dev, st.st_ino);
    }
    // The folder the user chose may itself be a link; only links met below it are not followed.
    const int fd = ::open(QFile::encodeName(startFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && ::fstat(fd, &st) == 0) {
        walk.ancestors.emplace_back(st.st_dev, st.st_ino);
        if (walk.skips(walk.ancestors.back())) {
            ::close(fd);
            return;
        }
    }
    searchFolder(walk, startFolder, fd);
    if (fd >= 0)
        ::close(fd);
}

bool clsdirsearch::stopRequested()
{
    if (m_run.stopRequested())
        m_searchCancelled = true;
    return m_searchCancelled;
}

void clsdirsearch::waitWhilePaused()
{
    // A stop request ends the pause too: a paused walk must not outlive a cancelled run.
    const auto paused = [this] { return m_pause && !m_searchCancelled && !m_run.stopRequested(); };
    while (paused())
        platform::waitWhile(paused, 100);
}

void clsdirsearch::searchFolder(Walk& walk, const QString& folderPath, int dirFd)
{
    if (m_run.stopRequested())
        return;
    const QString folder = folderPath.endsWith(QLatin1Char('/')) ? folderPath : folderPath + QLatin1Char('/');
    if (searching)
        searching(folder);

    std::vector<Entry> entries;
    if (dirFd < 0 || !readEntries(dirFd, entries))
        m_unreadable << folder;

    // Scan: what each entry is, with progress for every one.
    std::vector<const Entry*> files;
    std::vector<const Entry*> subfolders;
    bool searchable = false;
    for (Entry& entry : entries) {
        m_run.yield();
        if (!classify(dirFd, entry, searchable))
            m_unreadable << folder + entry.name;
        if (entry.kind == EntryKind::Folder)
            subfolders.push_back(&entry);
        else if (entry.kind == EntryKind::File)
            files.push_back(&entry);
        m_run.showStatus(QStringLiteral("[Indexing Files]\n") + folder + entry.name);
        if (m_run.stopRequested())
            return;
        m_run.yield();
        waitWhilePaused();
        if (stopRequested())
            return;
    }

    // Match: each pattern in turn over the folder's own files. A file appears once in its folder, so
    // only a second pattern can find it again (an empty one finds nothing).
    const bool severalPatterns = std::count_if(m_searchPatterns.cbegin(), m_searchPatterns.cend(),
                                               [](const QString& p) { return !p.isEmpty(); })
        > 1;
    QSet<QString> taken;
    for (const QString& pattern : std::as_const(m_searchPatterns)) {
        for (const Entry* file : files) {
            if (!includePatternMatches(file->name, pattern))
                continue;
            m_run.yield();
            if (!severalPatterns || !taken.contains(file->name)) {
                if (severalPatterns)
                    taken.insert(file->name);
                if (holdsLineBreak(file->name)) {
                    m_unlistable << folder + file->name;
                } else {
                    m_filesFound << folder + file->name;
                    if (found)
                        found(file->name, folder);
                }
            }
            waitWhilePaused();
            // The run's stop request too: a folder of many thousand files must not delay it.
            if (stopRequested())
                return;
        }
    }

    if (!m_searchInSubfolders)
        return;
    for (const Entry* sub : subfolders) {
        waitWhilePaused();
        if (stopRequested())
            return;
        const QString path = folder + sub->name;
        const int childFd
            = ::openat(dirFd, sub->nativeName.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (childFd < 0) {
            if (errno != ENOENT)
                m_unreadable << path + QLatin1Char('/');
            continue;
        }
        struct stat st = {};
        const bool known = ::fstat(childFd, &st) == 0;
        const std::pair<dev_t, ino_t> identity(st.st_dev, st.st_ino);
        if (known && !walk.skips(identity)
            && std::find(walk.ancestors.begin(), walk.ancestors.end(), identity) == walk.ancestors.end()) {
            walk.ancestors.push_back(identity);
            searchFolder(walk, path, childFd);
            walk.ancestors.pop_back();
        }
        ::close(childFd);
        m_run.yield();
    }
}

} // namespace engine
