#include "platform/ZipWriterPieces.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include <QFile>
#include <QFileInfo>

#include <zip.h>
#include <zlib.h>

#include "platform/ZipWriter.h"

namespace platform
{

namespace
{
// The head of a file that decides whether deflating it is worth while.
constexpr qsizetype ProbeSize = 16 * 1024;
// A later piece is deflated with the end of the one before as its dictionary, so splitting a file
// costs next to nothing in size.
constexpr qsizetype DictionarySize = 32 * 1024;
// A piece held counts at least this much, so that a window of tiny files stays short.
constexpr qint64 LeastCost = 16 * 1024;

const QString ChangedWhileRead = QStringLiteral("it changed while it was being packed");

QString cannotRead(int error)
{
    return QStringLiteral("it cannot be read: ") + QString::fromLocal8Bit(std::strerror(error));
}

bool failed(ZipPiece& piece, const QString& reason, int zipError)
{
    piece.failure = reason;
    piece.zipError = zipError;
    return false;
}

// Exactly `size` bytes from `offset`: a file that ends early changed while it was read.
bool readAt(int fd, char* to, qint64 size, qint64 offset, ZipPiece& piece)
{
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, to + got, static_cast<size_t>(size - got), offset + got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(piece, cannotRead(errno), ZIP_ER_READ);
        if (n == 0)
            return failed(piece, ChangedWhileRead, ZIP_ER_READ);
        got += n;
    }
    return true;
}

// The file must end where its size said it would.
bool endsAt(int fd, qint64 size, ZipPiece& piece)
{
    char extra = 0;
    ssize_t n;
    do
        n = ::pread(fd, &extra, 1, size);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return failed(piece, cannotRead(errno), ZIP_ER_READ);
    if (n > 0)
        return failed(piece, ChangedWhileRead, ZIP_ER_READ);
    return true;
}

class Deflater
{
public:
    Deflater()
        : m_open(deflateInit2(&m_stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK)
    { }
    ~Deflater()
    {
        if (m_open)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool setDictionary(const char* data, qsizetype size)
    {
        return m_open
            && (size == 0
                || deflateSetDictionary(&m_stream, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size))
                    == Z_OK);
    }

    // Deflates `size` bytes onto the end of `out`.
    bool run(const char* data, qsizetype size, int flush, QByteArray& out)
    {
        if (!m_open)
            return false;
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_stream.avail_in = static_cast<uInt>(size);
        for (;;) {
            const qsizetype before = out.size();
            const qsizetype room = static_cast<qsizetype>(deflateBound(&m_stream, m_stream.avail_in)) + 64;
            out.resize(before + room);
            m_stream.next_out = reinterpret_cast<Bytef*>(out.data() + before);
            m_stream.avail_out = static_cast<uInt>(room);
            const int rc = deflate(&m_stream, flush);
            out.resize(before + room - static_cast<qsizetype>(m_stream.avail_out));
            if (rc == Z_STREAM_ERROR)
                return false;
            const bool finished
                = flush == Z_FINISH ? rc == Z_STREAM_END : m_stream.avail_in == 0 && m_stream.avail_out != 0;
            if (finished)
                return true;
        }
    }

private:
    z_stream m_stream {};
    bool m_open;
};

const QString CannotCompress = QStringLiteral("it could not be compressed");

// Opens the file and makes its first piece: a file that fits is deflated whole and kept in the smaller
// form; a larger one is judged by how well its first piece deflates. A file of several pieces stays
// open in `fd` for the rest.
ZipPiece makeFirst(const QString& path, int& fd)
{
    ZipPiece piece;
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        const int error = errno;
        failed(piece, QFileInfo::exists(path) ? cannotRead(error) : QStringLiteral("it no longer exists"), ZIP_ER_OPEN);
        return piece;
    }
    struct stat info;
    if (::fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(file);
        failed(piece, QStringLiteral("it is not a regular file"), ZIP_ER_OPEN);
        return piece;
    }
    ZipFileFacts& facts = piece.facts;
    facts.size = info.st_size;
    facts.mtime = info.st_mtime;
    facts.mode = info.st_mode & 07777;
    facts.pieces = std::max<qint64>(1, (facts.size + ZipChunkSize - 1) / ZipChunkSize);
    const bool whole = facts.pieces == 1;

    QByteArray in(std::min(facts.size, ZipChunkSize), Qt::Uninitialized);
    if (!readAt(file, in.data(), in.size(), 0, piece) || (whole && !endsAt(file, facts.size, piece))) {
        ::close(file);
        return piece;
    }
    piece.inputSize = in.size();
    piece.crc = crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(in.constData()),
                        static_cast<size_t>(in.size()));

    // Data that does not shrink (photos, music, archives) shows it at once: a small probe of the
    // file's head, flushed so that its deflated size is exact, spares deflating the rest.
    const qsizetype probe = std::min<qsizetype>(in.size(), ProbeSize);
    const bool probeIsWhole = whole && probe == in.size();
    facts.deflate = facts.size > 0;
    if (facts.deflate) {
        Deflater deflater;
        if (!deflater.run(in.constData(), probe, probeIsWhole ? Z_FINISH : Z_SYNC_FLUSH, piece.bytes)) {
            ::close(file);
            failed(piece, CannotCompress, ZIP_ER_ZLIB);
            return piece;
        }
        facts.deflate = piece.bytes.size() < probe;
        if (facts.deflate && !probeIsWhole
            && !deflater.run(in.constData() + probe, in.size() - probe, whole ? Z_FINISH : Z_SYNC_FLUSH, piece.bytes)) {
            ::close(file);
            failed(piece, CannotCompress, ZIP_ER_ZLIB);
            return piece;
        }
        facts.deflate = facts.deflate && piece.bytes.size() < in.size();
    }
    if (!facts.deflate)
        piece.bytes = std::move(in);
    // Room left by the deflate bound is held as long as the piece waits for the writer.
    piece.bytes.squeeze();
    if (whole)
        ::close(file);
    else
        fd = file;
    return piece;
}

// A later piece, read from the open file; deflated ones start from the piece before's last bytes.
ZipPiece makeLater(int fd, const ZipFileFacts& facts, qint64 index)
{
    ZipPiece piece;
    const qint64 offset = index * ZipChunkSize;
    const qint64 size = std::min(ZipChunkSize, facts.size - offset);
    const bool last = index == facts.pieces - 1;
    const qsizetype dictionary = facts.deflate ? std::min<qint64>(DictionarySize, offset) : 0;
    QByteArray in(dictionary + size, Qt::Uninitialized);
    if (!readAt(fd, in.data(), in.size(), offset - dictionary, piece) || (last && !endsAt(fd, facts.size, piece)))
        return piece;
    piece.inputSize = size;
    piece.crc = crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(in.constData() + dictionary),
                        static_cast<size_t>(size));
    if (!facts.deflate) {
        piece.bytes = std::move(in);
        return piece;
    }
    Deflater deflater;
    if (!deflater.setDictionary(in.constData(), dictionary)
        || !deflater.run(in.constData() + dictionary, size, last ? Z_FINISH : Z_SYNC_FLUSH, piece.bytes))
        failed(piece, CannotCompress, ZIP_ER_ZLIB);
    piece.bytes.squeeze();
    return piece;
}

} // namespace

ZipPieces::ZipPieces(int workers, RunContext& run)
    : m_workers(std::max(workers, 1))
    , m_run(run)
    // Enough to keep every worker busy while the writer is one piece behind; more buys nothing.
    , m_budget((m_workers + 2) * 2 * ZipChunkSize)
{ }

ZipPieces::~ZipPieces()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_workToDo.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
    for (Job& job : m_jobs) {
        if (job.fd >= 0)
            ::close(job.fd);
    }
}

void ZipPieces::add(quint64 index, const QString& path)
{
    Job job;
    job.index = index;
    job.path = path;
    job.parts.resize(1);
    m_jobs.push_back(std::move(job));
}

void ZipPieces::start()
{
    m_started = true;
    std::sort(m_jobs.begin(), m_jobs.end(), [](const Job& a, const Job& b) { return a.index < b.index; });
    // An archive per file is common: a lone small file is not worth starting threads for.
    qint64 enough = static_cast<qint64>(m_jobs.size());
    if (enough == 1)
        enough = (QFileInfo(m_jobs.front().path).size() + ZipChunkSize - 1) / ZipChunkSize;
    const qint64 threads = m_workers > 1 ? std::min<qint64>(m_workers, enough) : 0;
    for (qint64 i = 0; i < threads && threads > 1; ++i)
        m_threads.emplace_back([this] { work(); });
}

size_t ZipPieces::find(quint64 index) const
{
    const auto at = std::lower_bound(m_jobs.begin(), m_jobs.end(), index,
                                     [](const Job& job, quint64 wanted) { return job.index < wanted; });
    return static_cast<size_t>(at - m_jobs.begin());
}

qint64 ZipPieces::cost(const ZipPiece& piece) const
{
    return std::max<qint64>(piece.bytes.capacity(), LeastCost);
}

ZipPieces::Claim ZipPieces::claimAt(size_t job, qint64 piece)
{
    Job& owner = m_jobs[job];
    owner.parts[piece].state = SlotState::Working;
    ++owner.working;
    m_held += ZipChunkSize;
    if (piece > 0) {
        owner.nextFree = piece + 1;
        if (owner.nextFree >= owner.facts.pieces)
            m_open.erase(job);
    }
    return Claim {job, piece, owner.path, owner.fd, owner.facts};
}

// The piece nearest the writer that nobody has begun, while the budget allows.
bool ZipPieces::claimAhead(Claim& claim)
{
    if (m_held + ZipChunkSize > m_budget)
        return false;
    while (m_nextFirst < m_jobs.size() && m_jobs[m_nextFirst].parts[0].state != SlotState::Free)
        ++m_nextFirst;
    const size_t later = m_open.empty() ? m_jobs.size() : *m_open.begin();
    if (later < m_nextFirst) {
        claim = claimAt(later, m_jobs[later].nextFree);
        return true;
    }
    if (m_nextFirst < m_jobs.size()) {
        claim = claimAt(m_nextFirst, 0);
        return true;
    }
    return false;
}

ZipPiece ZipPieces::make(const Claim& claim, int& fd)
{
    return claim.piece == 0 ? makeFirst(claim.path, fd) : makeLater(claim.fd, claim.facts, claim.piece);
}

void ZipPieces::store(const Claim& claim, ZipPiece piece, int fd)
{
    Job& job = m_jobs[claim.job];
    --job.working;
    m_held += cost(piece) - ZipChunkSize;
    if (claim.piece == 0 && piece.failure.isEmpty()) {
        job.known = true;
        job.facts = piece.facts;
        job.fd = fd;
        job.parts.resize(static_cast<size_t>(job.facts.pieces));
        if (job.facts.pieces > 1 && !job.released)
            m_open.insert(claim.job);
    }
    if (!piece.failure.isEmpty()) {
        // Nothing more of this file is worth reading.
        job.nextFree = job.facts.pieces;
        m_open.erase(claim.job);
    }
    Slot& slot = job.parts[claim.piece];
    slot.state = SlotState::Done;
    slot.piece = std::move(piece);
    if (job.released) {
        m_held -= cost(slot.piece);
        slot.piece = {};
        slot.state = SlotState::Taken;
        closeWhenIdle(job);
    }
    m_pieceDone.notify_one();
    // A file's later pieces are there to begin.
    if (claim.piece == 0 && job.facts.pieces > 1)
        m_workToDo.notify_all();
}

void ZipPieces::closeWhenIdle(Job& job)
{
    if (job.working == 0 && job.fd >= 0) {
        ::close(job.fd);
        job.fd = -1;
    }
}

void ZipPieces::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        Claim claim;
        m_workToDo.wait(lock, [&] { return m_ending || claimAhead(claim); });
        if (m_ending)
            return;
        lock.unlock();
        int fd = -1;
        ZipPiece piece = make(claim, fd);
        lock.lock();
        store(claim, std::move(piece), fd);
    }
}

ZipPiece ZipPieces::take(quint64 index, qint64 piece)
{
    std::unique_lock lock(m_mutex);
    if (!m_started)
        start();
    const size_t job = find(index);
    if (job >= m_jobs.size() || m_jobs[job].index != index || static_cast<size_t>(piece) >= m_jobs[job].parts.size()) {
        ZipPiece missing;
        failed(missing, CannotCompress, ZIP_ER_INTERNAL);
        return missing;
    }
    for (;;) {
        // Looked up afresh each time: the first piece resizes the job's parts.
        Slot& slot = m_jobs[job].parts[piece];
        if (slot.state == SlotState::Free) {
            const Claim claim = claimAt(job, piece);
            lock.unlock();
            int fd = -1;
            ZipPiece made = make(claim, fd);
            lock.lock();
            store(claim, std::move(made), fd);
            continue;
        }
        if (slot.state == SlotState::Done) {
            ZipPiece taken = std::move(slot.piece);
            slot.piece = {};
            slot.state = SlotState::Taken;
            const bool wasFull = m_held > m_budget / 2;
            m_held -= cost(taken);
            // Workers held back by the budget resume together once half of it is free, not one
            // wake-up for every small file taken.
            const bool resume = wasFull && m_held <= m_budget / 2;
            lock.unlock();
            if (resume)
                m_workToDo.notify_all();
            return taken;
        }
        if (slot.state == SlotState::Taken) {
            ZipPiece again;
            failed(again, CannotCompress, ZIP_ER_INTERNAL);
            return again;
        }
        // A worker has it: keep the windows alive while it finishes.
        if (m_pieceDone.wait_for(lock, std::chrono::milliseconds(20)) == std::cv_status::timeout) {
            lock.unlock();
            m_run.yield();
            lock.lock();
        }
    }
}

QString ZipPieces::finish(quint64 index)
{
    std::lock_guard lock(m_mutex);
    const size_t job = find(index);
    if (job >= m_jobs.size() || m_jobs[job].fd < 0)
        return QString();
    struct stat info;
    if (::fstat(m_jobs[job].fd, &info) != 0)
        return cannotRead(errno);
    return info.st_size == m_jobs[job].facts.size ? QString() : ChangedWhileRead;
}

void ZipPieces::release(quint64 index)
{
    std::lock_guard lock(m_mutex);
    const size_t at = find(index);
    if (at >= m_jobs.size() || m_jobs[at].index != index)
        return;
    Job& job = m_jobs[at];
    job.released = true;
    job.nextFree = job.facts.pieces;
    m_open.erase(at);
    const qint64 heldBefore = m_held;
    for (Slot& slot : job.parts) {
        if (slot.state == SlotState::Done)
            m_held -= cost(slot.piece);
        if (slot.state == SlotState::Done || slot.state == SlotState::Free) {
            slot.piece = {};
            slot.state = SlotState::Taken;
        }
    }
    closeWhenIdle(job);
    // A file packed whole frees nothing here; waking every worker for each one would cost more than
    // the packing.
    if (m_held < heldBefore)
        m_workToDo.notify_all();
}

} // namespace platform
