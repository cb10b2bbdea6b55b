#include "platform/FileCopy.h"

#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/EventLoop.h"

namespace platform
{
namespace
{
constexpr qint64 kChunkSize = 1024 * 1024;
} // namespace

CopyResult copyFileReplacing(const QString& source, const QString& target, const std::function<bool()>& stopRequested)
{
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return {CopyStatus::Failed, QStringLiteral("cannot read %1: %2").arg(source, in.errorString())};
    if (QFileInfo(target).isDir())
        return {CopyStatus::Failed, QStringLiteral("%1 is a folder").arg(target)};

    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return {CopyStatus::Failed, QStringLiteral("cannot write %1: %2").arg(target, out.errorString())};

    std::vector<char> buffer(kChunkSize);
    for (;;) {
        const qint64 got = in.read(buffer.data(), qint64(buffer.size()));
        if (got < 0) {
            out.cancelWriting();
            return {CopyStatus::Failed, QStringLiteral("cannot read %1: %2").arg(source, in.errorString())};
        }
        if (got == 0)
            break;
        if (out.write(buffer.data(), got) != got) {
            const QString error = out.errorString();
            out.cancelWriting();
            return {CopyStatus::Failed, QStringLiteral("cannot write %1: %2").arg(target, error)};
        }
        doEvents();
        if (stopRequested && stopRequested()) {
            out.cancelWriting();
            return {CopyStatus::Stopped, QStringLiteral("stopped")};
        }
    }
    if (!out.commit())
        return {CopyStatus::Failed, QStringLiteral("cannot write %1: %2").arg(target, out.errorString())};

    struct stat st = {};
    if (::stat(QFile::encodeName(source).constData(), &st) == 0) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
        const QByteArray path = QFile::encodeName(target);
        ::utimensat(AT_FDCWD, path.constData(), times, 0);
        ::chmod(path.constData(), st.st_mode & 0777);
    }
    return {CopyStatus::Ok, QString()};
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
