#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <QByteArray>
#include <QString>

#include "platform/RunContext.h"

namespace platform
{

// What the first piece of a file learnt about it.
struct ZipFileFacts
{
    qint64 size = 0;
    time_t mtime = 0;
    mode_t mode = 0;
    // Deflated, or stored because its head does not shrink.
    bool deflate = false;
    // One piece per ZipChunkSize bytes; an empty file has one.
    qint64 pieces = 1;
};

// One piece of a file as it goes into the archive: its bytes deflated (or stored) so that the pieces
// of a file, joined in order, are the entry's data.
struct ZipPiece
{
    // Why the file cannot be packed; empty when the piece was made.
    QString failure;
    int zipError = 0;
    QByteArray bytes;
    unsigned long crc = 0;
    qint64 inputSize = 0;
    // Set on the first piece only.
    ZipFileFacts facts;
};

// Reads and deflates the files of one archive build ahead of the writer, in worker threads. Each piece
// is made the same way whichever thread makes it, so the archive does not depend on the thread count.
// The writer takes pieces in its own order; one that no worker has begun it makes itself, so it never
// waits on a full window. Pieces made and not yet taken are held within a byte budget.
class ZipPieces
{
public:
    // With one worker, or none, every piece is made by the writer when it takes it.
    ZipPieces(int workers, RunContext& run);
    ~ZipPieces();
    ZipPieces(const ZipPieces&) = delete;
    ZipPieces& operator=(const ZipPieces&) = delete;

    // Files are named by their entry index; the writer takes them in index order. All are added before
    // the first piece is taken.
    void add(quint64 index, const QString& path);
    // Waits for a worker's piece keeping the caller's events alive; the workers start on the first call.
    ZipPiece take(quint64 index, qint64 piece);
    // After the last piece: the file must still end where it did when it was opened.
    QString finish(quint64 index);
    // The writer is done with the file, whether it was packed or not.
    void release(quint64 index);

private:
    enum class SlotState
    {
        Free,
        Working,
        Done,
        Taken
    };
    struct Slot
    {
        SlotState state = SlotState::Free;
        ZipPiece piece;
    };
    struct Job
    {
        quint64 index = 0;
        QString path;
        // Open from the first piece to the release of a file of several pieces.
        int fd = -1;
        bool known = false;
        ZipFileFacts facts;
        std::vector<Slot> parts;
        // The lowest later piece nobody has begun.
        qint64 nextFree = 1;
        int working = 0;
        bool released = false;
    };
    struct Claim
    {
        size_t job = 0;
        qint64 piece = 0;
        QString path;
        int fd = -1;
        ZipFileFacts facts;
    };

    void start();
    size_t find(quint64 index) const;
    bool claimAhead(Claim& claim);
    Claim claimAt(size_t job, qint64 piece);
    void store(const Claim& claim, ZipPiece piece, int fd);
    void closeWhenIdle(Job& job);
    qint64 cost(const ZipPiece& piece) const;
    void work();
    static ZipPiece make(const Claim& claim, int& fd);

    const int m_workers;
    RunContext& m_run;
    const qint64 m_budget;

    std::mutex m_mutex;
    // The writer waits for a piece; the workers for something to begin within the budget.
    std::condition_variable m_pieceDone;
    std::condition_variable m_workToDo;
    std::vector<Job> m_jobs;
    std::vector<std::thread> m_threads;
    bool m_started = false;
    bool m_ending = false;
    // The lowest job whose first piece may still be free.
    size_t m_nextFirst = 0;
    // Jobs with later pieces nobody has begun.
    std::set<size_t> m_open;
    // Bytes of pieces begun and not yet taken.
    qint64 m_held = 0;
};

} // namespace platform
