#include "restore/RestorePlacing.h"

#include <functional>
#include <optional>

#include <QFile>

#include "core/FileSystemHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "platform/FileCopy.h"
#include "platform/PendingFile.h"
#include "platform/RunContext.h"
#include "restore/OverwriteQuestion.h"

namespace restore
{
namespace
{
// One way of putting a restored file at its target.
struct Replacement
{
    // What the log names as the restored file.
    QString shownAs;
    // Where the question reads the restored file's size and date.
    QString path;
    // Puts it at the target, replacing what is there.
    std::function<PlaceResult()> put;
    // It is not wanted: the file that is there stays.
    std::function<void()> drop;
};

PlaceResult failedCopy(const QString& target, const QString& reason)
{
    core::LogEvent(QStringLiteral("Copy Failed: ") + target + QStringLiteral(" (") + reason + QLatin1Char(')'));
    return PlaceResult::failed(reason);
}

PlaceResult placeWith(const Replacement& replacement, const QString& target, OverwriteQuestion& question,
                      platform::RunContext& run, bool finalCopy)
{
    core::ProgramState& state = core::state();
    const auto skip = [&] {
        replacement.drop();
        return PlaceResult::skipped();
    };
    if (!core::FileExists(target)) {
        core::LogEvent((finalCopy ? QStringLiteral("Final Copy: ") : QStringLiteral("Copying File: "))
                       + replacement.shownAs + QStringLiteral(" > ") + target);
        return replacement.put();
    }

    if (state.ReplaceAnswer == AnswerNoToAll)
        return skip();
    if (state.ReplaceAnswer == AnswerYesToAll)
        return replacement.put();

    const QString copying = QStringLiteral("Copying File: ") + replacement.shownAs + QStringLiteral(" > ") + target;
    const std::optional<OverwriteAnswer> answer = question.ask(target, replacement.path, run);
    if (!answer)
        return PlaceResult::stopped(QStringLiteral("stopped"));
    state.ReplaceAnswer = replaceAnswerCode(*answer);
    switch (*answer) {
    case OverwriteAnswer::Cancel:
        core::LogEvent(QStringLiteral("========Replace File Cancel Button Pressed by User=========="));
        return PlaceResult::cancelled();
    case OverwriteAnswer::Yes: {
        core::LogEvent(copying);
        const PlaceResult result = replacement.put();
        state.ReplaceAnswer = NoAnswer;
        return result;
    }
    case OverwriteAnswer::No:
        core::LogEvent(QStringLiteral("Skipping File (User): ") + target);
        state.ReplaceAnswer = NoAnswer;
        return skip();
    case OverwriteAnswer::YesToAll:
        core::LogEvent(copying);
        return replacement.put();
    case OverwriteAnswer::NoToAll:
        core::LogEvent(QStringLiteral("Skipping File (NoToAll): ") + target);
        return skip();
    }
    return PlaceResult::skipped();
}
} // namespace

PlaceResult PlaceFile(const QString& workFile, const QString& target, OverwriteQuestion& question,
                      platform::RunContext& run, bool finalCopy, platform::TemporaryNames* names)
{
    const auto copyOver = [&] {
        core::MakePath(target);
        const platform::CopyResult copy = platform::copyFileReplacing(workFile, target, run, names);
        if (copy.stopped())
            return PlaceResult::stopped(copy.reason());
        QFile::remove(workFile);
        return copy.succeeded() ? PlaceResult::placed() : failedCopy(target, copy.reason());
    };
    return placeWith({workFile, workFile, copyOver, [&] { QFile::remove(workFile); }}, target, question, run,
                     finalCopy);
}

PlaceResult PlaceFile(platform::PendingFile& pending, const QString& shownAs, OverwriteQuestion& question,
                      platform::RunContext& run, bool finalCopy)
{
    const auto place
        = [&] { return pending.place() ? PlaceResult::placed() : failedCopy(pending.target(), pending.reason()); };
    return placeWith({shownAs, pending.path(), place, [&] { pending.discard(); }}, pending.target(), question, run,
                     finalCopy);
}

} // namespace restore
