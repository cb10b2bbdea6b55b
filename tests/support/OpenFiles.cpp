#include "support/OpenFiles.h"

#include <QDir>
#include <QFile>

namespace test
{

bool writingBelow(const QString& folder, const QString& except)
{
    for (const QString& fd : QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString open = QFile::symLinkTarget("/proc/self/fd/" + fd);
        if (open.startsWith(folder + "/") && open != except)
            return true;
    }
    return false;
}

} // namespace test
