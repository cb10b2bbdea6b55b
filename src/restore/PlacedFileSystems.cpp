#include "restore/PlacedFileSystems.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace restore
{

PlacedFileSystems::~PlacedFileSystems()
{
    for (const int fd : std::as_const(m_open))
        ::close(fd);
}

void PlacedFileSystems::note(const QString& folder)
{
    if (m_folders.contains(folder))
        return;
    m_folders.insert(folder);
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || m_open.contains(quint64(info.st_dev))) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    m_open.insert(quint64(info.st_dev), fd);
}

platform::Result PlacedFileSystems::sync()
{
    platform::Result synced = platform::Result::success();
    for (const int fd : std::as_const(m_open)) {
        if (::syncfs(fd) != 0 && synced.succeeded())
            synced = platform::Result::failure(
                QStringLiteral("the restored files may not be on the disk: %1").arg(qt_error_string(errno)));
        ::close(fd);
    }
    m_open.clear();
    m_folders.clear();
    return synced;
}

} // namespace restore
