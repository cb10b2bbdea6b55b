#pragma once

#include <functional>

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "core/BackupSet.h"
#include "platform/Result.h"

namespace engine
{

// The time from `start` to `end` as "h:mm:ss": minutes and seconds with two digits, the hours as
// many as there are (a run of 25 hours shows 25:00:00); never negative.
QString durationText(const QDateTime& start, const QDateTime& end);

// How a run ended, for the run window; a failure's reason is its status text.
struct FinalStatus : platform::Result
{
    // "Backup Successful", a line break and the copy errors; or the failure reasons of the run.
    QString statusText;
    // The window's new headline after a failure; empty after a success.
    QString headline;
};

// Walks a run through its set's destinations and records each outcome: advances the destination
// rotation, writes the outcome (and, after a successful folder or FTP delivery, the version line)
// into the set's document text, saves the document, shows the outcome in the main window and logs
// it. The run calls, in this order:
//
//     RunRecorder recorder(state().CurrentSet, state().strSetText, startTime);
//     if (recorder.beginRun())
//         for (int i = 0; i < recorder.destinationsThisRun(); ++i) {
//             const int d = recorder.beginDestination();
//             ... deliver to slot d ...
//             recorder.recordDestination(delivered, deliveredBytes);
//         }
//     const FinalStatus status = recorder.finish(copyErrors);
//
// and recordCancelled() instead of the rest when the run is stopped or breaks off.
class RunRecorder
{
public:
    // `set` and `setText` are the program's CurrentSet and strSetText; durations count from `start`.
    RunRecorder(core::BackupSetInfo& set, QString& setText, const QDateTime& start);

    // Prepares the loop: a run over all destinations starts from the first; a rotation that points
    // past the last destination starts from the first too. False when the set cannot be delivered
    // at all (no destination, more than the slots hold, a rotation other than 1 and 2): that
    // failure is then recorded and the run goes on with finish().
    bool beginRun();
    // 1 for a rotating set, every destination for a set that delivers to all.
    int destinationsThisRun() const;

    // Starts the delivery to the current destination: logs its number and type and clears the
    // failure reason left by the one before. Returns its slot number.
    int beginDestination();

    // Records the destination begun last: `delivered` is the delivery's outcome, `deliveredBytes`
    // what arrived (the version line's size), `missingFiles` how many of the set's files the
    // version lacks. A delivery records "Success", or "Success (incomplete: 3 files missing)" when
    // files are missing. A failed destination records "FAILURE " and the reason the delivery left
    // in strFailureReason, or a "(Destination<n> ... = FAILURE)" text when it left none. After a failed destination the
    // run's later successes record "FAILURE " and every outcome so far, so the set never reads "Success" for a run that
    // failed somewhere. A delivery whose version cannot be recorded or saved fails the run and records that failure.
    // Returns the status recorded.
    QString recordDestination(bool delivered, qint64 deliveredBytes, qint64 missingFiles = 0);

    // The end of a run that went through its destinations: logs the overall status and gives the
    // texts for the window. `copyErrors` are the entries of the files that could not be copied.
    FinalStatus finish(const QString& copyErrors);

    // The end of a stopped or broken-off run: logs the cancellation and its reason, records
    // "FAILURE " and the reason, saves the document, then shows the outcome, and clears
    // strFailureReason. Leaves CurrentDestination as it is. Returns the reason recorded.
    QString recordCancelled();

    bool overallOK() const { return m_overallOK; }

private:
    struct Outcome
    {
        int destination = 0;
        bool delivered = false;
        qint64 missing = 0;
    };

    core::DestinationType typeOf(int destination) const;
    QString failureText(int destination) const;
    QString withSummary(int destination, const QString& reason) const;
    QString successStatus(qint64 missing) const;
    // Records the status (and, for a delivery that arrived, its version) in the document as it is now
    // (the run's copy only when it no longer reads as a set document; nothing when the set was
    // deleted), saves it and shows it. When the version cannot be recorded or the document cannot
    // be saved, `failed` is told why and gives the status to record and show instead; without it
    // the reason is logged. `rotated`: the run moved CurrentDestination on. Returns the status
    // recorded.
    QString record(QString status, qint64 deliveredBytes, bool delivered, bool rotated,
                   const std::function<QString(const QString& why)>& failed = {});

    core::BackupSetInfo& m_set;
    QString& m_setText;
    QDateTime m_start;
    bool m_overallOK = true;
    // The destination under way, 0 between destinations.
    int m_current = 0;
    QList<Outcome> m_outcomes;
    QStringList m_failures;
};

} // namespace engine
