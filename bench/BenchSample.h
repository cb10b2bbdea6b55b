// What the throughput benchmarks share: a large sample file of fixed pseudo-random bytes, a
// comparison of two files, wall time of one step and the process's peak memory.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cstring>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

namespace bench
{

inline long peakKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The same bytes on every run (xorshift), so figures compare across changes; incompressible, so
// no side gains from packing.
inline bool writeSample(const QString& path, qint64 mib)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    quint64 state = 88172645463325252ull;
    for (qint64 i = 0; i < mib; ++i) {
        for (qsizetype j = 0; j < chunk.size(); j += 8) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            std::memcpy(chunk.data() + j, &state, 8);
        }
        if (file.write(chunk) != chunk.size())
            return false;
    }
    return true;
}

inline bool sameFiles(const QString& a, const QString& b)
{
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    while (!first.atEnd()) {
        if (first.read(1 << 20) != second.read(1 << 20))
            return false;
    }
    return true;
}

// Seconds taken, or a negative value on failure. Dirty pages of earlier steps are flushed first, so
// that neither side pays for the other's writes.
template <typename Work>
double timed(Work work)
{
    sync();
    QElapsedTimer timer;
    timer.start();
    const bool ok = work();
    return ok ? timer.nsecsElapsed() / 1e9 : -1.0;
}

} // namespace bench
