#include "platform/ZipReader.h"

#include <limits>

#include <sys/stat.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QtEndian>

#include <zip.h>

namespace platform
{
namespace
{
// Info-ZIP's extended time stamp: a flags byte, then the modification time (UTC seconds) when
// bit 0 is set.
constexpr zip_uint16_t kExtendedTimestampId = 0x5455;

quint16 u16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint64 u64(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint64>(bytes.constData() + at);
}

constexpr quint32 kLocalSignature = 0x04034b50;
constexpr quint32 kCentralSignature = 0x02014b50;
constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kZip64EndSignature = 0x06064b50;
constexpr quint32 kZip64LocatorSignature = 0x07064b50;
constexpr zip_uint16_t kZip64ExtraId = 0x0001;

// Value number `position` of a header's Zip64 extra field, which holds, in header order, the
// values whose 32-bit fields are all ones.
std::optional<quint64> zip64Value(const QByteArray& extra, int position)
{
    qsizetype at = 0;
    while (at + 4 <= extra.size()) {
        const quint16 length = u16(extra, at + 2);
        if (u16(extra, at) == kZip64ExtraId) {
            const qsizetype value = at + 4 + 8 * position;
            if (value + 8 > at + 4 + length || value + 8 > extra.size())
                return std::nullopt;
            return u64(extra, value);
        }
        at += 4 + length;
    }
    return std::nullopt;
}

// Where each entry's local header starts, in the central directory's order (libzip's entry
// numbers); -1 where it cannot be told.
QList<qint64> localHeaderOffsets(const QString& path, qint64 count)
{
    QList<qint64> offsets(count, -1);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return offsets;
    const qint64 fileSize = file.size();
    const qint64 tailStart = qMax<qint64>(0, fileSize - (0xFFFF + 22));
    if (!file.seek(tailStart))
        return offsets;
    const QByteArray tail = file.read(fileSize - tailStart);
    qsizetype end = tail.size() - 22;
    while (end >= 0 && u32(tail, end) != kEndSignature)
        --end;
    if (end < 0)
        return offsets;
    quint64 directory = u32(tail, end + 16);
    quint64 entries = u16(tail, end + 10);
    if (end >= 20 && u32(tail, end - 20) == kZip64LocatorSignature) {
        if (!file.seek(qint64(u64(tail, end - 20 + 8))))
            return offsets;
        const QByteArray record = file.read(56);
        if (record.size() < 56 || u32(record, 0) != kZip64EndSignature)
            return offsets;
        entries = u64(record, 32);
        directory = u64(record, 48);
    }
    if (directory >= quint64(fileSize) || !file.seek(qint64(directory)))
        return offsets;
    for (qint64 i = 0; i < count && quint64(i) < entries; ++i) {
        const QByteArray header = file.read(46);
        if (header.size() < 46 || u32(header, 0) != kCentralSignature)
            break;
        file.skip(u16(header, 28));
        const QByteArray extra = file.read(u16(header, 30));
        file.skip(u16(header, 32));
        quint64 offset = u32(header, 42);
        if (offset == 0xFFFFFFFFu) {
            const int position = (u32(header, 24) == 0xFFFFFFFFu ? 1 : 0) + (u32(header, 20) == 0xFFFFFFFFu ? 1 : 0);
            offset = zip64Value(extra, position).value_or(quint64(-1));
        }
        if (offset < quint64(fileSize))
            offsets[i] = qint64(offset);
    }
    return offsets;
}

// The uncompressed size the local header at `offset` of the open `file` records; nothing when it
// leaves the size to a data descriptor or cannot be read.
std::optional<qint64> localHeaderSize(QFile& file, qint64 offset)
{
    if (offset < 0 || !file.isOpen() || !file.seek(offset))
        return std::nullopt;
    const QByteArray header = file.read(30);
    if (header.size() < 30 || u32(header, 0) != kLocalSignature || (u16(header, 6) & 0x0008))
        return std::nullopt;
    const quint32 size = u32(header, 22);
    if (size != 0xFFFFFFFFu)
        return qint64(size);
    file.skip(u16(header, 26));
    const std::optional<quint64> wide = zip64Value(file.read(u16(header, 28)), 0);
    if (!wide || *wide > quint64(std::numeric_limits<qint64>::max()))
        return std::nullopt;
    return qint64(*wide);
}

QString libzipMessage(zip_error_t* error)
{
    return QString::fromUtf8(zip_error_strerror(error));
}

QString openErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = libzipMessage(&error);
    zip_error_fini(&error);
    return text;
}

std::optional<QDateTime> extendedModified(zip_t* archive, zip_uint64_t index)
{
    zip_uint16_t length = 0;
    const zip_uint8_t* data
        = zip_file_extra_field_get_by_id(archive, index, kExtendedTimestampId, 0, &length, ZIP_FL_CENTRAL);
    if (!data || length < 5 || !(data[0] & 1))
        return std::nullopt;
    const qint32 seconds
        = qint32(quint32(data[1]) | quint32(data[2]) << 8 | quint32(data[3]) << 16 | quint32(data[4]) << 24);
    return QDateTime::fromSecsSinceEpoch(seconds);
}

ZipEntryKind kindOf(const QString& name, bool unixMode, quint32 mode)
{
    if (unixMode) {
        switch (mode & S_IFMT) {
        case S_IFLNK:
            return ZipEntryKind::Link;
        case S_IFDIR:
            return ZipEntryKind::Folder;
        case S_IFREG:
        case 0:
            break;
        default:
            return ZipEntryKind::Special;
        }
    }
    return name.endsWith(QLatin1Char('/')) ? ZipEntryKind::Folder : ZipEntryKind::File;
}
} // namespace

struct ZipReader::Archive
{
    zip_t* handle = nullptr;
    QList<qint64> localHeaders;
    // Kept open for the local headers, which every read checks.
    QFile raw;
    // Reused by every read, so that an archive of many small entries is not a buffer per entry.
    std::unique_ptr<char[]> buffer;
    qint64 bufferSize = 0;
    ~Archive()
    {
        if (handle)
            zip_discard(handle);
    }
};

ZipReader::ZipReader() = default;
ZipReader::~ZipReader() = default;

bool ZipReader::isOpen() const
{
    return m_archive != nullptr;
}

void ZipReader::close()
{
    m_archive.reset();
    m_entries.clear();
}

Result ZipReader::open(const QString& path)
{
    close();
    m_error.clear();
    int code = 0;
    zip_t* handle = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!handle) {
        m_error = openErrorText(code);
        return Result::failure(m_error);
    }
    m_archive = std::make_unique<Archive>();
    m_archive->handle = handle;

    const zip_int64_t count = zip_get_num_entries(handle, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(handle, zip_uint64_t(i), 0, &st) != 0) {
            m_error = libzipMessage(zip_get_error(handle));
            close();
            return Result::failure(m_error);
        }
        ZipEntryInfo entry;
        entry.index = i;
        entry.name = QString::fromUtf8(st.name ? st.name : "");
        entry.size = qint64(st.size);
        entry.compressedSize = qint64(st.comp_size);
        entry.method = int(st.comp_method);
        entry.crc = st.crc;
        entry.encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        entry.modified = extendedModified(handle, zip_uint64_t(i)).value_or(QDateTime::fromSecsSinceEpoch(st.mtime));

        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(handle, zip_uint64_t(i), 0, &system, &attributes);
        const bool unixMode = system == ZIP_OPSYS_UNIX;
        const quint32 mode = attributes >> 16;
        entry.kind = kindOf(entry.name, unixMode, mode);
        if (unixMode && (mode & S_IFMT) != 0)
            entry.unixPermissions = mode & 07777;
        m_entries << entry;
    }
    m_archive->localHeaders = localHeaderOffsets(path, count);
    m_archive->raw.setFileName(path);
    m_archive->raw.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return Result::success();
}

ZipReadStatus ZipReader::read(qint64 index, const std::function<bool(const char*, qint64)>& sink,
                              const QByteArray& password, RunContext* run)
{
    m_error.clear();
    if (!m_archive || index < 0 || index >= m_entries.size()) {
        m_error = QStringLiteral("No such entry");
        return ZipReadStatus::Damaged;
    }
    zip_t* handle = m_archive->handle;
    zip_error_clear(handle);
    zip_file_t* file = password.isEmpty()
        ? zip_fopen_index(handle, zip_uint64_t(index), 0)
        : zip_fopen_index_encrypted(handle, zip_uint64_t(index), 0, password.constData());
    if (!file) {
        zip_error_t* error = zip_get_error(handle);
        m_error = libzipMessage(error);
        switch (zip_error_code_zip(error)) {
        case ZIP_ER_NOPASSWD:
            return ZipReadStatus::NeedPassword;
        case ZIP_ER_WRONGPASSWD:
            return ZipReadStatus::WrongPassword;
        default:
            return ZipReadStatus::Damaged;
        }
    }

    ZipReadStatus status = ZipReadStatus::Ok;
    // libzip does not hold the data to the recorded size: an entry that says it is small could
    // otherwise unpack without end.
    const qint64 recorded = m_entries.at(index).size;
    // One byte more than recorded shows an entry that holds more.
    const qint64 wanted = qBound<qint64>(4096, recorded + 1, ChunkSize);
    if (m_archive->bufferSize < wanted) {
        m_archive->buffer.reset(new char[size_t(wanted)]);
        m_archive->bufferSize = wanted;
    }
    char* const buffer = m_archive->buffer.get();
    qint64 delivered = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, zip_uint64_t(wanted));
        if (got < 0) {
            zip_error_t* error = zip_file_get_error(file);
            m_error = libzipMessage(error);
            // One wrong traditional password in 256 passes the check byte and only fails here, at the
            // CRC: for an encrypted entry the two cannot be told apart, so the password is blamed and
            // the caller can ask again.
            const bool crcWithPassword = !password.isEmpty() && zip_error_code_zip(error) == ZIP_ER_CRC;
            status = crcWithPassword ? ZipReadStatus::WrongPassword : ZipReadStatus::Damaged;
            if (crcWithPassword)
                m_error = QStringLiteral("Wrong password or damaged entry");
            break;
        }
        if (got == 0)
            break;
        delivered += got;
        if (delivered > recorded) {
            m_error = QStringLiteral("the entry holds more than the %1 bytes its header records").arg(recorded);
            status = ZipReadStatus::Damaged;
            break;
        }
        if (!sink(buffer, qint64(got))) {
            status = ZipReadStatus::Interrupted;
            break;
        }
        if (run) {
            run->yield();
            if (run->stopRequested()) {
                status = ZipReadStatus::Interrupted;
                break;
            }
        }
    }
    zip_fclose(file);
    // libzip takes the central directory's word for the data's length: a compressed size that is
    // too small ends the data early, and a size of 0 even skips the CRC check.
    if (status == ZipReadStatus::Ok) {
        const qint64 expected
            = qMax(recorded, localHeaderSize(m_archive->raw, m_archive->localHeaders.value(index, -1)).value_or(0));
        if (delivered < expected) {
            m_error = QStringLiteral("the entry ends after %1 of the %2 bytes its headers record")
                          .arg(delivered)
                          .arg(expected);
            status = ZipReadStatus::Damaged;
        }
    }
    return status;
}

QString ZipReader::libraryVersion()
{
    return QString::fromLatin1(zip_libzip_version());
}

ZipEntryPath zipEntryRelativePath(const QString& entryName)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (entryName.startsWith(QLatin1Char('/')) || entryName.startsWith(QLatin1Char('\\')))
        return {std::nullopt, QStringLiteral("absolute path")};
    if (drive.match(entryName).hasMatch())
        return {std::nullopt, QStringLiteral("drive letter")};

    QString name = entryName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList kept;
    for (const QString& part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return {std::nullopt, QStringLiteral("path leads out of the folder")};
        if (part != QLatin1String("."))
            kept << part;
    }
    if (kept.isEmpty())
        return {std::nullopt, QStringLiteral("empty name")};
    return {kept.join(QLatin1Char('/')), QString()};
}

} // namespace platform
