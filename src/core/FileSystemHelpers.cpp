#include "core/FileSystemHelpers.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

#include "core/ErrorReport.h"
#include "core/PathHelpers.h"
#include "platform/DateText.h"

namespace core
{
namespace
{
const QString kFolderSizeLocation = QStringLiteral("modGeneral.FolderSize(strFolder)");
const QString kFolderDateLocation = QStringLiteral("modGeneral.FolderDateModified(strFolder)");

bool isDotEntry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The names in an open folder, read before anything in it changes. Takes over the descriptor.
bool readNames(int dirFd, std::vector<QByteArray>& names, int& error)
{
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        error = errno;
        ::close(dirFd);
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isDotEntry(entry->d_name))
            names.emplace_back(entry->d_name);
        errno = 0;
    }
    error = errno;
    ::closedir(dir);
    return error == 0;
}

int openFolderAt(int parentFd, const QByteArray& name)
{
    return ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Adds up the sizes of the regular files below an open folder. A big tree costs a system call for
// each of its entries, so the entries are handed out in pieces of a few hundred: the calling thread
// takes pieces, and helper threads join in while more pieces wait than threads work. Ends at the
// first part that cannot be read.
class FolderSizeWalk
{
public:
    // Takes over `rootFd`.
    explicit FolderSizeWalk(int rootFd)
        : m_maxHelpers(std::max(0, std::min(8, QThread::idealThreadCount()) - 1))
    {
        int error = 0;
        std::vector<Piece> pieces;
        listFolder(rootFd, pieces, error);
        m_pending = std::move(pieces);
        m_error = error;
    }

    bool run(qint64& total, int& error)
    {
        work();
        for (std::thread& helper : m_helpers)
            helper.join();
        total = m_total;
        error = m_error;
        return m_error == 0;
    }

private:
    // An open folder and its names, closed once every piece of it is done.
    struct Folder
    {
        int fd = -1;
        std::vector<QByteArray> names;
        ~Folder() { ::close(fd); }
    };

    struct Piece
    {
        std::shared_ptr<const Folder> folder;
        std::size_t begin = 0;
        std::size_t end = 0;
    };

    static constexpr std::size_t PieceSize = 256;

    // Reads the names of the folder (taking over `fd`) and cuts them into pieces.
    static void listFolder(int fd, std::vector<Piece>& pieces, int& error)
    {
        auto folder = std::make_shared<Folder>();
        folder->fd = fd;
        // Keep a descriptor of our own: readNames closes the one it is given.
        const int listFd = ::dup(fd);
        if (listFd < 0) {
            error = errno;
            return;
        }
        if (!readNames(listFd, folder->names, error))
            return;
        for (std::size_t begin = 0; begin < folder->names.size(); begin += PieceSize)
            pieces.push_back({folder, begin, std::min(folder->names.size(), begin + PieceSize)});
    }

    // The sizes of a piece's files; its sub-folders are listed into more pieces.
    static void addPiece(const Piece& piece, qint64& size, std::vector<Piece>& more, int& error)
    {
        const int dirFd = piece.folder->fd;
        for (std::size_t i = piece.begin; i < piece.end && error == 0; ++i) {
            const QByteArray& name = piece.folder->names[i];
            struct stat st = {};
            if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                error = errno;
            } else if (S_ISREG(st.st_mode)) {
                size += st.st_size;
            } else if (S_ISDIR(st.st_mode)) {
                const int childFd = openFolderAt(dirFd, name);
                if (childFd < 0)
                    error = errno;
                else
                    listFolder(childFd, more, error);
            }
        }
    }

    void work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_error != 0 || !m_pending.empty() || m_busy == 0; });
            if (m_error != 0 || m_pending.empty()) {
                m_changed.notify_all();
                return;
            }
            const Piece piece = std::move(m_pending.back());
            m_pending.pop_back();
            ++m_busy;
            if (!m_pending.empty() && m_helpers.size() < m_maxHelpers)
                m_helpers.emplace_back([this] { work(); });
            lock.unlock();
            qint64 size = 0;
            int error = 0;
            std::vector<Piece> more;
            addPiece(piece, size, more, error);
            lock.lock();
            --m_busy;
            m_total += size;
            if (error != 0 && m_error == 0)
                m_error = error;
            for (Piece& next : more)
                m_pending.push_back(std::move(next));
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Piece> m_pending;
    std::vector<std::thread> m_helpers;
    const std::size_t m_maxHelpers;
    int m_busy = 0;
    qint64 m_total = 0;
    int m_error = 0;
};

// Removes everything below an open folder, going on past failures; true when every step worked.
bool removeContents(int dirFd)
{
    std::vector<QByteArray> names;
    int error = 0;
    const int listFd = ::dup(dirFd);
    if (listFd < 0 || !readNames(listFd, names, error))
        return false;
    bool ok = true;
    for (const QByteArray& name : names) {
        struct stat st = {};
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = false;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            // A read-only folder cannot give up its entries until it is writable again.
            if ((st.st_mode & S_IRWXU) != S_IRWXU)
                ::fchmodat(dirFd, name.constData(), (st.st_mode | S_IRWXU) & 07777, 0);
            const int childFd = openFolderAt(dirFd, name);
            if (childFd < 0) {
                ok = false;
                continue;
            }
            ok = removeContents(childFd) && ok;
            ::close(childFd);
            if (::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) != 0)
                ok = false;
        } else if (::unlinkat(dirFd, name.constData(), 0) != 0) {
            ok = false;
        }
    }
    return ok;
}

// One trailing "/" is not part of the folder's name.
QString withoutTrailingSlash(const QString& folder)
{
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        return folder.chopped(1);
    return folder;
}

bool isSameOrAncestor(const QString& folder, const QString& path)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Folders whose deletion would take the user's own data with it.
bool isProtectedFolder(const QString& folder)
{
    const QString clean = QDir::cleanPath(folder);
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString home = QDir::cleanPath(QDir::homePath());
    const QString homeCanonical = QFileInfo(home).canonicalFilePath();
    for (const QString& path : {clean, canonical}) {
        if (path.isEmpty())
            continue;
        if (path == QLatin1String("/"))
            return true;
        for (const QString& homePath : {home, homeCanonical}) {
            if (!homePath.isEmpty() && isSameOrAncestor(path, homePath))
                return true;
        }
    }
    return false;
}

qint32 errorNumberOf(int systemError)
{
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
        return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return err::PermissionDenied;
    case ENOSPC:
        return err::DiskFull;
    default:
        return err::PathFileAccess;
    }
}

QString errorDescriptionOf(qint32 number)
{
    switch (number) {
    case err::PathNotFound:
        return QStringLiteral("Path not found");
    case err::PermissionDenied:
        return QStringLiteral("Permission denied");
    case err::DiskFull:
        return QStringLiteral("Disk full");
    default:
        return QStringLiteral("Path/File access error");
    }
}
} // namespace

void reportFileFailure(const QString& location, const QVariantList& argValues, int systemError)
{
    const qint32 number = errorNumberOf(systemError);
    reportFailure(location, argValues, number, errorDescriptionOf(number), systemError);
}

bool FileExists(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')))
        return false;
    return QFileInfo(path).isFile();
}

void MakeDirSafe(const QString& folder)
{
    if (!folder.isEmpty())
        QDir().mkdir(folder);
}

bool MakePath(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    // The first part is the root (or the start of a relative path) and the last one the file.
    QString sofar = parts.first();
    for (qsizetype i = 1; i + 1 < parts.size(); ++i) {
        sofar += QLatin1Char('/') + parts.at(i);
        if (!parts.at(i).isEmpty())
            MakeDirSafe(sofar);
    }
    const std::optional<QString> folder = ParentFolder(path);
    return !folder || QFileInfo(*folder).isDir();
}

bool mayDeleteFolderTree(const QString& folder)
{
    const QString path = withoutTrailingSlash(folder);
    if (path.isEmpty() || !path.startsWith(QLatin1Char('/')))
        return false;
    if (path.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return false;
    if (isProtectedFolder(path))
        return false;
    struct stat st = {};
    return !(::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode));
}

bool DeleteFolderTree(const QString& folder)
{
    if (!mayDeleteFolderTree(folder))
        return false;
    const QString path = withoutTrailingSlash(folder);
    const QByteArray native = QFile::encodeName(path);
    struct stat st = {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    // A folder that cannot leave its parent is not emptied either.
    if (::access(QFile::encodeName(Basedir(path)).constData(), W_OK | X_OK) != 0)
        return false;
    if ((st.st_mode & S_IRWXU) != S_IRWXU)
        ::chmod(native.constData(), (st.st_mode | S_IRWXU) & 07777);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    removeContents(fd);
    ::close(fd);
    ::rmdir(native.constData());
    return ::lstat(native.constData(), &st) != 0 && errno == ENOENT;
}

FolderBelow DeleteFolderBelow(const QString& base, const QStringList& parts)
{
    if (parts.isEmpty())
        return FolderBelow::Failed;
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")
            || part.contains(QLatin1Char('/')))
            return FolderBelow::Failed;
    }
    if (isProtectedFolder(withoutTrailingSlash(base) + QLatin1Char('/') + parts.join(QLatin1Char('/'))))
        return FolderBelow::Failed;
    // The base is the user's own choice and may be reached through a link; nothing below it is.
    int parentFd = ::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return FolderBelow::Failed;
    const auto endWith = [&parentFd](FolderBelow how) {
        ::close(parentFd);
        return how;
    };
    const auto afterOpenFailed = [](int error) {
        if (error == ENOENT)
            return FolderBelow::Gone;
        return error == ELOOP || error == ENOTDIR ? FolderBelow::NotAFolder : FolderBelow::Failed;
    };
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const int childFd = openFolderAt(parentFd, QFile::encodeName(parts.at(i)));
        if (childFd < 0)
            return endWith(afterOpenFailed(errno));
        ::close(parentFd);
        parentFd = childFd;
    }
    const QByteArray name = QFile::encodeName(parts.last());
    struct stat st = {};
    if (::fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return endWith(errno == ENOENT ? FolderBelow::Gone : FolderBelow::Failed);
    if (!S_ISDIR(st.st_mode))
        return endWith(FolderBelow::NotAFolder);
    // A folder that cannot leave its parent is not emptied either.
    if (::faccessat(parentFd, ".", W_OK | X_OK, 0) != 0)
        return endWith(FolderBelow::Failed);
    if ((st.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmodat(parentFd, name.constData(), (st.st_mode | S_IRWXU) & 07777, 0);
    const int folderFd = openFolderAt(parentFd, name);
    if (folderFd < 0)
        return endWith(afterOpenFailed(errno));
    removeContents(folderFd);
    ::close(folderFd);
    ::unlinkat(parentFd, name.constData(), AT_REMOVEDIR);
    const bool gone = ::fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
    return endWith(gone ? FolderBelow::Gone : FolderBelow::Failed);
}

qint64 FolderSize(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        reportFileFailure(kFolderSizeLocation, {folder}, errno);
        return -1;
    }
    qint64 total = 0;
    int error = 0;
    if (!FolderSizeWalk(fd).run(total, error)) {
        reportFileFailure(kFolderSizeLocation, {folder}, error);
        return -1;
    }
    return total;
}

double FolderDateModified(const QString& folder)
{
    struct stat st = {};
    const bool found = ::stat(QFile::encodeName(folder).constData(), &st) == 0;
    const int error = found ? ENOTDIR : errno;
    if (!found || !S_ISDIR(st.st_mode)) {
        reportFileFailure(kFolderDateLocation, {folder}, error);
        return platform::toDateValue(QDate(1901, 1, 1));
    }
    return platform::localDateValue(QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec, Qt::UTC));
}

std::optional<QString> GetFileDateModified(const QString& path)
{
    if (!FileExists(path))
        return std::nullopt;
    const QDateTime modified = QFileInfo(path).lastModified();
    return platform::DateText::generalDate(QDateTime::fromSecsSinceEpoch(modified.toSecsSinceEpoch()));
}

double Win32ToVbTime(qint64 fileTime)
{
    // 100-nanosecond steps from 1 January 1601 to 1 January 1970.
    constexpr qint64 unixEpochFileTime = 116444736000000000LL;
    if (fileTime < 0) {
        reportFailure(QStringLiteral("modFTP.Win32ToVbTime(ft)"), {fileTime}, err::InvalidArgument,
                      QStringLiteral("Invalid procedure call or argument"));
        return 0.0;
    }
    const qint64 steps = fileTime - unixEpochFileTime;
    // Whole milliseconds, rounded down also before 1970.
    const qint64 msSinceEpoch = steps / 10000 - (steps % 10000 < 0 ? 1 : 0);
    return platform::localDateValue(QDateTime::fromMSecsSinceEpoch(msSinceEpoch, Qt::UTC));
}

} // namespace core
