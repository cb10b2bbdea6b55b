#include "support/SmallDisk.h"

#include <cerrno>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace test
{

SmallDisk::SmallDisk(const QString& folder, const QByteArray& size)
    : m_path(folder)
    , m_folder(QFile::encodeName(folder))
{
    QDir().mkpath(folder);
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, QByteArray("size=" + size).constData()) != 0) {
        m_error = qt_error_string(errno);
        return;
    }
    m_mounted = true;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(m_folder.constData(), MNT_DETACH);
}

bool SmallDisk::fill(qint64 room)
{
    const QByteArray filler = QFile::encodeName(m_path + "/filler");
    const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) { }
    // Whatever is left is smaller than a block.
    while (::write(fd, "f", 1) == 1) { }
    bool full = errno == ENOSPC;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (full && room > 0)
        full = size >= room && ::ftruncate(fd, size - room) == 0;
    ::close(fd);
    return full;
}

} // namespace test
