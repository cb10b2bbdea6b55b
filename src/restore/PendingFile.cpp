#include "restore/PendingFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "platform/FileCopy.h"

namespace restore
{

PendingFile::PendingFile(QString target)
    : m_target(std::move(target))
{ }

PendingFile::~PendingFile()
{
    discard();
}

QString PendingFile::path() const
{
    return QFile::decodeName(m_temp);
}

platform::Result PendingFile::failed(int error)
{
    m_reason = QStringLiteral("cannot write %1: %2").arg(m_target, qt_error_string(error));
    return platform::Result::failure(m_reason);
}

platform::Result PendingFile::open()
{
    discard();
    const QFileInfo target(m_target);
    QByteArray temp = QFile::encodeName(target.absolutePath()) + "/."
        + platform::temporaryStem(QFile::encodeName(target.fileName())) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    m_fd = fd;
    m_temp = temp;
    return platform::Result::success();
}

bool PendingFile::write(const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(m_fd, data, size_t(size));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            failed(done < 0 ? errno : ENOSPC);
            return false;
        }
        data += done;
        size -= done;
    }
    return true;
}

platform::Result PendingFile::finish(const QDateTime& modified, std::optional<quint32> mode)
{
    if (modified.isValid()) {
        const qint64 ms = modified.toMSecsSinceEpoch();
        const qint64 seconds = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
        const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(seconds), long(ms - seconds * 1000) * 1000000L}};
        ::futimens(m_fd, times);
    }
    if (mode)
        ::fchmod(m_fd, mode_t(*mode & 0777));
    const int fd = m_fd;
    m_fd = -1;
    // Some file systems report a failed write only here.
    if (::close(fd) != 0)
        return failed(errno);
    return platform::Result::success();
}

platform::Result PendingFile::place()
{
    const QByteArray target = QFile::encodeName(m_target);
    struct stat there = {};
    if (::lstat(target.constData(), &there) == 0) {
        const int fd = ::open(m_temp.constData(), O_RDONLY | O_CLOEXEC);
        const bool onDisk = fd >= 0 && (::fdatasync(fd) == 0 || errno == EINVAL);
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        if (!onDisk)
            return failed(error);
    }
    if (::rename(m_temp.constData(), target.constData()) != 0)
        return failed(errno);
    m_temp.clear();
    return platform::Result::success();
}

void PendingFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.isEmpty())
        ::unlink(m_temp.constData());
    m_temp.clear();
}

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
