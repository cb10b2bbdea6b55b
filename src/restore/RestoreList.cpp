#include "restore/RestoreList.h"

#include "platform/ProgramFolder.h"

namespace restore
{

QString restoreListPath(const QString& setName)
{
    return platform::ProgramFolder::file(QStringLiteral("data/") + setName + QStringLiteral("RESTORE.lst"));
}

} // namespace restore
