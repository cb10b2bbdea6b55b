#include "main_window/RunQueue.h"

#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "platform/Clock.h"

namespace main_window
{
namespace
{
const QString Banner = QStringLiteral("=============================================");
const QString Finished = QStringLiteral("=============SCHEDULE FINISHED===============");
} // namespace

RunQueue::RunQueue(Host& host)
    : m_host(host)
{ }

void RunQueue::queueDueSets()
{
    if (stopped())
        return;
    const QDateTime now = platform::clock().now();
    QStringList listed;
    for (const ListedSet& set : m_host.listedSets()) {
        listed << set.name;
        if (!m_clock.takeDue(set.name, set.nextRun, now))
            continue;
        if (isQueued(set.name))
            continue;
        core::LogEvent(QStringLiteral("=============QUEUING SCHEDULE ") + set.name
                       + QStringLiteral("================"));
        queueRun(set.name);
    }
    m_clock.keepOnly(listed);
}

void RunQueue::queueRun(const QString& setName)
{
    if (isQueued(setName))
        return;
    m_waiting.append(setName);
    m_host.showQueued(setName);
    m_pumping = true;
    changed();
}

void RunQueue::pumpTick()
{
    if (stopped()) {
        m_pumping = false;
        changed();
        return;
    }
    if (m_host.loadingSet())
        return;
    if (m_queuedRun) {
        if (m_host.runWindowOpen())
            return;
        endQueuedRun();
    }
    if (m_waiting.isEmpty()) {
        m_pumping = false;
        changed();
        return;
    }
    if (m_startPending || m_host.runWindowOpen() || m_host.restoreUnderWay())
        return;
    core::state().bBackupFinished = false;
    m_startPending = true;
    changed();
}

void RunQueue::startTick()
{
    m_startPending = false;
    changed();
    // Something began meanwhile; the pump starts the set once it has ended.
    if (stopped() || m_queuedRun || m_waiting.isEmpty() || m_host.runWindowOpen() || m_host.restoreUnderWay()
        || m_host.loadingSet())
        return;
    const QString name = m_waiting.takeFirst();
    core::LogEvent(Banner);
    core::LogEvent(QStringLiteral("=====Beginning Scheduled Event==============="));
    core::LogEvent(Banner);
    core::LogEvent(QStringLiteral("Schedule Name: ") + name);
    changed();

    const QString previous = m_host.selectedSet();
    // Whatever set was loaded before must never run in place of the queued one.
    if (!m_host.loadQueuedSet(name)) {
        core::LogEvent(QStringLiteral("E: The backup set ") + name
                       + QStringLiteral(" cannot be loaded; it is skipped."));
        m_host.reloadListAt(previous);
        core::LogEvent(Finished);
        return;
    }

    core::ProgramState& state = core::state();
    state.bStopBackup = false;
    state.bBackupFinished = false;
    m_queuedRun = name;
    m_runningSet = name;
    m_pumping = true;
    changed();
    m_host.openRunWindow();
    changed();
}

void RunQueue::endQueuedRun()
{
    const QString name = *m_queuedRun;
    m_queuedRun.reset();
    m_host.queuedRunEnded(name);
    core::LogEvent(Finished);
    changed();
}

bool RunQueue::isQueued(const QString& setName) const
{
    return m_waiting.contains(setName);
}

void RunQueue::runOpened(const QString& setName)
{
    m_runningSet = setName;
}

bool RunQueue::setIsBusy(const QString& setName) const
{
    return isQueued(setName) || (setName == m_runningSet && m_host.runWindowOpen());
}

bool RunQueue::stopRunBeforeExit(UnloadMode mode)
{
    if (!m_host.runUnderWay())
        return true;
    if (m_exiting)
        return false;
    const bool systemEnds = mode == UnloadMode::SessionEnd || mode == UnloadMode::TaskManager;
    if (!m_exitConfirmed && !systemEnds) {
        if (!m_host.confirmStopForExit())
            return false;
        // The question let other handlers run: the run may have ended meanwhile.
        if (!m_host.runUnderWay())
            return true;
    }
    m_exiting = true;
    m_exitConfirmed = true;
    m_exitMode = mode;
    halt();
    core::LogEvent(QStringLiteral("The program is asked to end: the running backup is stopped first."));
    m_host.stopRun();
    if (!m_host.runUnderWay())
        return true;
    // The run's own code may be below the exit's handler: the exit goes on once it has returned.
    m_exitWaitTicks = 0;
    m_exitWaiting = true;
    changed();
    return false;
}

std::optional<UnloadMode> RunQueue::exitWaitTick()
{
    // The stop request ends a run within moments; one that hangs does not keep the program alive.
    if (m_host.runUnderWay() && ++m_exitWaitTicks < ExitWaitLimitTicks)
        return std::nullopt;
    m_exitWaiting = false;
    changed();
    if (m_host.runUnderWay())
        core::LogEvent(QStringLiteral("E: The running backup did not stop in time; the program ends anyway."));
    return m_exitMode;
}

void RunQueue::resumeAfterExit()
{
    m_exiting = false;
    m_clockRunning = true;
    m_pumping = true;
    changed();
}

void RunQueue::shutDown()
{
    m_shutDown = true;
    m_exitWaiting = false;
    halt();
}

void RunQueue::halt()
{
    m_clockRunning = false;
    m_pumping = false;
    m_startPending = false;
    changed();
}

void RunQueue::changed()
{
    m_host.queueChanged();
}

} // namespace main_window
