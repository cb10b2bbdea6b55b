#include "platform/ZipArchiveFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>

namespace platform
{

namespace
{

class ArchiveFile
{
public:
    ArchiveFile(QByteArray path, zip_source_t* reader, qsizetype bufferSize, int* writeError)
        : m_path(std::move(path))
        , m_reader(reader)
        , m_bufferSize(std::max<qsizetype>(bufferSize, 1))
        , m_writeError(writeError)
    {
        zip_error_init(&m_error);
    }
    ~ArchiveFile()
    {
        discardTemporary();
        zip_source_free(m_reader);
        zip_error_fini(&m_error);
    }
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    static zip_int64_t callback(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto* self = static_cast<ArchiveFile*>(userdata);
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_WRITABLE;
        case ZIP_SOURCE_STAT:
            return self->stat(data, length);
        case ZIP_SOURCE_OPEN:
            return self->fromReader(zip_source_open(self->m_reader));
        case ZIP_SOURCE_READ:
            return self->fromReader(zip_source_read(self->m_reader, data, length));
        case ZIP_SOURCE_SEEK:
            return self->seek(data, length);
        case ZIP_SOURCE_TELL:
            return self->fromReader(zip_source_tell(self->m_reader));
        case ZIP_SOURCE_CLOSE:
            return self->fromReader(zip_source_close(self->m_reader));
        case ZIP_SOURCE_BEGIN_WRITE:
            return self->beginWrite();
        case ZIP_SOURCE_WRITE:
            return self->write(static_cast<const char*>(data), length);
        case ZIP_SOURCE_SEEK_WRITE:
            return self->seekWrite(data, length);
        case ZIP_SOURCE_TELL_WRITE:
            return self->m_position;
        case ZIP_SOURCE_COMMIT_WRITE:
            return self->commitWrite();
        case ZIP_SOURCE_ROLLBACK_WRITE:
            self->discardTemporary();
            return 0;
        case ZIP_SOURCE_REMOVE:
            return self->remove();
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&self->m_error, data, length);
        case ZIP_SOURCE_FREE:
            delete self;
            return 0;
        default:
            zip_error_set(&self->m_error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

private:
    // A result of the reader, its failure taken over as ours.
    zip_int64_t fromReader(zip_int64_t result)
    {
        if (result < 0) {
            const zip_error_t* error = zip_source_error(m_reader);
            zip_error_set(&m_error, zip_error_code_zip(error), zip_error_code_system(error));
            return -1;
        }
        return result;
    }

    zip_int64_t stat(void* data, zip_uint64_t length)
    {
        auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &m_error);
        if (!st)
            return -1;
        // A missing archive fails here with ZIP_ER_READ and ENOENT, which tells libzip to create one.
        if (fromReader(zip_source_stat(m_reader, st)) < 0)
            return -1;
        return sizeof(*st);
    }

    zip_int64_t seek(void* data, zip_uint64_t length)
    {
        const auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &m_error);
        if (!args)
            return -1;
        return fromReader(zip_source_seek(m_reader, args->offset, args->whence));
    }

    zip_int64_t beginWrite()
    {
        if (m_fd >= 0) {
            zip_error_set(&m_error, ZIP_ER_INTERNAL, 0);
            return -1;
        }
        struct stat info = {};
        const bool existing = ::stat(m_path.constData(), &info) == 0;
        const mode_t mode = existing ? info.st_mode & 07777 : 0666;
        static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        for (int tries = 0; tries < 100; ++tries) {
            QByteArray temporary = m_path + '.';
            for (int i = 0; i < 6; ++i)
                temporary += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
            const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd < 0 && errno == EEXIST)
                continue;
            if (fd < 0) {
                writeFailed(ZIP_ER_TMPOPEN, errno);
                return -1;
            }
            // open() applied the umask: an existing archive's bits are kept as they were.
            if (existing)
                (void)::fchmod(fd, mode);
            m_fd = fd;
            m_temporary = temporary;
            m_buffer.reset(new char[static_cast<size_t>(m_bufferSize)]);
            m_bufferStart = 0;
            m_buffered = 0;
            m_position = 0;
            return 0;
        }
        zip_error_set(&m_error, ZIP_ER_TMPOPEN, EEXIST);
        return -1;
    }

    // The buffer holds the file's unflushed tail, from m_bufferStart to its end; what lies before it
    // is in the file already.
    zip_int64_t write(const char* data, zip_uint64_t length)
    {
        if (m_fd < 0) {
            zip_error_set(&m_error, ZIP_ER_INTERNAL, 0);
            return -1;
        }
        const char* next = data;
        zip_uint64_t left = length;
        // A header rewritten behind the buffer (after a large entry) goes straight to the file.
        if (m_position < m_bufferStart) {
            const zip_uint64_t direct = std::min<zip_uint64_t>(left, zip_uint64_t(m_bufferStart - m_position));
            if (!writeAt(next, direct, m_position))
                return -1;
            next += direct;
            left -= direct;
            m_position += static_cast<zip_int64_t>(direct);
        }
        while (left > 0) {
            if (m_position - m_bufferStart == m_bufferSize && !flush())
                return -1;
            const qsizetype offset = static_cast<qsizetype>(m_position - m_bufferStart);
            const qsizetype n
                = static_cast<qsizetype>(std::min<zip_uint64_t>(left, zip_uint64_t(m_bufferSize - offset)));
            std::memcpy(m_buffer.get() + offset, next, static_cast<size_t>(n));
            m_buffered = std::max(m_buffered, offset + n);
            next += n;
            left -= static_cast<zip_uint64_t>(n);
            m_position += n;
        }
        return static_cast<zip_int64_t>(length);
    }

    zip_int64_t seekWrite(void* data, zip_uint64_t length)
    {
        const zip_int64_t position = zip_source_seek_compute_offset(
            static_cast<zip_uint64_t>(m_position), static_cast<zip_uint64_t>(m_bufferStart + m_buffered), data, length,
            &m_error);
        if (position < 0)
            return -1;
        m_position = position;
        return 0;
    }

    zip_int64_t commitWrite()
    {
        if (m_fd < 0 || !flush()) {
            if (m_fd < 0)
                zip_error_set(&m_error, ZIP_ER_INTERNAL, 0);
            discardTemporary();
            return -1;
        }
        const int fd = m_fd;
        m_fd = -1;
        // A file system may report a failed write only when the file is closed.
        if (::close(fd) != 0) {
            writeFailed(ZIP_ER_WRITE, errno);
            discardTemporary();
            return -1;
        }
        if (::rename(m_temporary.constData(), m_path.constData()) != 0) {
            writeFailed(ZIP_ER_RENAME, errno);
            discardTemporary();
            return -1;
        }
        m_temporary.clear();
        m_buffer.reset();
        return 0;
    }

    zip_int64_t remove()
    {
        if (::unlink(m_path.constData()) != 0) {
            zip_error_set(&m_error, ZIP_ER_REMOVE, errno);
            return -1;
        }
        return 0;
    }

    bool flush()
    {
        if (!writeAt(m_buffer.get(), static_cast<zip_uint64_t>(m_buffered), m_bufferStart))
            return false;
        m_bufferStart += m_buffered;
        m_buffered = 0;
        return true;
    }

    bool writeAt(const char* data, zip_uint64_t length, zip_int64_t offset)
    {
        while (length > 0) {
            const ssize_t n = ::pwrite(m_fd, data, length, offset);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                writeFailed(ZIP_ER_WRITE, n < 0 ? errno : EIO);
                return false;
            }
            data += n;
            length -= static_cast<zip_uint64_t>(n);
            offset += n;
        }
        return true;
    }

    void writeFailed(int zipError, int systemError)
    {
        zip_error_set(&m_error, zipError, systemError);
        if (m_writeError && *m_writeError == 0)
            *m_writeError = systemError;
    }

    void discardTemporary()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        if (!m_temporary.isEmpty())
            ::unlink(m_temporary.constData());
        m_temporary.clear();
        m_buffer.reset();
    }

    const QByteArray m_path;
    zip_source_t* const m_reader;
    const qsizetype m_bufferSize;
    int* const m_writeError;
    zip_error_t m_error;

    int m_fd = -1;
    QByteArray m_temporary;
    std::unique_ptr<char[]> m_buffer;
    zip_int64_t m_bufferStart = 0;
    qsizetype m_buffered = 0;
    zip_int64_t m_position = 0;
};

} // namespace

zip_source_t* zipArchiveFileSource(const QString& path, zip_error_t* error, qsizetype bufferSize, int* writeError)
{
    const QByteArray encoded = QFile::encodeName(path);
    zip_source_t* reader = zip_source_file_create(encoded.constData(), 0, -1, error);
    if (!reader)
        return nullptr;
    auto* file = new ArchiveFile(encoded, reader, bufferSize, writeError);
    zip_source_t* source = zip_source_function_create(&ArchiveFile::callback, file, error);
    if (!source)
        delete file;
    return source;
}

zip_t* openZipArchive(const QString& path, int flags, int* errorCode, int* writeError)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zipArchiveFileSource(path, &error, ZipArchiveBufferSize, writeError);
    zip_t* archive = source ? zip_open_from_source(source, flags, &error) : nullptr;
    if (!archive) {
        if (source)
            zip_source_free(source);
        *errorCode = zip_error_code_zip(&error);
    }
    zip_error_fini(&error);
    return archive;
}

} // namespace platform
