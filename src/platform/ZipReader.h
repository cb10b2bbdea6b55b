#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include "platform/Result.h"
#include "platform/RunContext.h"

namespace platform
{

// What an archive entry stands for, from the file type its maker recorded.
enum class ZipEntryKind
{
    File,
    Folder,
    // A symbolic link: its data is the link's target, never a file's content.
    Link,
    // A device, pipe or socket.
    Special,
};

struct ZipEntryInfo
{
    // The entry's number in the archive.
    qint64 index = 0;
    // The name as stored, with "/" separators (decoded as UTF-8, or as CP437 when it is not).
    QString name;
    qint64 size = 0;
    qint64 compressedSize = 0;
    // The zip compression method number (0 stored, 8 deflated, ...).
    int method = 0;
    QDateTime modified;
    quint32 crc = 0;
    bool encrypted = false;
    ZipEntryKind kind = ZipEntryKind::File;
    // The permission bits, when a Unix maker recorded them.
    std::optional<quint32> unixPermissions;
};

// Why a read ended.
enum class ZipReadStatus
{
    Ok,
    // Bad CRC, undecodable data, a read past the archive's end.
    Damaged,
    NeedPassword,
    // Also a CRC error of an entry read with a password: a wrong password may pass the check byte.
    WrongPassword,
    // The sink or the run asked to stop.
    Interrupted,
};

// Reads zip archives through libzip. Entries are streamed in chunks of ChunkSize, so neither an
// archive nor an entry is ever held in memory whole.
class ZipReader
{
public:
    static constexpr qint64 ChunkSize = 1024 * 1024;

    ZipReader();
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Opens the archive read-only and lists its entries. Fails for a missing, truncated or foreign
    // file, saying why (errorString() says it too).
    Result open(const QString& path);
    void close();
    bool isOpen() const;

    const QList<ZipEntryInfo>& entries() const { return m_entries; }

    // Hands the entry's bytes to `sink` chunk by chunk; a sink that returns false ends the read.
    // Ok only when every byte was read and the CRC matched, so a caller that keeps what it was
    // given must drop it on any other status. The sink is never given more than the entry's
    // recorded size: more data is Damaged, and so is less than the central or the local header
    // records. An empty password reads unencrypted entries only. A run, when given, yields after
    // every chunk, and its stop request ends the read.
    ZipReadStatus read(qint64 index, const std::function<bool(const char* data, qint64 size)>& sink,
                       const QByteArray& password = QByteArray(), RunContext* run = nullptr);

    // Why the last open or read failed.
    QString errorString() const { return m_error; }

    // The unzip library's version, "major.minor.revision".
    static QString libraryVersion();

private:
    struct Archive;
    std::unique_ptr<Archive> m_archive;
    QList<ZipEntryInfo> m_entries;
    QString m_error;
};

// The relative path below an extraction folder at which an entry name may be written, with "/"
// separators and without "." parts. Names that would leave the folder are refused, with the
// reason: absolute names, names with a drive letter, names with a ".." part. "\" counts as a
// separator, as archives made on Windows use it.
struct ZipEntryPath
{
    std::optional<QString> path;
    QString refusal;
};
ZipEntryPath zipEntryRelativePath(const QString& entryName);

} // namespace platform
