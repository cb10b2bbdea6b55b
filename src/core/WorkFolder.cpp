#include "core/WorkFolder.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include "core/FileSystemHelpers.h"
#include "platform/PendingFile.h"
#include "platform/ProgramFolder.h"

namespace core
{
namespace
{
struct CurrentWorkFolder
{
    QString programFolder;
    QString path;
};

const QString kWorkPrefix = QStringLiteral("work-");
const QString kRestorePrefix = QStringLiteral("restore-");

// Removes the work folders ("<prefix><process id>-...") that processes which are gone left behind
// when they crashed or were killed: they may hold plain copies of protected data. Folders of
// processes that still run are theirs.
void removeAbandonedWorkFolders(const QString& tmp, const QString& prefix)
{
    const QStringList names = QDir(tmp).entryList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden);
    for (const QString& name : names) {
        bool isNumber = false;
        const qint64 pid = name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toLongLong(&isNumber);
        if (!isNumber || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        removeWorkFolder(tmp + QLatin1Char('/') + name);
    }
}

CurrentWorkFolder& workFolder()
{
    static CurrentWorkFolder folder;
    return folder;
}
} // namespace

QString WinTmpDir()
{
    const QString program = platform::ProgramFolder::path();
    CurrentWorkFolder& work = workFolder();
    if (work.programFolder == program && !work.path.isEmpty() && QFileInfo(work.path).isDir())
        return work.path;

    const QString tmp = platform::ProgramFolder::file(QStringLiteral("tmp"));
    errno = 0;
    if (!platform::makePrivateFolder(tmp)) {
        reportFileFailure(QStringLiteral("modFTPBackup.WinTmpDir"), {}, errno != 0 ? errno : EACCES);
        return QString();
    }
    removeAbandonedWorkFolders(tmp, kWorkPrefix);
    QByteArray pattern = QFile::encodeName(workFolderPattern(kWorkPrefix));
    if (!::mkdtemp(pattern.data())) {
        reportFileFailure(QStringLiteral("modFTPBackup.WinTmpDir"), {}, errno);
        return QString();
    }
    work = {program, QFile::decodeName(pattern) + QLatin1Char('/')};
    return work.path;
}

QString workFolderPattern(const QString& prefix)
{
    return platform::ProgramFolder::file(QStringLiteral("tmp")) + QLatin1Char('/') + prefix
        + QString::number(::getpid()) + QStringLiteral("-XXXXXX");
}

void removeAbandonedWorkFiles()
{
    const QString tmp = platform::ProgramFolder::file(QStringLiteral("tmp"));
    removeAbandonedWorkFolders(tmp, kWorkPrefix);
    removeAbandonedWorkFolders(tmp, kRestorePrefix);

    // A store write that never reached its rename leaves its temporary name: "<file>.XXXXXX", or
    // ".<file>.XXXXXX" since unnamed files take a hidden name just before the rename.
    static const QRegularExpression temporary(QStringLiteral("^.+\\.(sbd|bak|lst|sfl|ini)\\.[A-Za-z0-9]{6}$"));
    for (const char* folder : {"data", "settings"}) {
        const QDir store(platform::ProgramFolder::file(QLatin1String(folder)));
        for (const QString& name : store.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (temporary.match(name).hasMatch() && !QFileInfo(store.filePath(name)).isSymLink())
                QFile::remove(store.filePath(name));
        }
    }
}

QString temporaryNamesList(const QString& workFolder)
{
    return QDir(workFolder).filePath(QStringLiteral("temporary-names"));
}

bool removeWorkFolder(const QString& workFolder)
{
    platform::TemporaryNames::removeListed(temporaryNamesList(workFolder));
    return DeleteFolderTree(workFolder);
}

bool ReleaseWorkFolder()
{
    CurrentWorkFolder& work = workFolder();
    if (work.path.isEmpty())
        return true;
    const bool removed = removeWorkFolder(work.path) || !QFileInfo::exists(work.path);
    if (removed)
        work = CurrentWorkFolder {};
    return removed;
}

} // namespace core
