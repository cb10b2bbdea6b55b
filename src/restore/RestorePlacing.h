#pragma once

#include <QString>

#include "platform/Result.h"

namespace platform
{
class PendingFile;
class RunContext;
class TemporaryNames;
} // namespace platform

namespace restore
{

class OverwriteQuestion;

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

// What became of one work file. It starts as a failure; Placed and Skipped succeeded, and the
// caller counts them apart.
class PlaceResult
{
public:
    PlaceResult() = default;
    static PlaceResult placed() { return {PlaceOutcome::Placed, platform::Result::success()}; }
    static PlaceResult skipped() { return {PlaceOutcome::Skipped, platform::Result::success()}; }
    static PlaceResult cancelled()
    {
        return {PlaceOutcome::Cancelled, platform::Result::failure(QStringLiteral("cancelled by the user"))};
    }
    static PlaceResult failed(QString reason)
    {
        return {PlaceOutcome::Failed, platform::Result::failure(std::move(reason))};
    }
    static PlaceResult stopped(QString reason) { return {PlaceOutcome::Stopped, platform::Result::stop(reason)}; }

    PlaceOutcome outcome() const { return m_outcome; }
    bool succeeded() const { return m_result.succeeded(); }
    // Why the copy failed, for the user.
    const QString& reason() const { return m_result.reason(); }

private:
    PlaceResult(PlaceOutcome outcome, platform::Result result)
        : m_outcome(outcome)
        , m_result(std::move(result))
    { }

    PlaceOutcome m_outcome = PlaceOutcome::Failed;
    platform::Result m_result;
};

// Puts one restored work file at its target. A new target is copied with its folders made; before
// an existing file is replaced `question` asks, unless a "Yes to All" or "No to All" of this restore
// stands in ReplaceAnswer (program state), which the run clears when it starts; the answer is kept
// there. A replaced file is never lost: the copy goes to a temporary name in the target's folder
// and takes the target's name only when it is complete; a temporary name it takes on the way is noted
// in `names` when given. A stop request of `run` is seen within a chunk of the copy and while the
// question waits. `finalCopy` logs a new target as the final copy of an unpacked file.
PlaceResult PlaceFile(const QString& workFile, const QString& target, OverwriteQuestion& question,
                      platform::RunContext& run, bool finalCopy = false, platform::TemporaryNames* names = nullptr);

// The same for a restored file already written whole for its target (see platform::PendingFile),
// which the log names as `shownAs`: it takes the target's name, or goes when the file there stays.
// After a Cancel or a stop it is left to its owner.
PlaceResult PlaceFile(platform::PendingFile& pending, const QString& shownAs, OverwriteQuestion& question,
                      platform::RunContext& run, bool finalCopy = false);

} // namespace restore
