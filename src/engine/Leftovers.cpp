#include "engine/Leftovers.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "core/RunLog.h"
#include "core/TimestampFormat.h"
#include "platform/FileCopy.h"

namespace engine
{
namespace
{
const QString PartialSuffix = QStringLiteral(".partial");

// Deeper than any mirror of a source path that a run makes; a tree beyond it is not a leftover.
constexpr int DeepestLevel = 64;
// Entries an interrupted run leaves are few: a folder per level and a temporary file.
constexpr int MostEntries = 10000;

enum class Kind
{
    Folder,
    File,
    Other,
};

Kind kindOf(const QString& path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return Kind::Other;
    if (S_ISDIR(info.st_mode))
        return Kind::Folder;
    return S_ISREG(info.st_mode) ? Kind::File : Kind::Other;
}

// Gathers the tree below `folder`, deepest first, when it holds only folders and temporary copies.
bool onlyLeftovers(const QString& folder, int depth, QStringList& files, QStringList& folders)
{
    if (depth > DeepestLevel)
        return false;
    const QStringList names
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString path = folder + QLatin1Char('/') + name;
        switch (kindOf(path)) {
        case Kind::Folder:
            if (!onlyLeftovers(path, depth + 1, files, folders))
                return false;
            break;
        case Kind::File:
            if (!platform::isTemporaryCopyName(name))
                return false;
            files << path;
            break;
        case Kind::Other:
            return false;
        }
        if (files.size() + folders.size() > MostEntries)
            return false;
    }
    folders << folder;
    return true;
}
} // namespace

QString partialName(const QString& name)
{
    return name + PartialSuffix;
}

bool isPartialName(const QString& name)
{
    return name.size() > PartialSuffix.size() && name.endsWith(PartialSuffix);
}

bool isStaleTimestampFolder(const QString& name, const core::BackupSetInfo& set, const QString& currentStamp,
                            const QStringList& versionLines, bool slashesDropped)
{
    if (name.isEmpty() || name == currentStamp || !core::isTimestampFolderName(name, set, slashesDropped))
        return false;
    // Any mention keeps it, whatever the line's form: a version must never lose its folder.
    for (const QString& line : versionLines) {
        if (line.contains(name))
            return false;
    }
    return true;
}

void removeFolderLeftovers(const QString& folder, const core::BackupSetInfo& set, const QString& currentStamp,
                           const QStringList& versionLines)
{
    const QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString path = folder + QLatin1Char('/') + name;
        if (!isStaleTimestampFolder(name, set, currentStamp, versionLines, false) || kindOf(path) != Kind::Folder)
            continue;
        QStringList files;
        QStringList folders;
        if (!onlyLeftovers(path, 0, files, folders))
            continue;
        core::LogEvent(QStringLiteral("Removing what an interrupted backup left: ") + path);
        for (const QString& file : std::as_const(files))
            QFile::remove(file);
        for (const QString& emptied : std::as_const(folders))
            QDir().rmdir(emptied);
    }
}

} // namespace engine
