#include "restore/RestorePlacing.h"

#include <optional>

#include <QFile>

#include "core/FileSystemHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "platform/FileCopy.h"
#include "platform/RunContext.h"
#include "restore/OverwriteQuestion.h"

namespace restore
{
namespace
{
PlaceResult copyOver(const QString& workFile, const QString& target, platform::RunContext& run)
{
    const platform::CopyResult copy = platform::copyFileReplacing(workFile, target, run);
    if (copy.succeeded()) {
        QFile::remove(workFile);
        return PlaceResult::placed();
    }
    if (copy.stopped())
        return PlaceResult::stopped(copy.reason());
    core::LogEvent(QStringLiteral("Copy Failed: ") + target + QStringLiteral(" (") + copy.reason() + QLatin1Char(')'));
    QFile::remove(workFile);
    return PlaceResult::failed(copy.reason());
}

PlaceResult skip(const QString& workFile)
{
    QFile::remove(workFile);
    return PlaceResult::skipped();
}
} // namespace

PlaceResult PlaceFile(const QString& workFile, const QString& target, OverwriteQuestion& question,
                      platform::RunContext& run, bool finalCopy)
{
    core::ProgramState& state = core::state();
    if (!core::FileExists(target)) {
        core::MakePath(target);
        core::LogEvent((finalCopy ? QStringLiteral("Final Copy: ") : QStringLiteral("Copying File: ")) + workFile
                       + QStringLiteral(" > ") + target);
        return copyOver(workFile, target, run);
    }

    if (state.ReplaceAnswer == AnswerNoToAll)
        return skip(workFile);
    if (state.ReplaceAnswer == AnswerYesToAll)
        return copyOver(workFile, target, run);

    const QString copying = QStringLiteral("Copying File: ") + workFile + QStringLiteral(" > ") + target;
    const std::optional<OverwriteAnswer> answer = question.ask(target, workFile, run);
    if (!answer)
        return PlaceResult::stopped(QStringLiteral("stopped"));
    state.ReplaceAnswer = replaceAnswerCode(*answer);
    switch (*answer) {
    case OverwriteAnswer::Cancel:
        core::LogEvent(QStringLiteral("========Replace File Cancel Button Pressed by User=========="));
        return PlaceResult::cancelled();
    case OverwriteAnswer::Yes: {
        core::LogEvent(copying);
        const PlaceResult result = copyOver(workFile, target, run);
        state.ReplaceAnswer = NoAnswer;
        return result;
    }
    case OverwriteAnswer::No:
        core::LogEvent(QStringLiteral("Skipping File (User): ") + target);
        state.ReplaceAnswer = NoAnswer;
        return skip(workFile);
    case OverwriteAnswer::YesToAll:
        core::LogEvent(copying);
        return copyOver(workFile, target, run);
    case OverwriteAnswer::NoToAll:
        core::LogEvent(QStringLiteral("Skipping File (NoToAll): ") + target);
        return skip(workFile);
    }
    return PlaceResult::skipped();
}

} // namespace restore
