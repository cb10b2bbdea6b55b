#include "platform/FileCopy.h"

#include <atomic>
#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "platform/PendingFile.h"

namespace platform
{
namespace
{
constexpr qint64 kChunkSize = 1024 * 1024;
// The kernel copies without a buffer of ours, so its chunks can be larger and still let a stop be
// seen within a fraction of a second on a slow disk.
constexpr qint64 kKernelChunkSize = 4 * 1024 * 1024;

QString systemText(int error)
{
    return qt_error_string(error);
}

CopyResult readFailure(const QString& path, int error)
{
    return {Result::failure(QStringLiteral("cannot read %1: %2").arg(path, systemText(error)))};
}

CopyResult writeFailure(const QString& path, int error)
{
    return {Result::failure(QStringLiteral("cannot write %1: %2").arg(path, systemText(error))), 0, error};
}

CopyResult folderTarget(const QString& path)
{
    return {Result::failure(QStringLiteral("%1 is a folder").arg(path))};
}

bool isFolderAt(const QByteArray& path)
{
    struct stat info = {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

class Descriptor
{
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size_t(size));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        size -= done;
    }
    return true;
}

enum class Copied
{
    All,
    Stopped,
    ReadFailed,
    WriteFailed,
    // Not copied this way: copy through our own buffer, from the files' current positions.
    Declined,
};

// Copies through our own buffer to the end of the source, with the run's yield and stop check
// between chunks.
Copied bufferedCopy(int in, int out, qint64 sizeHint, qint64& copied, RunContext& run, int& error)
{
    const qint64 chunk = qBound<qint64>(4096, sizeHint, kChunkSize);
    const std::unique_ptr<char[]> buffer(new char[chunk]);
    for (;;) {
        const ssize_t got = ::read(in, buffer.get(), size_t(chunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            return Copied::ReadFailed;
        }
        if (got == 0)
            return Copied::All;
        if (!writeAll(out, buffer.get(), got)) {
            error = errno;
            return Copied::WriteFailed;
        }
        copied += got;
        run.yield();
        if (run.stopRequested())
            return Copied::Stopped;
    }
}

// Shares the source's blocks with the copy where the file system offers it (btrfs, XFS): no bytes
// move, whatever the size.
Copied clone(int in, int out, qint64& copied)
{
    struct stat info = {};
    if (::ioctl(out, FICLONE, in) != 0 || ::fstat(out, &info) != 0)
        return Copied::Declined;
    copied = info.st_size;
    return Copied::All;
}

// Set once the kernel has said it has no copy_file_range at all.
std::atomic<bool> noKernelCopy {false};

// Lets the kernel move the bytes from file to file, in chunks with the run's yield and stop check
// between them; the files' positions advance past what was copied, so a decline goes on from there.
// A chunk that comes short at the source's size ends the copy without asking for the end once more.
Copied kernelCopy(int in, int out, qint64 sourceSize, qint64& copied, RunContext& run, int& error)
{
    if (noKernelCopy.load(std::memory_order_relaxed))
        return Copied::Declined;
    bool any = false;
    for (;;) {
        const ssize_t done = ::copy_file_range(in, nullptr, out, nullptr, size_t(kKernelChunkSize), 0);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0) {
            if (errno == ENOSYS)
                noKernelCopy.store(true, std::memory_order_relaxed);
            if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG) {
                error = errno;
                return Copied::WriteFailed;
            }
            // Another file system, a special file, an old kernel; a read or write error, too, is
            // left to the buffered copy, which tells which of the two files it belongs to.
            return Copied::Declined;
        }
        // A file whose size says less than it holds (as in /proc and /sys) can give nothing at
        // once: the buffered copy reads on to the real end.
        if (done == 0)
            return any ? Copied::All : Copied::Declined;
        any = true;
        copied += done;
        run.yield();
        if (run.stopRequested())
            return Copied::Stopped;
        if (done < kKernelChunkSize && copied == sourceSize)
            return Copied::All;
    }
}

// Copies every byte of `in` to the empty `out`: shared blocks where the file system offers them,
// else the kernel's copy, else our own buffer. The kernel's copy shares blocks by itself where it
// can, so only a file of several of its chunks is worth a separate try at sharing.
Copied copyBytes(int in, int out, qint64 sourceSize, qint64& copied, RunContext& run, int& error)
{
    Copied outcome = Copied::Declined;
    if (sourceSize > kKernelChunkSize)
        outcome = clone(in, out, copied);
    if (sourceSize > 0 && outcome == Copied::Declined)
        outcome = kernelCopy(in, out, sourceSize, copied, run, error);
    return outcome == Copied::Declined ? bufferedCopy(in, out, sourceSize, copied, run, error) : outcome;
}
} // namespace

CopyResult copyFileReplacing(const QString& source, const QString& target, RunContext& run, TemporaryNames* names)
{
    const QByteArray sourcePath = QFile::encodeName(source);
    const QByteArray targetPath = QFile::encodeName(target);
    Descriptor in(::open(sourcePath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0)
        return readFailure(source, errno);
    struct stat sourceInfo = {};
    if (::fstat(in.get(), &sourceInfo) != 0)
        return readFailure(source, errno);
    if (!S_ISREG(sourceInfo.st_mode))
        return {Result::failure(QStringLiteral("cannot read %1: it is not a file").arg(source))};

    PendingFile out(target, names);
    if (!out.open())
        return writeFailure(target, out.error());
    // A named copy can tell at once that a folder is in the way; an unnamed one is told by its link.
    if (out.named() && isFolderAt(targetPath))
        return folderTarget(target);

    qint64 copied = 0;
    int error = 0;
    switch (copyBytes(in.get(), out.fd(), qint64(sourceInfo.st_size), copied, run, error)) {
    case Copied::All:
    case Copied::Declined:
        break;
    case Copied::Stopped:
        return {Result::stop(QStringLiteral("stopped"))};
    case Copied::ReadFailed:
        return readFailure(source, error);
    case Copied::WriteFailed:
        return writeFailure(target, error);
    }
    out.stamp(sourceInfo.st_mtim, sourceInfo.st_mode);
    if (!out.place())
        return out.error() == EISDIR ? folderTarget(target) : writeFailure(target, out.error());
    return {Result::success(), copied};
}

bool isLostDestinationError(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EROFS:
    case EIO:
    case ENODEV:
    case ENXIO:
    case ESTALE:
    case ENOTCONN:
        return true;
    default:
        return false;
    }
}

bool setFileDateAndMode(const QString& path, const QDateTime& modified, std::optional<quint32> mode)
{
    const QByteArray native = QFile::encodeName(path);
    bool ok = true;
    if (modified.isValid()) {
        const qint64 ms = modified.toMSecsSinceEpoch();
        const qint64 seconds = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
        const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(seconds), long(ms - seconds * 1000) * 1000000L}};
        ok = ::utimensat(AT_FDCWD, native.constData(), times, 0) == 0;
    }
    if (mode)
        ok = ::chmod(native.constData(), mode_t(*mode & 0777)) == 0 && ok;
    return ok;
}

} // namespace platform
