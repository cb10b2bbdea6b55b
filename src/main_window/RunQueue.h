#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "main_window/CloseDecision.h"
#include "main_window/ScheduleClock.h"

namespace main_window
{

// A row of the set list as the schedule clock reads it.
struct ListedSet
{
    QString name;
    // The "Next run time" cell.
    QString nextRun;
};

// The run queue: the sets that wait for their run, the pump that starts one at a time, the due times
// the clock has taken, and how an exit ends a run under way. Runs share the loaded set and the run
// flags, so the pump starts the next set only while no run window is open and no restore runs (a
// run's stop request would cancel it). The queue keeps its state here; the main window shows it (its
// timers follow clockRunning(), pumping(), startPending() and exitWaiting()) and does, through Host,
// what needs the windows.
class RunQueue
{
public:
    class Host
    {
    public:
        virtual ~Host() = default;
        // The sets the list shows, in list order.
        virtual QList<ListedSet> listedSets() const = 0;
        // The set's row shows that it waits for its run.
        virtual void showQueued(const QString& setName) = 0;
        // A run window is open: its run is about to start or under way, or the user still sees it.
        virtual bool runWindowOpen() const = 0;
        // A run is under way, also when its window has gone meanwhile.
        virtual bool runUnderWay() const = 0;
        virtual bool restoreUnderWay() const = 0;
        // A set load is under way; it lets other handlers run, and a second load would mix two sets.
        virtual bool loadingSet() const = 0;
        // The set selected in the list; empty when none is.
        virtual QString selectedSet() const = 0;
        // Makes `setName` the loaded set; false when its document cannot be loaded.
        virtual bool loadQueuedSet(const QString& setName) = 0;
        // Rebuilds the list with `setName` selected (empty: the row selected now).
        virtual void reloadListAt(const QString& setName) = 0;
        // Opens the run window on the loaded set.
        virtual void openRunWindow() = 0;
        // The queued run of `setName` has ended and its window is gone or hidden.
        virtual void queuedRunEnded(const QString& setName) = 0;
        // Whether the user lets an exit stop the run under way.
        virtual bool confirmStopForExit() = 0;
        // Requests the stop of the run under way through its window.
        virtual void stopRun() = 0;
        // The queue or one of its timers changed.
        virtual void queueChanged() = 0;
    };

    // How often an exit looks whether the run it stopped has ended, and for how many looks it waits.
    static constexpr int ExitWaitIntervalMs = 100;
    static constexpr int ExitWaitLimitTicks = 600;

    explicit RunQueue(Host& host);

    // The clock's tick: queues the listed sets that are due now (platform::clock()). A set that waits
    // already is not queued again; that run takes the due time too.
    void queueDueSets();
    // Appends a set and starts the pump. A set that waits already is not added again.
    void queueRun(const QString& setName);
    // The pump's tick: ends the queued run whose window has gone, and asks for the next start.
    void pumpTick();
    // Starts the first waiting set, unless something began since the start was asked for. A set
    // whose document cannot be loaded is skipped.
    void startTick();

    const QStringList& waiting() const { return m_waiting; }
    bool isQueued(const QString& setName) const;
    // A manual run of `setName` was opened.
    void runOpened(const QString& setName);
    // Whether a set waits or is being run; such a set cannot be deleted.
    bool setIsBusy(const QString& setName) const;
    // The set of the run window opened last.
    const QString& runningSet() const { return m_runningSet; }

    // An exit was asked for with `mode`. True when it may go on now; false when it was refused or
    // waits (exitWaiting()) for the run it stopped.
    bool stopRunBeforeExit(UnloadMode mode);
    // The user or the system has confirmed the exit already: nobody is asked again.
    void confirmExit() { m_exitConfirmed = true; }
    // The exit wait's tick: the mode the exit goes on with once the run has ended or has had its
    // time; nullopt while it waits.
    std::optional<UnloadMode> exitWaitTick();
    // The exit turned out to be no exit after all: the clock and the pump go on.
    void resumeAfterExit();
    // The window has unloaded: nothing more starts.
    void shutDown();

    bool clockRunning() const { return m_clockRunning; }
    bool pumping() const { return m_pumping; }
    bool startPending() const { return m_startPending; }
    bool exitWaiting() const { return m_exitWaiting; }

private:
    bool stopped() const { return m_exiting || m_shutDown; }
    void endQueuedRun();
    // Stops the clock, the pump and a start asked for.
    void halt();
    void changed();

    Host& m_host;
    ScheduleClock m_clock;
    QStringList m_waiting;
    // The queued set the pump started, while it waits for its run to end.
    std::optional<QString> m_queuedRun;
    // The set of the run window opened last (queued or manual).
    QString m_runningSet;
    bool m_clockRunning = true;
    bool m_pumping = false;
    bool m_startPending = false;

    // An exit waits for the run it stopped; nothing new starts meanwhile.
    bool m_exiting = false;
    bool m_exitConfirmed = false;
    bool m_exitWaiting = false;
    int m_exitWaitTicks = 0;
    UnloadMode m_exitMode = UnloadMode::Code;
    bool m_shutDown = false;
};

} // namespace main_window
