#include "restore/RestorePlacing.h"

#include <optional>

#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include "core/FileSystemHelpers.h"
#include "core/ProgramRun.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "platform/EventLoop.h"
#include "platform/FileCopy.h"
#include "restore/frmWarning.h"

namespace restore
{
namespace
{
// How long one wait for the answer lasts before it looks again whether the question is still up.
constexpr int kAnswerPollMs = 1000;

PlaceResult copyOver(const QString& workFile, const QString& target)
{
    const platform::CopyResult copy = platform::copyFileReplacing(workFile, target, core::programRun());
    if (copy.succeeded()) {
        QFile::remove(workFile);
        return {PlaceOutcome::Placed, QString()};
    }
    if (copy.stopped())
        return {PlaceOutcome::Stopped, copy.reason()};
    core::LogEvent(QStringLiteral("Copy Failed: ") + target + QStringLiteral(" (") + copy.reason() + QLatin1Char(')'));
    QFile::remove(workFile);
    return {PlaceOutcome::Failed, copy.reason()};
}

PlaceResult skip(const QString& workFile)
{
    QFile::remove(workFile);
    return {PlaceOutcome::Skipped, QString()};
}

// Shows the overwrite question and waits, with the event loop running, for its answer; nothing when
// a stop was requested first, which takes the question away unanswered.
std::optional<int> askOverwrite(const QString& workFile, const QString& target)
{
    core::ProgramState& state = core::state();
    // A text that cannot be read keeps what it showed before.
    state.ExistingFilePath = target;
    const QFileInfo existing(target);
    const QFileInfo restored(workFile);
    if (existing.exists())
        state.ExistingFileSize = QString::number(existing.size());
    if (restored.exists())
        state.RestoredFileSize = QString::number(restored.size());
    if (const auto date = core::GetFileDateModified(target))
        state.ExistingFileDate = *date;
    if (const auto date = core::GetFileDateModified(workFile))
        state.RestoredFileDate = *date;

    QPointer<frmWarning> dialog = new frmWarning;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    const auto waiting = [&] { return state.ReplaceAnswer == NoAnswer && !dialog.isNull() && !state.bStopBackup; };
    while (waiting())
        platform::waitWhile(waiting, kAnswerPollMs);
    if (state.bStopBackup) {
        delete dialog.data();
        return std::nullopt;
    }
    // The question cannot go without an answer; should it, the file in place stays.
    if (state.ReplaceAnswer == NoAnswer)
        state.ReplaceAnswer = AnswerNo;
    return state.ReplaceAnswer;
}
} // namespace

PlaceResult PlaceFile(const QString& workFile, const QString& target, bool finalCopy)
{
    core::ProgramState& state = core::state();
    if (!core::FileExists(target)) {
        core::MakePath(target);
        core::LogEvent((finalCopy ? QStringLiteral("Final Copy: ") : QStringLiteral("Copying File: ")) + workFile
                       + QStringLiteral(" > ") + target);
        return copyOver(workFile, target);
    }

    if (state.ReplaceAnswer == AnswerNoToAll)
        return skip(workFile);
    if (state.ReplaceAnswer == AnswerYesToAll)
        return copyOver(workFile, target);

    const QString copying = QStringLiteral("Copying File: ") + workFile + QStringLiteral(" > ") + target;
    const std::optional<int> answer = askOverwrite(workFile, target);
    if (!answer)
        return {PlaceOutcome::Stopped, QStringLiteral("stopped")};
    switch (*answer) {
    case AnswerCancel:
        core::LogEvent(QStringLiteral("========Replace File Cancel Button Pressed by User=========="));
        return {PlaceOutcome::Cancelled, QString()};
    case AnswerYes: {
        core::LogEvent(copying);
        const PlaceResult result = copyOver(workFile, target);
        state.ReplaceAnswer = NoAnswer;
        return result;
    }
    case AnswerNo:
        core::LogEvent(QStringLiteral("Skipping File (User): ") + target);
        state.ReplaceAnswer = NoAnswer;
        return skip(workFile);
    case AnswerYesToAll:
        core::LogEvent(copying);
        return copyOver(workFile, target);
    case AnswerNoToAll:
        core::LogEvent(QStringLiteral("Skipping File (NoToAll): ") + target);
        return skip(workFile);
    default:
        // An answer this step does not know: nothing is done and the answer stands.
        return {PlaceOutcome::Skipped, QString()};
    }
}

} // namespace restore
