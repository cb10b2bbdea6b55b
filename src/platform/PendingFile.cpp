#include "platform/PendingFile.h"

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace platform
{
namespace
{
// Tries before a free hidden name is given up: each is random, so a clash means a crowded folder.
constexpr int kNameTries = 100;

// The part of a target's file name that its hidden names carry: all of it, or, for a long name, as
// much as leaves room for the dot and the random part within the file name limit, cut where a
// character starts.
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

// Six letters or digits, as mkostemp makes them and isTemporaryCopyName knows them.
QByteArray randomPart()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray part;
    for (int i = 0; i < 6; ++i)
        part += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
    return part;
}

bool isFolder(const QByteArray& path)
{
    struct stat info = {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::atomic<bool> unnamedFilesOffered {true};
// Set once the kernel has refused to link a file by its descriptor alone.
std::atomic<bool> linkByDescriptorRefused {false};
} // namespace

bool isTemporaryCopyName(const QString& fileName)
{
    constexpr qsizetype kRandomPart = 6;
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

TemporaryNames::TemporaryNames(QString listFile)
    : m_listFile(std::move(listFile))
{ }

bool TemporaryNames::add(const QByteArray& path)
{
    const QByteArray list = QFile::encodeName(m_listFile);
    const int fd = ::open(list.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray line = path + '\n';
    const ssize_t written = ::write(fd, line.constData(), size_t(line.size()));
    const int error = written < 0 ? errno : ENOSPC;
    const bool closed = ::close(fd) == 0;
    if (written != line.size()) {
        errno = error;
        return false;
    }
    return closed;
}

void TemporaryNames::removeListed(const QString& listFile)
{
    QFile list(listFile);
    if (!list.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = list.readAll().split('\n');
    list.close();
    for (const QByteArray& path : lines) {
        struct stat info = {};
        if (!path.startsWith('/') || ::lstat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (isTemporaryCopyName(QFileInfo(QFile::decodeName(path)).fileName()))
            ::unlink(path.constData());
    }
    list.remove();
}

PendingFile::PendingFile(QString target, TemporaryNames* names)
    : m_target(std::move(target))
    , m_names(names)
{
    const QFileInfo info(m_target);
    m_folder = QFile::encodeName(info.absolutePath());
    m_targetPath = QFile::encodeName(info.absoluteFilePath());
    m_stem = temporaryStem(QFile::encodeName(info.fileName()));
}

PendingFile::~PendingFile()
{
    discard();
}

void PendingFile::offerUnnamedFiles(bool offer)
{
    unnamedFilesOffered.store(offer, std::memory_order_relaxed);
}

bool PendingFile::failed(int error)
{
    m_error = error;
    return false;
}

QString PendingFile::reason() const
{
    return QStringLiteral("cannot write %1: %2").arg(m_target, qt_error_string(m_error));
}

QString PendingFile::path() const
{
    if (named())
        return QFile::decodeName(m_tempPath);
    return m_fd >= 0 ? QStringLiteral("/proc/self/fd/%1").arg(m_fd) : QString();
}

bool PendingFile::open()
{
    discard();
    m_synced = false;
    if (unnamedFilesOffered.load(std::memory_order_relaxed)) {
        m_fd = ::open(m_folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (m_fd >= 0)
            return true;
        // A missing folder is the same failure either way.
        if (errno == ENOENT || errno == ENOTDIR)
            return failed(errno);
    }
    return openNamed();
}

bool PendingFile::openNamed()
{
    for (int tries = 0; tries < kNameTries; ++tries) {
        const QByteArray temp = m_folder + "/." + m_stem + '.' + randomPart();
        // Noted first, so that no name is ever left that the next start does not know of.
        if (m_names && !m_names->add(temp))
            return failed(errno);
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            m_fd = fd;
            m_tempPath = temp;
            return true;
        }
        if (errno != EEXIST)
            return failed(errno);
    }
    return failed(EEXIST);
}

bool PendingFile::write(const char* data, qint64 size)
{
    m_synced = false;
    while (size > 0) {
        const ssize_t done = ::write(m_fd, data, size_t(size));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return failed(done < 0 ? errno : ENOSPC);
        data += done;
        size -= done;
    }
    return true;
}

void PendingFile::stamp(const QDateTime& modified, std::optional<quint32> mode)
{
    if (modified.isValid()) {
        const qint64 ms = modified.toMSecsSinceEpoch();
        const qint64 seconds = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
        const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(seconds), long(ms - seconds * 1000) * 1000000L}};
        ::futimens(m_fd, times);
    }
    if (mode)
        ::fchmod(m_fd, mode_t(*mode & 0777));
}

void PendingFile::stamp(const struct timespec& modified, mode_t mode)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, modified};
    ::fchmod(m_fd, mode & 0777);
    ::futimens(m_fd, times);
}

bool PendingFile::sync()
{
    if (m_synced)
        return true;
    // A file system that cannot sync (EINVAL) keeps nothing in a cache of its own to lose.
    if (::fdatasync(m_fd) != 0 && errno != EINVAL)
        return failed(errno);
    m_synced = true;
    return true;
}

bool PendingFile::linkUnder(const QByteArray& path)
{
    const bool tryDescriptor = !linkByDescriptorRefused.load(std::memory_order_relaxed);
    if (tryDescriptor) {
        // Straight from the descriptor where the kernel lets a process link the files it opened
        // (Linux 6.10 on, or with the right privilege), else through /proc.
        if (::linkat(m_fd, "", AT_FDCWD, path.constData(), AT_EMPTY_PATH) == 0)
            return true;
        // A refusal reads as a missing file (or, on an old kernel, an unknown flag).
        if (errno != ENOENT && errno != EPERM && errno != EINVAL)
            return false;
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) != 0)
        return false;
    // Only a link that /proc made tells the refusal from a folder that went away.
    if (tryDescriptor)
        linkByDescriptorRefused.store(true, std::memory_order_relaxed);
    return true;
}

bool PendingFile::linkUnderTemporaryName()
{
    for (int tries = 0; tries < kNameTries; ++tries) {
        const QByteArray temp = m_folder + "/." + m_stem + '.' + randomPart();
        if (m_names && !m_names->add(temp))
            return failed(errno);
        if (linkUnder(temp)) {
            m_tempPath = temp;
            return true;
        }
        if (errno != EEXIST)
            return failed(errno);
    }
    return failed(EEXIST);
}

bool PendingFile::closeFile()
{
    const int fd = m_fd;
    m_fd = -1;
    // Some file systems report a failed write only here.
    if (::close(fd) != 0)
        return failed(errno);
    return true;
}

bool PendingFile::linkAsNew()
{
    if (!linkUnder(m_targetPath))
        return failed(errno);
    // The file has its name: what close says no longer changes what the target holds.
    ::close(m_fd);
    m_fd = -1;
    return true;
}

bool PendingFile::place()
{
    if (m_fd < 0)
        return failed(EBADF);
    if (!named()) {
        if (linkAsNew())
            return true;
        if (m_error != EEXIST)
            return false;
    }
    if (isFolder(m_targetPath))
        return failed(EISDIR);
    struct stat info = {};
    // The file in place goes only once its replacement is on the disk.
    if (::lstat(m_targetPath.constData(), &info) == 0 && !sync())
        return false;
    if (!named() && !linkUnderTemporaryName())
        return false;
    if (!closeFile())
        return false;
    if (::rename(m_tempPath.constData(), m_targetPath.constData()) != 0)
        return failed(errno);
    m_tempPath.clear();
    return true;
}

void PendingFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.isEmpty())
        ::unlink(m_tempPath.constData());
    m_tempPath.clear();
}

} // namespace platform
