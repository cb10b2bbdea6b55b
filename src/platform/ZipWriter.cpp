#include "platform/ZipWriter.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <zip.h>
#include <zlib.h>

#include "platform/ZipArchiveFile.h"
#include "platform/ZipReader.h"
#include "platform/ZipWriterPieces.h"

namespace platform
{

namespace
{
// The entry's modification time to the second, as Info-ZIP records it: the DOS time of the entry
// itself only holds even seconds.
void setExtendedModified(zip_t* archive, zip_uint64_t index, time_t modified)
{
    if (modified < 0 || modified > std::numeric_limits<qint32>::max())
        return;
    const quint32 seconds = static_cast<quint32>(modified);
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

// Past this the single writer cannot keep up, and each worker holds a few chunks.
constexpr int MostWorkers = 8;

// What one attempt at the archive learnt from its sources.
struct BuildState
{
    const ZipWriteOptions* options = nullptr;
    ZipPieces* pieces = nullptr;
    bool stopped = false;
    // Position in the caller's entry list of the source that failed, -1 for none.
    qsizetype failedEntry = -1;
    QString failedReason;
};

// A libzip source that hands over one file's pieces as they come, already deflated or stored, so that
// the file's head decides between the two before libzip writes the entry's header.
class FileSource
{
public:
    FileSource(zip_t* archive, BuildState* build, qsizetype position)
        : m_archive(archive)
        , m_build(build)
        , m_position(position)
    {
        zip_error_init(&m_error);
    }
    ~FileSource() { zip_error_fini(&m_error); }
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
        st->size = static_cast<zip_uint64_t>(m_facts.size);
        st->mtime = m_facts.mtime;
        st->comp_method = m_facts.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE;
        if (m_inputDone) {
            st->valid |= ZIP_STAT_CRC;
            st->crc = static_cast<zip_uint32_t>(m_crc);
        }
        if (m_inputDone && m_facts.deflate && m_facts.pieces == 1) {
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
        m_build->pieces->release(m_index);
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
        attributes->external_file_attributes = (static_cast<zip_uint32_t>(S_IFREG | m_facts.mode)) << 16;
        return sizeof(*attributes);
    }

    // Takes the file's first piece, which settles its size and whether it is deflated.
    bool prepare()
    {
        m_phase = Phase::Reading;
        if (!stopCheck())
            return false;
        ZipPiece first = m_build->pieces->take(m_index, 0);
        if (!first.failure.isEmpty())
            return fail(first.failure, first.zipError);
        m_facts = first.facts;
        m_crc = first.crc;
        m_out = std::move(first.bytes);
        m_outPos = 0;
        m_next = 1;
        // Stored: the entry's method must say so before libzip writes its header (were it not to,
        // libzip would deflate the entry itself).
        if (!m_facts.deflate)
            zip_set_file_compression(m_archive, m_index, ZIP_CM_STORE, 0);
        m_compressedSize = m_out.size();
        return m_next < m_facts.pieces || done();
    }

    // Refills the output from the file's next piece.
    bool produce()
    {
        m_out = QByteArray();
        m_outPos = 0;
        if (!stopCheck())
            return false;
        ZipPiece piece = m_build->pieces->take(m_index, m_next);
        if (!piece.failure.isEmpty())
            return fail(piece.failure, piece.zipError);
        m_crc = crc32_combine(m_crc, piece.crc, static_cast<z_off_t>(piece.inputSize));
        m_out = std::move(piece.bytes);
        ++m_next;
        return m_next < m_facts.pieces || done();
    }

    bool done()
    {
        const QString changed = m_build->pieces->finish(m_index);
        if (!changed.isEmpty())
            return fail(changed, ZIP_ER_READ);
        m_inputDone = true;
        return true;
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
    zip_uint64_t m_index = 0;
    zip_error_t m_error;

    Phase m_phase = Phase::Fresh;
    ZipFileFacts m_facts;
    qint64 m_next = 0;
    uLong m_crc = 0;
    qint64 m_compressedSize = 0;
    bool m_inputDone = false;

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
bool newerThanEntry(zip_t* archive, zip_int64_t index, time_t sourceModified)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_MTIME))
        return true;
    return static_cast<qint64>(sourceModified) > static_cast<qint64>(st.mtime) + 1;
}

// A source that passed the precheck, with its modification time as the precheck found it.
struct PendingEntry
{
    qsizetype position = 0;
    time_t modified = 0;
};

Attempt attempt(const QString& archivePath, const QList<ZipEntrySource>& entries, const QList<PendingEntry>& pending,
                const ZipWriteOptions& options)
{
    Attempt result;
    // Declared before the archive: libzip's sources use it until the archive is closed or discarded.
    ZipPieces pieces(options.workers > 0 ? options.workers : std::min(QThread::idealThreadCount(), MostWorkers),
                     *options.run);
    int openError = 0;
    int writeError = 0;
    const int flags = ZIP_CREATE | (options.updateExisting ? 0 : ZIP_TRUNCATE);
    zip_t* archive = openZipArchive(archivePath, flags, &openError, &writeError);
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
    // The file's own failure names the system's reason, which libzip's error can have lost.
    const auto libraryError = [&] {
        return QStringLiteral("The archive %1 could not be written: %2")
            .arg(archivePath,
                 writeError != 0 ? qt_error_string(writeError) : QString::fromLocal8Bit(zip_strerror(archive)));
    };

    BuildState build;
    build.options = &options;
    build.pieces = &pieces;
    for (const PendingEntry& next : pending) {
        const qsizetype position = next.position;
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
        if (existing >= 0 && !newerThanEntry(archive, existing, next.modified))
            continue;
        auto* file = new FileSource(archive, &build, position);
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
        pieces.add(static_cast<zip_uint64_t>(index), entry.sourcePath);
        setExtendedModified(archive, static_cast<zip_uint64_t>(index), next.modified);
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
    result.written.writeError = writeError;
    return giveUp(Result::failure(build.failedEntry >= 0 ? QString() : libraryError()));
}

bool isArchiveItself(const QString& sourcePath, const QString& absoluteArchivePath)
{
    return QFileInfo(sourcePath).absoluteFilePath() == absoluteArchivePath;
}

// A name is safe when extracting it puts the entry exactly where its name says, inside the folder.
bool isSafeEntryName(const QString& name)
{
    const ZipEntryPath relative = zipEntryRelativePath(name);
    return relative.path && *relative.path == name && !name.contains(QChar(0));
}

// Whether the permission bits alone show the file can be read: they settle it for its owner, whom
// no access list narrows; anyone else is left to access(), which knows the lists and groups.
bool plainlyReadable(const struct stat& info)
{
    static const uid_t user = ::geteuid();
    return info.st_uid == user && (info.st_mode & S_IRUSR);
}

// Why an entry cannot be packed at all, or an empty text when it can be tried. One stat a source:
// on a tree of many small files these calls are much of the writer's time.
QString precheck(const ZipEntrySource& entry, const QString& absoluteArchivePath, QSet<QString>& names,
                 time_t& modified)
{
    if (!isSafeEntryName(entry.entryName))
        return QStringLiteral("it has no safe name inside an archive");
    if (names.contains(entry.entryName))
        return QStringLiteral("another file is packed under the same name");
    const QByteArray path = QFile::encodeName(entry.sourcePath);
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0)
        return QStringLiteral("it no longer exists");
    if (entry.folder) {
        if (!S_ISDIR(info.st_mode))
            return QStringLiteral("it is not a folder");
    } else {
        if (!S_ISREG(info.st_mode))
            return QStringLiteral("it is not a regular file");
        if (!plainlyReadable(info) && ::access(path.constData(), R_OK) != 0)
            return QStringLiteral("it cannot be read");
        if (isArchiveItself(entry.sourcePath, absoluteArchivePath))
            return QStringLiteral("it is the archive being written");
    }
    modified = info.st_mtime;
    names.insert(entry.entryName);
    return QString();
}

} // namespace

ZipWriteResult writeZipArchive(const QString& archivePath, const QList<ZipEntrySource>& entries,
                               const ZipWriteOptions& options)
{
    QList<ZipSkippedEntry> skipped;
    QList<PendingEntry> pending;
    QSet<QString> names;
    const QString absoluteArchivePath = QFileInfo(archivePath).absoluteFilePath();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        time_t modified = 0;
        const QString reason = precheck(entries[i], absoluteArchivePath, names, modified);
        if (reason.isEmpty())
            pending << PendingEntry {i, modified};
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
        pending.removeIf([&](const PendingEntry& entry) { return entry.position == outcome.failedEntry; });
    }
}

} // namespace platform
