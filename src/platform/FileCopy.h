#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "platform/PendingFile.h"
#include "platform/Result.h"
#include "platform/RunContext.h"

namespace platform
{

// How a copy ended (a stop changed nothing at the target), and what it wrote.
struct CopyResult : Result
{
    // The bytes written to the target.
    qint64 bytes = 0;
    // The system's error number when writing the target failed; 0 for any other outcome.
    int targetError = 0;
};

// Whether a write error dooms every later write to the same place: no space, quota exceeded, a
// read-only file system, a device or share that went away.
bool isLostDestinationError(int error);

// Copies `source` to `target`, replacing a file that is there. The bytes go, in chunks, to a
// temporary file in the target's folder, which takes the target's name only once every byte is
// written (and, when it replaces a file, is on the disk): a failed or stopped copy leaves an
// existing target whole and no partial file behind. The target's folder must exist. The copy keeps
// the source's modification time and permission bits (never set-id bits). Between chunks the run
// yields once and is asked whether to stop. A temporary name the copy takes is noted in `names`
// when given (see PendingFile).
CopyResult copyFileReplacing(const QString& source, const QString& target, RunContext& run = unwatchedRun(),
                             TemporaryNames* names = nullptr);

// Sets a written file's modification time and, when given, its permission bits (rwx for owner,
// group and others; set-id bits are dropped). False when either could not be set.
bool setFileDateAndMode(const QString& path, const QDateTime& modified, std::optional<quint32> mode = std::nullopt);

} // namespace platform
