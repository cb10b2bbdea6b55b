#include "platform/ZipReader.h"

#include <vector>

#include <sys/stat.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <zip.h>

namespace platform
{
namespace
{
// Info-ZIP's extended time stamp: a flags byte, then the modification time (UTC seconds) when
// bit 0 is set.
constexpr zip_uint16_t kExtendedTimestampId = 0x5455;

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

bool ZipReader::open(const QString& path)
{
    close();
    m_error.clear();
    int code = 0;
    zip_t* handle = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!handle) {
        m_error = openErrorText(code);
        return false;
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
            return false;
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
    return true;
}

ZipReadStatus ZipReader::read(qint64 index, const std::function<bool(const char*, qint64)>& sink,
                              const QByteArray& password)
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

    std::vector<char> buffer(ChunkSize);
    ZipReadStatus status = ZipReadStatus::Ok;
    // libzip does not hold the data to the recorded size: an entry that says it is small could
    // otherwise unpack without end.
    const qint64 recorded = m_entries.at(index).size;
    qint64 delivered = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer.data(), zip_uint64_t(buffer.size()));
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
        if (!sink(buffer.data(), qint64(got))) {
            status = ZipReadStatus::Interrupted;
            break;
        }
    }
    zip_fclose(file);
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
