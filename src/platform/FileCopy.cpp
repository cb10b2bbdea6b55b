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
#include <QFileInfo>
#include <QRandomGenerator>

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

enum class Place
{
    Free,
    Folder,
    // A file, a link or anything else that a rename replaces.
    Taken,
};

Place placeAt(const QByteArray& path)
{
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0)
        return Place::Free;
    return S_ISDIR(info.st_mode) ? Place::Folder : Place::Taken;
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
    // Closes now, for the error that some file systems report only at close.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// The copy until it is complete: an unnamed file in the target's folder where the file system
// offers one, otherwise a hidden temporary name beside the target. Removed unless committed.
class PendingFile
{
public:
    PendingFile(const QByteArray& folder, const QByteArray& name)
        : m_folder(folder)
        , m_name(temporaryStem(name))
    { }
    ~PendingFile()
    {
        if (!m_tempPath.isEmpty())
            ::unlink(m_tempPath.constData());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool open(int& error)
    {
        m_fd = std::make_unique<Descriptor>(::open(m_folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        if (m_fd->get() >= 0)
            return true;
        QByteArray path = m_folder + "/." + m_name + ".XXXXXX";
        m_fd = std::make_unique<Descriptor>(::mkostemp(path.data(), O_CLOEXEC));
        if (m_fd->get() < 0) {
            error = errno;
            return false;
        }
        m_tempPath = path;
        return true;
    }
    int fd() const { return m_fd->get(); }
    // Whether the copy has a name of its own yet (where the file system offers no unnamed files).
    bool named() const { return !m_tempPath.isEmpty(); }

    // Gives an unnamed copy the target's name, with the source's modification time and permission
    // bits, when no file has that name. False with EEXIST when the name is taken.
    bool linkAsNew(const QByteArray& target, const struct stat& source, int& error)
    {
        stamp(source);
        if (linkUnder(target)) {
            m_fd->close();
            return true;
        }
        error = errno;
        return false;
    }

    // Gives the complete copy the target's name, replacing what is there in one step, with the
    // source's modification time and permission bits.
    bool commit(const QByteArray& target, const struct stat& source, int& error)
    {
        if (m_tempPath.isEmpty()) {
            stamp(source);
            // A file is in place: link the copy under a free name and rename it over that file.
            for (int attempt = 0; attempt < 16 && m_tempPath.isEmpty(); ++attempt) {
                const QByteArray temp
                    = m_folder + "/." + m_name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
                if (linkUnder(temp))
                    m_tempPath = temp;
                else if (errno != EEXIST) {
                    error = errno;
                    return false;
                }
            }
            if (m_tempPath.isEmpty()) {
                error = EEXIST;
                return false;
            }
            m_fd->close();
        } else {
            if (!m_fd->close()) {
                error = errno;
                return false;
            }
            const struct timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
            ::chmod(m_tempPath.constData(), source.st_mode & 0777);
            ::utimensat(AT_FDCWD, m_tempPath.constData(), times, 0);
        }
        if (::rename(m_tempPath.constData(), target.constData()) != 0) {
            error = errno;
            return false;
        }
        m_tempPath.clear();
        return true;
    }

private:
    void stamp(const struct stat& source)
    {
        if (m_stamped)
            return;
        const struct timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
        ::fchmod(fd(), source.st_mode & 0777);
        ::futimens(fd(), times);
        m_stamped = true;
    }

    // Links the unnamed copy under `path`: straight from its descriptor where the kernel lets a
    // process link the files it opened (Linux 6.10 on, or with the right privilege), else through
    // /proc.
    bool linkUnder(const QByteArray& path)
    {
        const bool tryDescriptor = !linkByDescriptorRefused.load(std::memory_order_relaxed);
        if (tryDescriptor) {
            if (::linkat(fd(), "", AT_FDCWD, path.constData(), AT_EMPTY_PATH) == 0)
                return true;
            // A refusal reads as a missing file (or, on an old kernel, an unknown flag).
            if (errno != ENOENT && errno != EPERM && errno != EINVAL)
                return false;
        }
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd());
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) != 0)
            return false;
        // Only a link that /proc made tells the refusal from a folder that went away.
        if (tryDescriptor)
            linkByDescriptorRefused.store(true, std::memory_order_relaxed);
        return true;
    }

    // Set once the kernel has refused to link a file by its descriptor alone.
    static inline std::atomic<bool> linkByDescriptorRefused {false};

    QByteArray m_folder;
    QByteArray m_name;
    std::unique_ptr<Descriptor> m_fd;
    QByteArray m_tempPath;
    bool m_stamped = false;
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

QByteArray temporaryStem(const QByteArray& name)
{
    constexpr qsizetype kLongestStem = 200;
    if (name.size() <= kLongestStem)
        return name;
    qsizetype cut = kLongestStem;
    while (cut > 0 && (uchar(name.at(cut)) & 0xC0) == 0x80)
        --cut;
    return name.left(cut);
}

bool isTemporaryCopyName(const QString& fileName)
{
    constexpr qsizetype kRandomPart = 6; // mkostemp's "XXXXXX"
    if (fileName.size() < kRandomPart + 3 || !fileName.startsWith(QLatin1Char('.'))
        || fileName.at(fileName.size() - kRandomPart - 1) != QLatin1Char('.'))
        return false;
    for (qsizetype i = fileName.size() - kRandomPart; i < fileName.size(); ++i) {
        const char c = fileName.at(i).toLatin1();
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

CopyResult copyFileReplacing(const QString& source, const QString& target, RunContext& run)
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

    const QFileInfo targetFile(target);
    PendingFile out(QFile::encodeName(targetFile.absolutePath()), QFile::encodeName(targetFile.fileName()));
    int error = 0;
    if (!out.open(error))
        return writeFailure(target, error);
    // A named copy's rename needs to know beforehand whether it replaces a file; an unnamed copy is
    // told by its link, once complete.
    Place place = out.named() ? placeAt(targetPath) : Place::Free;
    if (place == Place::Folder)
        return folderTarget(target);

    qint64 copied = 0;
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
    if (!out.named()) {
        if (out.linkAsNew(targetPath, sourceInfo, error))
            return {Result::success(), copied};
        if (error != EEXIST)
            return writeFailure(target, error);
        if (placeAt(targetPath) == Place::Folder)
            return folderTarget(target);
        place = Place::Taken;
    }
    // The previous copy goes only once the new one is on the disk; a new file has none to keep.
    if (place == Place::Taken && ::fdatasync(out.fd()) != 0 && errno != EINVAL)
        return writeFailure(target, errno);
    if (!out.commit(targetPath, sourceInfo, error))
        return writeFailure(target, error);
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
