#include "restore/ArchiveEntries.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/PendingFile.h"

namespace restore
{
using platform::ZipEntryInfo;
using platform::ZipEntryKind;
using platform::ZipReadStatus;

UnzipResult unpackEntry(platform::ZipReader& reader, const ZipEntryInfo& entry, platform::PendingFile& out,
                        platform::RunContext& run, const QByteArray& password, ZipReadStatus* read)
{
    UnzipResult result;
    // Only an entry larger than one chunk could fill the disk for everyone else.
    struct statvfs disk = {};
    if (entry.size > platform::ZipReader::ChunkSize
        && ::statvfs(QFile::encodeName(QFileInfo(out.target()).absolutePath()).constData(), &disk) == 0) {
        const qint64 room = qint64(disk.f_bavail) * qint64(disk.f_frsize);
        if (entry.size > room) {
            result.reason = QStringLiteral("cannot write %1: its %2 bytes do not fit in the %3 bytes free")
                                .arg(out.target())
                                .arg(entry.size)
                                .arg(room);
            return result;
        }
    }
    if (!out.open()) {
        result.reason = out.reason();
        return result;
    }
    bool writeFailed = false;
    const ZipReadStatus status = reader.read(
        entry.index,
        [&](const char* data, qint64 size) {
            writeFailed = !out.write(data, size);
            return !writeFailed;
        },
        entry.encrypted ? password : QByteArray(), &run);
    if (read)
        *read = status;
    if (status != ZipReadStatus::Ok) {
        out.discard();
        if (writeFailed) {
            result.reason = out.reason();
        } else if (status == ZipReadStatus::Interrupted) {
            result.outcome = UnzipOutcome::Stopped;
            result.reason = QStringLiteral("stopped");
        } else {
            result.outcome = UnzipOutcome::Damaged;
            result.reason = status == ZipReadStatus::WrongPassword ? QStringLiteral("wrong password or damaged entry")
                                                                   : reader.errorString();
        }
        return result;
    }
    std::optional<quint32> mode;
    if (entry.unixPermissions)
        mode = *entry.unixPermissions | S_IRUSR;
    out.stamp(entry.modified, mode);
    result.outcome = UnzipOutcome::Written;
    return result;
}

platform::Result ArchiveEntries::open(const QString& archive, bool useFolderNames)
{
    m_byPath.clear();
    m_refused.clear();
    if (const platform::Result opened = m_reader.open(archive); !opened)
        return opened;
    const QList<ZipEntryInfo>& entries = m_reader.entries();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const ZipEntryInfo& entry = entries.at(i);
        UnzipResult refusal;
        refusal.entry = entry.name;
        refusal.outcome = UnzipOutcome::Refused;
        const platform::ZipEntryPath safe = platform::zipEntryRelativePath(entry.name);
        if (!safe.path)
            refusal.reason = safe.refusal;
        else if (entry.kind == ZipEntryKind::Folder)
            continue;
        else if (entry.kind != ZipEntryKind::File)
            refusal.reason
                = entry.kind == ZipEntryKind::Link ? QStringLiteral("link") : QStringLiteral("not a plain file");
        if (!refusal.reason.isEmpty()) {
            m_refused << refusal;
            continue;
        }
        const QString relative
            = useFolderNames ? *safe.path : safe.path->mid(safe.path->lastIndexOf(QLatin1Char('/')) + 1);
        m_byPath.insert(QDir::cleanPath(relative), i);
    }
    return platform::Result::success();
}

std::optional<ZipEntryInfo> ArchiveEntries::find(const QString& relative) const
{
    const auto found = m_byPath.constFind(QDir::cleanPath(relative));
    if (found == m_byPath.cend())
        return std::nullopt;
    return m_reader.entries().at(*found);
}

} // namespace restore
