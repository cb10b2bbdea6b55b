#include "restore/RestoreList.h"

#include <QFile>
#include <QFileInfo>

#include "core/ProgramState.h"
#include "platform/FileWriter.h"
#include "platform/ProgramFolder.h"

namespace restore
{

std::optional<QString> loadedSetName()
{
    const core::BackupSetInfo& set = core::state().CurrentSet;
    if (set.ItemName.isEmpty() || set.LoadFailed)
        return std::nullopt;
    return set.ItemName;
}

QString restoreListPath(const QString& setName)
{
    return platform::ProgramFolder::file(QStringLiteral("data/") + setName + QStringLiteral("RESTORE.lst"));
}

std::optional<QStringList> readLastRunFiles(const QString& setName, QString& error)
{
    const QString list = core::setFileListPath(setName);
    if (!QFileInfo::exists(list)) {
        error = QStringLiteral("The set \"%1\" has no list of the files of its last run (%2).").arg(setName, list);
        return std::nullopt;
    }
    return core::readSetFileList(setName, error);
}

platform::Result writeRestoreList(const QString& setName, const QStringList& paths)
{
    QByteArray bytes;
    for (const QString& path : paths)
        bytes += path.toUtf8() + "\r\n";
    platform::makePrivateFolder(platform::ProgramFolder::file(QStringLiteral("data")));
    QString reason;
    if (!platform::fileWriter().replaceFile(restoreListPath(setName), bytes, reason))
        return platform::Result::failure(reason);
    return platform::Result::success();
}

} // namespace restore
