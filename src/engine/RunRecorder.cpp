#include "engine/RunRecorder.h"

#include <QFile>

#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/ProjectTextCoding.h"
#include "core/RunLog.h"
#include "core/RunOutcome.h"
#include "core/SetDocument.h"
#include "core/SetText.h"
#include "platform/Clock.h"

namespace engine
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");

enum class Situation
{
    Stopped,
    Failed,
    // An earlier destination of the same run, in front of a later failure.
    EarlierSuccess,
    EarlierFailure,
};

// The text after "(Destination<n>" for a destination of `type`; empty for a type that is no kind of
// destination. `note` follows an earlier success.
QString destinationText(core::DestinationType type, Situation situation, const QString& note = {})
{
    static const QString lan = QStringLiteral(" LAN = ");
    static const QString ftp = QStringLiteral(" FTP = ");
    QString kind;
    switch (type) {
    case core::DestinationType::Folder:
        kind = lan;
        break;
    case core::DestinationType::Ftp:
        kind = ftp;
        break;
    case core::DestinationType::Email:
        kind = situation == Situation::EarlierSuccess ? QStringLiteral(" Email = ") : QStringLiteral(" EMAIL = ");
        break;
    default:
        return {};
    }
    switch (situation) {
    case Situation::Stopped:
        return kind + QStringLiteral("CANCELLED)");
    case Situation::Failed:
        return kind + QStringLiteral("FAILURE)");
    case Situation::EarlierSuccess:
        return kind + QStringLiteral("Success") + note + QStringLiteral(") ");
    case Situation::EarlierFailure:
        return kind + QStringLiteral("FAILURE) ");
    }
    return {};
}

enum class Reread
{
    Read,
    Deleted,
    // Gone unreadable, or no longer a set document.
    Damaged,
};

// The set's document as it stands now: it may have been edited while the set ran.
Reread rereadDocument(const QString& setName, QString& text)
{
    QFile file(core::setDocumentPath(setName));
    if (!file.exists())
        return Reread::Deleted;
    if (!file.open(QIODevice::ReadOnly))
        return Reread::Damaged;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Reread::Damaged;
    text = core::DecodeProjectText(bytes);
    for (const QString& section : {QStringLiteral("STATS"), QStringLiteral("SCHEDULER")}) {
        if (!core::hasSection(text, section))
            return Reread::Damaged;
    }
    return Reread::Read;
}

QString destinationTag(int destination)
{
    return QStringLiteral("(Destination") + QString::number(destination);
}

QString filesMissing(qint64 count)
{
    return count == 1 ? QStringLiteral("1 file missing") : QStringLiteral("%1 files missing").arg(count);
}

// How an earlier delivery that lacks files reads in a failure's list of outcomes.
QString missingNote(qint64 count)
{
    return count > 0 ? QStringLiteral(", ") + filesMissing(count) : QString();
}
} // namespace

QString durationText(const QDateTime& start, const QDateTime& end)
{
    const qint64 seconds = qMax<qint64>(0, start.secsTo(end));
    return QString::number(seconds / 3600) + QLatin1Char(':')
        + QString::number(seconds / 60 % 60).rightJustified(2, QLatin1Char('0')) + QLatin1Char(':')
        + QString::number(seconds % 60).rightJustified(2, QLatin1Char('0'));
}

RunRecorder::RunRecorder(core::BackupSetInfo& set, QString& setText, const QDateTime& start)
    : m_set(set)
    , m_setText(setText)
    , m_start(start)
{ }

core::DestinationType RunRecorder::typeOf(int destination) const
{
    if (destination < 1 || destination > core::MaxDestinations)
        return core::DestinationType::Unused;
    return m_set.Dest.at(destination).Type;
}

QString RunRecorder::record(QString status, qint64 deliveredBytes, bool delivered, bool rotated,
                            const std::function<QString(const QString& why)>& failed)
{
    QString text;
    switch (rereadDocument(m_set.ItemName, text)) {
    case Reread::Deleted:
        core::LogEvent(QStringLiteral("The set \"%1\" was deleted while it ran; its outcome is not recorded: %2")
                           .arg(m_set.ItemName, status));
        return status;
    case Reread::Damaged:
        // Saving over it keeps the damaged text in the .bak file.
        core::LogEvent(QStringLiteral("The document of the set \"%1\" can no longer be read; the outcome is "
                                      "recorded in the copy the run started with.")
                           .arg(m_set.ItemName));
        text = m_setText;
        break;
    case Reread::Read:
        // Only the run's own values go in: whatever was edited meanwhile stays.
        if (rotated)
            text = core::ReplaceValue(text, QStringLiteral("CurrentDestination"),
                                      QString::number(m_set.CurrentDestination));
        break;
    }

    bool toldFailure = false;
    const auto problem = [&](const QString& why) {
        if (failed && !toldFailure) {
            toldFailure = true;
            status = failed(why);
        } else {
            core::LogEvent(why);
        }
    };
    const QString duration = durationText(m_start, platform::clock().now());
    // A delivery that arrived keeps its version on record even when the status tells of an earlier
    // failure of the same run.
    const QString recordedAs = delivered ? QStringLiteral("Success") : status;
    QString replaced;
    const platform::Result recorded
        = core::ReplaceProjectValues(m_set, text, recordedAs, duration, deliveredBytes, &replaced);
    core::forgetShownVersion(replaced);
    if (!recorded)
        problem(QStringLiteral("The outcome could not be recorded in full: ") + recorded.reason());
    if (recordedAs != status)
        text = core::ReplaceValue(text, QStringLiteral("Status"), status);
    // The row is refreshed from the saved document, so the save comes first.
    if (const platform::Result saved = core::SaveProject(m_set.ItemName, text); !saved) {
        problem(QStringLiteral("The set could not be saved: ") + saved.reason());
        text = core::ReplaceValue(text, QStringLiteral("Status"), status);
    }
    m_setText = text;
    core::RefreshBackupSetRow(m_set, status, duration);
    return status;
}

bool RunRecorder::beginRun()
{
    QString reason;
    if (m_set.DestCount < 1)
        reason = QStringLiteral("The set has no destination.");
    else if (m_set.DestCount > core::MaxDestinations)
        reason = QStringLiteral("The set has %1 destinations; a set holds at most %2.")
                     .arg(m_set.DestCount)
                     .arg(core::MaxDestinations);
    else if (m_set.RotationType != core::RotationMode::OneAtATime
             && m_set.RotationType != core::RotationMode::EveryDestination)
        reason = QStringLiteral("The set's rotation %1 is neither 1 (one destination a run) nor 2 (every "
                                "destination).")
                     .arg(core::storedCode(m_set.RotationType));
    if (!reason.isEmpty()) {
        core::state().strFailureReason = reason;
        core::LogEvent(QStringLiteral("Backup Complete: FAILURE ") + reason);
        m_overallOK = false;
        m_failures << reason;
        record(QStringLiteral("FAILURE ") + reason, 0, false, false);
        return false;
    }
    if (m_set.RotationType == core::RotationMode::EveryDestination || m_set.CurrentDestination < 1
        || m_set.CurrentDestination > m_set.DestCount)
        m_set.CurrentDestination = 1;
    return true;
}

int RunRecorder::destinationsThisRun() const
{
    if (m_set.DestCount < 1 || m_set.DestCount > core::MaxDestinations)
        return 0;
    switch (m_set.RotationType) {
    case core::RotationMode::OneAtATime:
        return 1;
    case core::RotationMode::EveryDestination:
        return m_set.DestCount;
    default:
        return 0;
    }
}

int RunRecorder::beginDestination()
{
    m_current = m_set.CurrentDestination;
    core::state().strFailureReason.clear();
    core::LogEvent(QStringLiteral("---------Destination: ") + QString::number(m_current));
    core::LogEvent(QStringLiteral("---------Type: ") + QString::number(core::storedCode(typeOf(m_current))));
    return m_current;
}

// The reason of a destination that failed without leaving one of its own.
QString RunRecorder::failureText(int destination) const
{
    const bool stopped = core::state().bStopBackup;
    const QString text = destinationText(typeOf(destination), stopped ? Situation::Stopped : Situation::Failed);
    if (!text.isEmpty())
        return destinationTag(destination) + text;
    if (stopped)
        return QStringLiteral("(CANCELLED)");
    return destinationTag(destination)
        + QStringLiteral(" has the unknown type %1)").arg(core::storedCode(typeOf(destination)));
}

// The reason with the outcomes of the earlier destinations of a run over all destinations in front.
QString RunRecorder::withSummary(int destination, const QString& reason) const
{
    if (m_set.DestCount <= 1 || m_set.RotationType != core::RotationMode::EveryDestination || destination <= 1)
        return reason;
    QString summary;
    for (int k = 1; k < destination; ++k) {
        Outcome earlier {k, true, 0};
        for (const Outcome& outcome : m_outcomes)
            if (outcome.destination == k)
                earlier = outcome;
        const QString text
            = destinationText(typeOf(k), earlier.delivered ? Situation::EarlierSuccess : Situation::EarlierFailure,
                              missingNote(earlier.missing));
        if (!text.isEmpty())
            summary += destinationTag(k) + text;
    }
    return summary + reason;
}

// "Success", and what the run's versions lack so far: "Success (incomplete: 1 file missing)", by
// destination when the run delivers to several.
QString RunRecorder::successStatus(qint64 missing) const
{
    QStringList lacking;
    if (m_set.DestCount > 1 && m_set.RotationType == core::RotationMode::EveryDestination) {
        for (const Outcome& outcome : m_outcomes) {
            if (outcome.delivered && outcome.missing > 0)
                lacking << filesMissing(outcome.missing) + QStringLiteral(" at destination ")
                        + QString::number(outcome.destination);
        }
    } else if (missing > 0) {
        lacking << filesMissing(missing);
    }
    if (lacking.isEmpty())
        return QStringLiteral("Success");
    return QStringLiteral("Success (incomplete: ") + lacking.join(QStringLiteral("; ")) + QLatin1Char(')');
}

QString RunRecorder::recordDestination(bool delivered, qint64 deliveredBytes, qint64 missingFiles)
{
    const int d = m_current ? m_current : m_set.CurrentDestination;
    const core::DestinationType type = typeOf(d);
    const bool ok = delivered && !destinationText(type, Situation::EarlierSuccess).isEmpty();
    const qint64 missing = ok ? qMax<qint64>(0, missingFiles) : 0;

    if (m_set.RotationType == core::RotationMode::OneAtATime)
        core::LogEvent(QStringLiteral("Finished - No Rotation"));
    else if (m_set.RotationType == core::RotationMode::EveryDestination)
        core::LogEvent(QStringLiteral("Rotating to Next Backup"));
    if (m_set.RotationType == core::RotationMode::OneAtATime
        || m_set.RotationType == core::RotationMode::EveryDestination) {
        ++m_set.CurrentDestination;
        if (m_set.CurrentDestination > m_set.DestCount)
            m_set.CurrentDestination = 1;
    }
    m_setText = core::ReplaceValue(m_setText, QStringLiteral("CurrentDestination"),
                                   QString::number(m_set.CurrentDestination));

    m_outcomes << Outcome {d, ok, missing};
    QString status;
    if (ok) {
        // The set's status is the run's: after a failed destination it stays a failure, with this
        // destination's success in the list of outcomes.
        status = m_overallOK ? successStatus(missing)
                             : QStringLiteral("FAILURE ")
                + withSummary(d,
                              (destinationTag(d)
                               + destinationText(type, Situation::EarlierSuccess, missingNote(missing)))
                                  .trimmed());
        // A delivery whose version is not on record cannot be found to restore: the run has not
        // succeeded, and the set says so.
        bool recorded = true;
        status = record(status, deliveredBytes, true, true, [&](const QString& why) {
            recorded = false;
            m_outcomes.last().delivered = false;
            m_overallOK = false;
            const QString reason = withSummary(d, destinationTag(d) + QStringLiteral(") ") + why);
            m_failures << reason;
            core::LogEvent(QStringLiteral("Backup Complete: FAILURE ") + reason);
            return QStringLiteral("FAILURE ") + reason;
        });
        if (recorded) {
            core::LogEvent(QStringLiteral("Backup Complete: Success!"));
            if (missing > 0)
                core::LogEvent(QStringLiteral("The version is incomplete: ") + filesMissing(missing));
        }
    } else {
        QString reason = core::state().strFailureReason;
        if (reason.isEmpty())
            reason = failureText(d);
        reason = withSummary(d, reason);
        core::state().strFailureReason = reason;
        core::LogEvent(QStringLiteral("Backup Complete: FAILURE ") + reason);
        m_overallOK = false;
        m_failures << reason;
        status = record(QStringLiteral("FAILURE ") + reason, 0, false, true);
    }
    m_current = 0;
    if (m_set.RotationType == core::RotationMode::EveryDestination)
        core::LogEvent(QStringLiteral("Moving to next backup"));
    return status;
}

FinalStatus RunRecorder::finish(const QString& copyErrors)
{
    FinalStatus status;
    if (m_overallOK) {
        core::LogEvent(QStringLiteral("Overall Status: Success"));
        status.statusText = QStringLiteral("Backup Successful") + CrLf + copyErrors;
        status.setOutcome(platform::Result::success());
        return status;
    }
    core::LogEvent(QStringLiteral("Overall Status: FAILURE"));
    status.headline = QStringLiteral("The backup could not be completed successfully.");
    status.statusText = m_failures.isEmpty() ? QStringLiteral("Failed: Unknown Error.") : m_failures.join(CrLf);
    if (!copyErrors.isEmpty())
        status.statusText += CrLf + copyErrors;
    status.setOutcome(platform::Result::failure(status.statusText));
    return status;
}

QString RunRecorder::recordCancelled()
{
    core::LogEvent(QStringLiteral("=============BACKUP WAS CANCELLED (By error or user)============="));
    QString reason = core::state().strFailureReason;
    if (m_current) {
        if (reason.isEmpty())
            reason = failureText(m_current);
        reason = withSummary(m_current, reason);
    } else if (reason.isEmpty()) {
        reason = core::state().bStopBackup ? QStringLiteral("(CANCELLED)") : QStringLiteral("(Unknown error)");
    }
    core::LogEvent(QStringLiteral("FAILURE REASON: ") + reason);
    m_overallOK = false;
    record(QStringLiteral("FAILURE ") + reason, 0, false, false);
    core::state().strFailureReason.clear();
    m_current = 0;
    return reason;
}

} // namespace engine
