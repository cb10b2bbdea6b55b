#include "platform/ZipWriter.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include <sys/stat.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <zip.h>
#include <zlib.h>

#include "platform/ZipReader.h"

namespace platform
{

namespace
{
// The entry's modification time to the second, as Info-ZIP records it: the DOS time of the entry
// itself only holds even seconds.
void setExtendedModified(zip_t* archive, zip_uint64_t index, const QString& sourcePath)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(sourcePath).constData(), &info) != 0 || info.st_mtime < 0
        || info.st_mtime > std::numeric_limits<qint32>::max())
        return;
    const quint32 seconds = static_cast<quint32>(info.st_mtime);
    const zip_uint8_t data[5]
        = {1, zip_uint8_t(seconds), zip_uint8_t(seconds >> 8), zip_uint8_t(seconds >> 16), zip_uint8_t(seconds >> 24)};
    zip_file_extra_field_set(archive, index, 0x5455, ZIP_EXTRA_FIELD_NEW, data, sizeof data,
                             ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
}

QString zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromLocal8Bit(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

// The head of a file that decides whether deflating it is worth while.
constexpr qsizetype ZipProbeSize = 16 * 1024;

const QString ChangedWhileRead = QStringLiteral("it changed while it was being packed");

// What one attempt at the archive learnt from its sources.
struct BuildState
{
    const ZipWriteOptions* options = nullptr;
    bool stopped = false;
    // Position in the caller's entry list of the source that failed, -1 for none.
    qsizetype failedEntry = -1;
    QString failedReason;
};

// A libzip source that streams one file: read in chunks, deflated here, so that the file's head
// decides between deflating and storing before libzip writes the entry's header.
class FileSource
{
public:
    FileSource(zip_t* archive, BuildState* build, qsizetype position, QString path)
        : m_archive(archive)
        , m_build(build)
        , m_position(position)
        , m_path(std::move(path))
    {
        zip_error_init(&m_error);
    }
    ~FileSource()
    {
        endDeflate();
        zip_error_fini(&m_error);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    void setIndex(zip_uint64_t index) { m_index = index; }

    static zip_int64_t callback(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto* self = static_cast<FileSource*>(userdata);
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SUPPORTS,
                                                  ZIP_SOURCE_GET_FILE_ATTRIBUTES, -1);
        case ZIP_SOURCE_STAT:
            return self->stat(data, length);
        case ZIP_SOURCE_OPEN:
            return self->open();
        case ZIP_SOURCE_READ:
            return self->read(static_cast<char*>(data), length);
        case ZIP_SOURCE_CLOSE:
            self->close();
            return 0;
        case ZIP_SOURCE_GET_FILE_ATTRIBUTES:
            return self->attributes(data, length);
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
    enum class Phase
    {
        Fresh,
        Reading,
        Done,
        Failed
    };

    zip_int64_t stat(void* data, zip_uint64_t length)
    {
        auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &m_error);
        if (!st)
            return -1;
        if (m_phase == Phase::Fresh && !prepare())
            return -1;
        if (m_phase == Phase::Failed)
            return -1;
        st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME | ZIP_STAT_COMP_METHOD;
        st->size = static_cast<zip_uint64_t>(m_size);
        st->mtime = m_mtime;
        st->comp_method = m_deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE;
        if (m_inputDone) {
            st->valid |= ZIP_STAT_CRC;
            st->crc = static_cast<zip_uint32_t>(m_crc);
        }
        if (m_inputDone && m_deflate && m_compressedKnown) {
            st->valid |= ZIP_STAT_COMP_SIZE;
            st->comp_size = static_cast<zip_uint64_t>(m_compressedSize);
        }
        return sizeof(*st);
    }

    zip_int64_t open()
    {
        if (m_phase == Phase::Fresh && !prepare())
            return -1;
        if (m_phase != Phase::Reading) {
            zip_error_set(&m_error, ZIP_ER_INTERNAL, 0);
            return -1;
        }
        return 0;
    }

    zip_int64_t read(char* data, zip_uint64_t length)
    {
        if (m_phase != Phase::Reading) {
            zip_error_set(&m_error, ZIP_ER_INTERNAL, 0);
            return -1;
        }
        while (m_outPos == m_out.size()) {
            if (m_inputDone)
                return 0;
            if (!produce())
                return -1;
        }
        const qsizetype n = std::min<qsizetype>(static_cast<qsizetype>(std::min<zip_uint64_t>(length, 1 << 30)),
                                                m_out.size() - m_outPos);
        std::memcpy(data, m_out.constData() + m_outPos, static_cast<size_t>(n));
        m_outPos += n;
        return n;
    }

    void close()
    {
        endDeflate();
        m_file.reset();
        m_in = QByteArray();
        m_out = QByteArray();
        m_outPos = 0;
        if (m_phase == Phase::Reading)
            m_phase = m_inputDone ? Phase::Done : Phase::Failed;
    }

    zip_int64_t attributes(void* data, zip_uint64_t length)
    {
        auto* attributes = ZIP_SOURCE_GET_ARGS(zip_file_attributes_t, data, length, &m_error);
        if (!attributes)
            return -1;
        attributes->valid |= ZIP_FILE_ATTRIBUTES_HOST_SYSTEM | ZIP_FILE_ATTRIBUTES_EXTERNAL_FILE_ATTRIBUTES;
        attributes->host_system = ZIP_OPSYS_UNIX;
        attributes->external_file_attributes = (static_cast<zip_uint32_t>(S_IFREG | m_mode)) << 16;
        return sizeof(*attributes);
    }

    // Opens the file and reads its first chunk: a file that fits is deflated whole and kept in the
    // smaller form; a larger one is judged by how well its first chunk deflates.
    bool prepare()
    {
        m_phase = Phase::Reading;
        if (!stopCheck())
            return false;
        // Made only now: every entry's source lives until the archive is closed.
        m_file = std::make_unique<QFile>(m_path);
        if (!m_file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            const bool gone = !QFileInfo::exists(m_path);
            return fail(gone ? QStringLiteral("it no longer exists")
                             : QStringLiteral("it cannot be read: ") + m_file->errorString(),
                        ZIP_ER_OPEN);
        }
        struct stat info;
        if (::fstat(m_file->handle(), &info) != 0 || !S_ISREG(info.st_mode))
            return fail(QStringLiteral("it is not a regular file"), ZIP_ER_OPEN);
        m_size = info.st_size;
        m_mtime = info.st_mtime;
        m_mode = info.st_mode & 07777;

        const qint64 first = std::min(m_size, ZipChunkSize);
        if (!readChunk(first))
            return false;
        if (m_consumed == m_size && !atEndOfFile())
            return false;

        // Data that does not shrink (photos, music, archives) shows it at once: a small probe of the
        // file's head, flushed so that its deflated size is exact, spares deflating the rest.
        const bool whole = m_consumed == m_size;
        const qsizetype probe = std::min<qsizetype>(m_in.size(), ZipProbeSize);
        const bool probeIsWhole = whole && probe == m_in.size();
        m_deflate = m_size > 0;
        if (m_deflate && !startDeflate())
            return false;
        if (m_deflate && !deflateInput(0, probe, probeIsWhole ? Z_FINISH : Z_SYNC_FLUSH))
            return false;
        if (m_deflate && m_out.size() >= probe)
            m_deflate = false;
        if (m_deflate && !probeIsWhole && !deflateInput(probe, m_in.size() - probe, whole ? Z_FINISH : Z_SYNC_FLUSH))
            return false;
        if (m_deflate && m_out.size() >= m_in.size())
            m_deflate = false;
        if (!m_deflate) {
            endDeflate();
            m_out.swap(m_in);
            // Stored: the entry's method must say so before libzip writes its header (were it not to,
            // libzip would deflate the entry itself).
            zip_set_file_compression(m_archive, m_index, ZIP_CM_STORE, 0);
        } else if (whole) {
            endDeflate();
            m_compressedKnown = true;
            m_compressedSize = m_out.size();
        }
        m_outPos = 0;
        m_inputDone = whole;
        return true;
    }

    // Refills the output from the next chunk of the file.
    bool produce()
    {
        m_out.resize(0);
        m_outPos = 0;
        if (!stopCheck())
            return false;
        if (!readChunk(std::min(ZipChunkSize, m_size - m_consumed)))
            return false;
        const bool last = m_consumed == m_size;
        if (last && !atEndOfFile())
            return false;
        if (m_deflate) {
            if (!deflateInput(0, m_in.size(), last ? Z_FINISH : Z_NO_FLUSH))
                return false;
            if (last)
                endDeflate();
        } else {
            m_out.swap(m_in);
        }
        m_inputDone = last;
        return true;
    }

    bool readChunk(qint64 want)
    {
        m_in.resize(want);
        qint64 got = 0;
        while (got < want) {
            const qint64 n = m_file->read(m_in.data() + got, want - got);
            if (n < 0)
                return fail(QStringLiteral("it cannot be read: ") + m_file->errorString(), ZIP_ER_READ);
            if (n == 0)
                return fail(ChangedWhileRead, ZIP_ER_READ);
            got += n;
        }
        m_crc = crc32_z(m_crc, reinterpret_cast<const Bytef*>(m_in.constData()), static_cast<size_t>(want));
        m_consumed += want;
        return true;
    }

    // The file must end where its size said it would.
    bool atEndOfFile()
    {
        char extra = 0;
        const qint64 n = m_file->read(&extra, 1);
        if (n < 0)
            return fail(QStringLiteral("it cannot be read: ") + m_file->errorString(), ZIP_ER_READ);
        if (n > 0)
            return fail(ChangedWhileRead, ZIP_ER_READ);
        return true;
    }

    bool startDeflate()
    {
        m_stream = z_stream {};
        if (deflateInit2(&m_stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return fail(QStringLiteral("it could not be compressed"), ZIP_ER_ZLIB);
        m_streamOpen = true;
        return true;
    }

    void endDeflate()
    {
        if (m_streamOpen)
            deflateEnd(&m_stream);
        m_streamOpen = false;
    }

    // Deflates part of m_in onto the end of m_out.
    bool deflateInput(qsizetype from, qsizetype size, int flush)
    {
        m_stream.next_in = reinterpret_cast<Bytef*>(m_in.data() + from);
        m_stream.avail_in = static_cast<uInt>(size);
        for (;;) {
            const qsizetype before = m_out.size();
            const qsizetype room = static_cast<qsizetype>(deflateBound(&m_stream, m_stream.avail_in)) + 64;
            m_out.resize(before + room);
            m_stream.next_out = reinterpret_cast<Bytef*>(m_out.data() + before);
            m_stream.avail_out = static_cast<uInt>(room);
            const int rc = deflate(&m_stream, flush);
            m_out.resize(before + room - static_cast<qsizetype>(m_stream.avail_out));
            if (rc == Z_STREAM_ERROR)
                return fail(QStringLiteral("it could not be compressed"), ZIP_ER_ZLIB);
            const bool finished
                = flush == Z_FINISH ? rc == Z_STREAM_END : m_stream.avail_in == 0 && m_stream.avail_out != 0;
            if (finished)
                return true;
        }
    }

    bool stopCheck()
    {
        m_build->options->run->yield();
        if (m_build->options->run->stopRequested()) {
            m_build->stopped = true;
            m_phase = Phase::Failed;
            zip_error_set(&m_error, ZIP_ER_CANCELLED, 0);
            return false;
        }
        return true;
    }

    bool fail(const QString& reason, int zipError)
    {
        m_phase = Phase::Failed;
        if (m_build->failedEntry < 0) {
            m_build->failedEntry = m_position;
            m_build->failedReason = reason;
        }
        zip_error_set(&m_error, zipError, 0);
        return false;
    }

    zip_t* m_archive;
    BuildState* m_build;
    qsizetype m_position;
    QString m_path;
    zip_uint64_t m_index = 0;
    zip_error_t m_error;

    Phase m_phase = Phase::Fresh;
    std::unique_ptr<QFile> m_file;
    qint64 m_size = 0;
    time_t m_mtime = 0;
    mode_t m_mode = 0;
    qint64 m_consumed = 0;
    uLong m_crc = crc32_z(0, nullptr, 0);
    bool m_inputDone = false;

    bool m_deflate = false;
    bool m_streamOpen = false;
    z_stream m_stream {};
    bool m_compressedKnown = false;
    qint64 m_compressedSize = 0;

    QByteArray m_in;
    QByteArray m_out;
    qsizetype m_outPos = 0;
};

// One build of the archive. An entry whose source failed while it was written is named, so that
// the next build leaves it out.
struct Attempt
{
    ZipWriteResult written;
    qsizetype failedEntry = -1;
    QString failedReason;
};

// A source newer than the archive's entry (whose times have two-second steps) replaces it.
bool newerThanEntry(zip_t* archive, zip_int64_t index, const QString& sourcePath)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_MTIME))
        return true;
    return QFileInfo(sourcePath).lastModified().toSecsSinceEpoch() > static_cast<qint64>(st.mtime) + 1;
}

Attempt attempt(const QString& archivePath, const QList<ZipEntrySource>& entries, const QList<qsizetype>& pending,
                const ZipWriteOptions& options)
{
    Attempt result;
    int openError = 0;
    const int flags = ZIP_CREATE | (options.updateExisting ? 0 : ZIP_TRUNCATE);
    zip_t* archive = zip_open(QFile::encodeName(archivePath).constData(), flags, &openError);
    if (!archive) {
        const bool damaged = openError == ZIP_ER_NOZIP || openError == ZIP_ER_INCONS;
        result.written.failure = damaged ? ZipWriteFailure::NotAnArchive : ZipWriteFailure::CannotWrite;
        result.written.setOutcome(Result::failure(
            QStringLiteral("The archive %1 could not be opened: %2").arg(archivePath, zipErrorText(openError))));
        return result;
    }
    const auto giveUp = [&](Result outcome, ZipWriteFailure failure = ZipWriteFailure::CannotWrite) {
        zip_discard(archive);
        result.written.setOutcome(std::move(outcome));
        result.written.failure = failure;
        return result;
    };
    const auto libraryError = [&] {
        return QStringLiteral("The archive %1 could not be written: %2")
            .arg(archivePath, QString::fromLocal8Bit(zip_strerror(archive)));
    };

    BuildState build;
    build.options = &options;
    for (const qsizetype position : pending) {
        const ZipEntrySource& entry = entries[position];
        const QByteArray name = entry.entryName.toUtf8();
        if (entry.folder) {
            if (options.updateExisting && zip_name_locate(archive, (name + '/').constData(), 0) >= 0)
                continue;
            if (zip_dir_add(archive, name.constData(), ZIP_FL_ENC_UTF_8) < 0)
                return giveUp(Result::failure(libraryError()));
            ++result.written.packed;
            continue;
        }

        const zip_int64_t existing = options.updateExisting ? zip_name_locate(archive, name.constData(), 0) : -1;
        if (existing >= 0 && !newerThanEntry(archive, existing, entry.sourcePath))
            continue;
        auto* file = new FileSource(archive, &build, position, entry.sourcePath);
        zip_source_t* source = zip_source_function(archive, &FileSource::callback, file);
        if (!source) {
            delete file;
            return giveUp(Result::failure(libraryError()));
        }
        zip_int64_t index = existing;
        if (existing >= 0) {
            if (zip_file_replace(archive, static_cast<zip_uint64_t>(existing), source, 0) != 0)
                index = -1;
        } else {
            index = zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8);
        }
        if (index < 0) {
            zip_source_free(source);
            return giveUp(Result::failure(libraryError()));
        }
        file->setIndex(static_cast<zip_uint64_t>(index));
        setExtendedModified(archive, static_cast<zip_uint64_t>(index), entry.sourcePath);
        ++result.written.packed;
    }

    // libzip removes the archive when it is closed with no entries: never let it.
    if (zip_get_num_entries(archive, 0) <= 0)
        return giveUp(Result::failure(QStringLiteral("There is nothing to pack into %1").arg(archivePath)),
                      ZipWriteFailure::NothingToPack);

    if (zip_close(archive) == 0) {
        result.written.setOutcome(Result::success());
        return result;
    }
    if (build.stopped)
        return giveUp(Result::stop(QStringLiteral("The archive %1 was not built: stopped").arg(archivePath)));
    result.failedEntry = build.failedEntry;
    result.failedReason = build.failedReason;
    return giveUp(Result::failure(build.failedEntry >= 0 ? QString() : libraryError()));
}

bool isArchiveItself(const QString& sourcePath, const QString& archivePath)
{
    return QFileInfo(sourcePath).absoluteFilePath() == QFileInfo(archivePath).absoluteFilePath();
}

// A name is safe when extracting it puts the entry exactly where its name says, inside the folder.
bool isSafeEntryName(const QString& name)
{
    const ZipEntryPath relative = zipEntryRelativePath(name);
    return relative.path && *relative.path == name && !name.contains(QChar(0));
}

// Why an entry cannot be packed at all, or an empty text when it can be tried.
QString precheck(const ZipEntrySource& entry, const QString& archivePath, QSet<QString>& names)
{
    if (!isSafeEntryName(entry.entryName))
        return QStringLiteral("it has no safe name inside an archive");
    if (names.contains(entry.entryName))
        return QStringLiteral("another file is packed under the same name");
    const QFileInfo info(entry.sourcePath);
    if (!info.exists())
        return QStringLiteral("it no longer exists");
    if (entry.folder) {
        if (!info.isDir())
            return QStringLiteral("it is not a folder");
    } else {
        if (!info.isFile())
            return QStringLiteral("it is not a regular file");
        if (!info.isReadable())
            return QStringLiteral("it cannot be read");
        if (isArchiveItself(entry.sourcePath, archivePath))
            return QStringLiteral("it is the archive being written");
    }
    names.insert(entry.entryName);
    return QString();
}

} // namespace

ZipWriteResult writeZipArchive(const QString& archivePath, const QList<ZipEntrySource>& entries,
                               const ZipWriteOptions& options)
{
    QList<ZipSkippedEntry> skipped;
    QList<qsizetype> pending;
    QSet<QString> names;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString reason = precheck(entries[i], archivePath, names);
        if (reason.isEmpty())
            pending << i;
        else
            skipped << ZipSkippedEntry {entries[i].sourcePath, entries[i].entryName, reason};
    }

    // A source that fails while the archive is written is left out and the archive built again
    // without it: libzip cannot drop an entry half-way through writing.
    for (;;) {
        Attempt outcome = attempt(archivePath, entries, pending, options);
        if (outcome.failedEntry < 0) {
            outcome.written.skipped = skipped;
            return outcome.written;
        }
        const ZipEntrySource& failed = entries[outcome.failedEntry];
        skipped << ZipSkippedEntry {failed.sourcePath, failed.entryName, outcome.failedReason};
        pending.removeOne(outcome.failedEntry);
    }
}

} // namespace platform
