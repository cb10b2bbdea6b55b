#pragma once

#include <QString>

namespace restore
{

enum class PlaceOutcome
{
    // The work file is at the target now (and gone from the work folder).
    Placed,
    // A file was there and stays, by the user's answer; the work file is gone.
    Skipped,
    // The user cancelled the restore in the overwrite question; the work file stays.
    Cancelled,
    // The copy failed; an existing target is untouched and the work file is gone.
    Failed,
    // A stop request came during the question or the copy; the target is untouched and the work file stays.
    Stopped,
};

struct PlaceResult
{
    PlaceOutcome outcome = PlaceOutcome::Failed;
    // Why the copy failed, for the user.
    QString reason;
};

// Puts one restored work file at its target. A new target is copied with its folders made; before
// an existing file is replaced the overwrite question asks, unless a "Yes to All" or "No to All" of
// this restore stands in ReplaceAnswer (program state), which the run clears when it starts. A
// replaced file is never lost: the copy goes to a temporary name in the target's folder and takes
// the target's name only when it is complete. A stop request (bStopBackup) is seen within a chunk
// of the copy, and while the question waits, which it then takes away unanswered. `finalCopy` logs a new target as the
// final copy of an unpacked file.
PlaceResult PlaceFile(const QString& workFile, const QString& target, bool finalCopy = false);

} // namespace restore
