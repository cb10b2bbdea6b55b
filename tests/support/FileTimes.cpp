#include "support/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>

namespace test
{

bool setModified(const QString& path, const QDateTime& when)
{
    return setModified(path, when.toSecsSinceEpoch());
}

bool setModified(const QString& path, qint64 secondsSinceEpoch)
{
    const timespec time {static_cast<time_t>(secondsSinceEpoch), 0};
    const timespec times[2] = {time, time};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

} // namespace test
