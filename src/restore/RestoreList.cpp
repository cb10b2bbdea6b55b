#include "restore/RestoreList.h"

#include <QFile>

#include "core/FileWriter.h"
#include "core/ProgramState.h"
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
    QFile list(core::setFileListPath(setName));
    if (!list.exists()) {
        error = QStringLiteral("The set \"%1\" has no list of the files of its last run (%2).")
                    .arg(setName, list.fileName());
        return std::nullopt;
    }
    if (!list.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read \"%1\": %2").arg(list.fileName(), list.errorString());
        return std::nullopt;
    }
    QStringList paths;
    while (!list.atEnd()) {
        QByteArray bytes = list.readLine();
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        if (bytes.isEmpty() || bytes == " ")
            continue;
        paths << QString::fromUtf8(bytes);
    }
    if (list.error() != QFileDevice::NoError) {
        error = QStringLiteral("Cannot read \"%1\": %2").arg(list.fileName(), list.errorString());
        return std::nullopt;
    }
    return paths;
}

core::StoreResult writeRestoreList(const QString& setName, const QStringList& paths)
{
    QByteArray bytes;
    for (const QString& path : paths)
        bytes += path.toUtf8() + "\r\n";
    platform::makePrivateFolder(platform::ProgramFolder::file(QStringLiteral("data")));
    QString reason;
    if (!core::fileWriter().replaceFile(restoreListPath(setName), bytes, reason))
        return core::StoreResult::failed(reason);
    return {};
}

} // namespace restore
