// The main window's schedule clock, its run queue and the runs it starts, and how an exit ends a run.

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "engine/frmProcessing.h"
#include "localisation/Languages.h"
#include "main_window/BackupSetList.h"
#include "main_window/frmMain.h"
#include "platform/Clock.h"
#include "platform/Form.h"
#include "platform/Prompt.h"
#include "restore/frmRestoring.h"

namespace main_window
{
namespace
{
using localisation::message;
using platform::Form;

const QString Running = QStringLiteral("Running...");
const QString Banner = QStringLiteral("=============================================");
const QString Finished = QStringLiteral("=============SCHEDULE FINISHED===============");
// How often an exit looks whether the run it stopped has ended, and for how long it waits.
constexpr int ExitWaitIntervalMs = 100;
constexpr int ExitWaitLimitTicks = 600;

// The run window is modal to the program, without holding the caller in a loop of its own.
void showRunWindow(engine::frmProcessing* run)
{
    run->setWindowModality(Qt::ApplicationModal);
    run->show();
    run->raise();
    run->activateWindow();
}
} // namespace

// ---- Schedule clock ----

void frmMain::tmrScheduler_Timer()
{
    queueDueSets();
    // A run that ended lets its set be deleted again.
    refreshDeleteCommand();
}

void frmMain::queueDueSets()
{
    if (m_exiting || m_unloaded)
        return;
    const QDateTime now = platform::clock().now();
    QStringList listed;
    // Nothing in this loop lets other handlers run, so the rows stay as they are until it ends.
    for (int i = 0; i < lstBackupSet->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = lstBackupSet->topLevelItem(i);
        const QString name = row->text(0);
        listed << name;
        if (!m_scheduleClock.takeDue(name, row->text(NextRunTimeColumn), now))
            continue;
        // A set that still waits in the queue runs then anyway: that run takes this due time too.
        if (isQueued(name))
            continue;
        core::LogEvent(QStringLiteral("=============QUEUING SCHEDULE ") + name + QStringLiteral("================"));
        queueRun(name);
    }
    m_scheduleClock.keepOnly(listed);
}

void frmMain::queueRun(const QString& setName)
{
    if (isQueued(setName))
        return;
    lstSchedule->addItem(setName);
    if (QTreeWidgetItem* row = setRow(setName)) {
        row->setText(NextRunTimeColumn, QString());
        row->setText(NextLocationColumn, Running);
    }
    startPump();
    refreshDeleteCommand();
}

void frmMain::startPump()
{
    if (!tmrProcessSchedule->isActive())
        tmrProcessSchedule->start();
}

// ---- Run queue ----

void frmMain::tmrProcessSchedule_Timer()
{
    if (m_exiting || m_unloaded) {
        tmrProcessSchedule->stop();
        return;
    }
    // A load under way lets other handlers run; rebuilding the list or loading a set now would mix
    // two sets.
    if (m_loader.loading())
        return;
    if (m_queuedRun) {
        if (runWindowOpen())
            return;
        endQueuedRun();
    }
    if (lstSchedule->count() == 0) {
        tmrProcessSchedule->stop();
        return;
    }
    // Runs share the loaded set and the run flags: the next one waits for an open run window, and
    // for a restore, which a run's stop request would cancel.
    if (timSchedule->isActive() || runWindowOpen() || restoreUnderWay())
        return;
    core::state().bBackupFinished = false;
    timSchedule->start();
}

void frmMain::timSchedule_Timer()
{
    timSchedule->stop();
    // Something began meanwhile; the pump starts the set once it has ended.
    if (m_exiting || m_unloaded || m_queuedRun || lstSchedule->count() == 0 || runWindowOpen() || restoreUnderWay()
        || m_loader.loading())
        return;
    const QString name = lstSchedule->item(0)->text();
    core::LogEvent(Banner);
    core::LogEvent(QStringLiteral("=====Beginning Scheduled Event==============="));
    core::LogEvent(Banner);
    core::LogEvent(QStringLiteral("Schedule Name: ") + name);
    delete lstSchedule->takeItem(0);

    const QTreeWidgetItem* selected = selectedSetRow();
    const QString previous = selected ? selected->text(0) : QString();
    // Whatever set was loaded before must never run in place of the queued one.
    if (loadSet(false, name) != LoadOutcome::Loaded) {
        core::LogEvent(QStringLiteral("E: The backup set ") + name
                       + QStringLiteral(" cannot be loaded; it is skipped."));
        reloadListAt(previous);
        core::LogEvent(Finished);
        return;
    }

    core::ProgramState& state = core::state();
    state.bStopBackup = false;
    state.bBackupFinished = false;
    m_queuedRun = name;
    m_runningSet = name;
    startPump();
    // A window left loaded by the run before carries this one. A window whose load closed it again
    // never runs: the pump then counts the run as ended.
    if (engine::frmProcessing* run = Form<engine::frmProcessing>::load()) {
        run->turnOffTimer();
        // Unseen now, it shows itself once someone opens the main window, and then holds it as a shown
        // one does.
        run->setWindowModality(Qt::ApplicationModal);
        if (!programUnseen())
            showRunWindow(run);
    }
    refreshDeleteCommand();
}

void frmMain::endQueuedRun()
{
    const QString name = *m_queuedRun;
    m_queuedRun.reset();
    core::state().RunningIndex = SelectedIndex;
    reloadListAt(name);
    core::LogEvent(Finished);
    refreshDeleteCommand();
}

void frmMain::reloadListAt(const QString& setName)
{
    QTreeWidgetItem* row = setName.isEmpty() ? nullptr : setRow(setName);
    LoadBackupSets(row ? lstBackupSet->indexOfTopLevelItem(row) + 1 : SelectedIndex + 1);
    // Sets added or deleted meanwhile move the rows: the set is looked for again.
    QTreeWidgetItem* again = setName.isEmpty() ? nullptr : setRow(setName);
    if (again && again != selectedSetRow())
        LoadBackupSets(lstBackupSet->indexOfTopLevelItem(again) + 1);
}

bool frmMain::runWindowOpen() const
{
    const engine::frmProcessing* run = Form<engine::frmProcessing>::loaded();
    return run && (run->isVisible() || runUnderWay());
}

bool frmMain::runUnderWay() const
{
    // A run goes on to its end even when its window has been unloaded meanwhile.
    if (core::state().RunInProgress)
        return true;
    const engine::frmProcessing* run = Form<engine::frmProcessing>::loaded();
    return run && (run->Timer1->isActive() || run->running());
}

bool frmMain::restoreUnderWay() const
{
    const restore::frmRestoring* restoring = Form<restore::frmRestoring>::loaded();
    return restoring && restoring->running();
}

bool frmMain::isQueued(const QString& setName) const
{
    for (int i = 0; i < lstSchedule->count(); ++i) {
        if (lstSchedule->item(i)->text() == setName)
            return true;
    }
    return false;
}

bool frmMain::setIsBusy(const QString& setName) const
{
    return isQueued(setName) || (setName == m_runningSet && runWindowOpen());
}

void frmMain::refreshDeleteCommand()
{
    const QTreeWidgetItem* selected = selectedSetRow();
    const bool remove = m_deleteAllowed && !(selected && setIsBusy(selected->text(0)));
    QAction* button = toolbarButton(QStringLiteral("delete"));
    if (button->isEnabled() == remove && cmdDelete->isEnabled() == remove)
        return;
    button->setEnabled(remove);
    cmdDelete->setEnabled(remove);
    SyncButtons();
}

// ---- Run commands ----

void frmMain::mnuBackupAll_Click()
{
    platform::Message question;
    question.text = message("MSG_SURE1") + QStringLiteral("\r\n\r\n") + message("MSG_SURE2");
    question.title = message("MSG_SURE3");
    question.buttons = platform::Buttons::YesNo;
    question.icon = platform::Icon::Question;
    question.parent = this;
    if (platform::prompt().show(question) != platform::Answer::Yes)
        return;
    // The names first: queueing writes the rows.
    QStringList names;
    for (int i = 0; i < lstBackupSet->topLevelItemCount(); ++i)
        names << lstBackupSet->topLevelItem(i)->text(0);
    for (const QString& name : names)
        queueRun(name);
}

void frmMain::mnuFileExecute_Click()
{
    // One run at a time: an open run window is brought forward instead.
    if (runWindowOpen()) {
        engine::frmProcessing* run = Form<engine::frmProcessing>::loaded();
        if (run->isVisible()) {
            run->raise();
            run->activateWindow();
        }
        return;
    }
    // A run's stop request would cancel the restore: the backup waits until the restore has ended.
    if (restoreUnderWay()) {
        platform::Message notice;
        notice.text = QStringLiteral("A restore is under way. Start the backup when it has finished.");
        notice.title = core::state().AppTitle;
        notice.icon = platform::Icon::Information;
        notice.parent = this;
        platform::prompt().show(notice);
        return;
    }
    // After a failed load the set in memory is not the one selected: it must not run.
    core::ProgramState& state = core::state();
    if (state.CurrentSet.LoadFailed || state.CurrentSet.ItemName.isEmpty()) {
        core::reportFailure(QStringLiteral("frmMain.mnuFileExecute_Click"), {}, core::err::ObjectNotSet,
                            QStringLiteral("No backup set is loaded that could run."));
        return;
    }
    state.bStopBackup = false;
    if (QTreeWidgetItem* row = selectedSetRow())
        state.RunningIndex = lstBackupSet->indexOfTopLevelItem(row);
    m_runningSet = state.CurrentSet.ItemName;
    engine::frmProcessing* run = Form<engine::frmProcessing>::load();
    if (!run) {
        reportNotOpened(QStringLiteral("frmMain.mnuFileExecute_Click"), {}, QStringLiteral("frmProcessing"));
        return;
    }
    // A window left loaded by a scheduled run is still counting down: it carries this run.
    run->turnOffTimer();
    showRunWindow(run);
    refreshDeleteCommand();
}

// ---- Exit during a run ----

bool frmMain::stopRunBeforeExit(UnloadMode mode)
{
    if (!runUnderWay())
        return true;
    if (m_exiting)
        return false;
    const bool systemEnds = mode == UnloadMode::SessionEnd || mode == UnloadMode::TaskManager;
    if (!m_exitConfirmed && !systemEnds) {
        platform::Message question;
        question.text = QStringLiteral("A backup set is running. Stop it and exit?");
        question.title = core::state().AppTitle;
        question.buttons = platform::Buttons::YesNo;
        question.icon = platform::Icon::Exclamation;
        // Someone asked for the exit; the run ends through its cancelled path, so nothing is lost.
        question.unattendedAnswer = platform::Answer::Yes;
        question.parent = this;
        if (platform::prompt().show(question) != platform::Answer::Yes) {
            m_close.ExitRequested = false;
            return false;
        }
        // The question let other handlers run: the run may have ended meanwhile.
        if (!runUnderWay())
            return true;
    }
    m_exiting = true;
    m_exitConfirmed = true;
    m_exitMode = mode;
    for (QTimer* timer : {tmrScheduler, tmrProcessSchedule, timSchedule})
        timer->stop();
    core::LogEvent(QStringLiteral("The program is asked to end: the running backup is stopped first."));
    if (engine::frmProcessing* run = Form<engine::frmProcessing>::loaded())
        run->cmdClose_Click();
    if (!runUnderWay())
        return true;
    // The run's own code may be below this handler: the exit goes on once it has returned.
    m_exitWaitTicks = 0;
    m_exitWait->start(ExitWaitIntervalMs);
    return false;
}

void frmMain::exitWait_Timer()
{
    // The stop request ends a run within moments; one that hangs does not keep the program alive.
    if (runUnderWay() && ++m_exitWaitTicks < ExitWaitLimitTicks)
        return;
    m_exitWait->stop();
    if (runUnderWay())
        core::LogEvent(QStringLiteral("E: The running backup did not stop in time; the program ends anyway."));
    if (Form_QueryUnload(m_exitMode)) {
        Form_Unload();
        return;
    }
    // The close turned out to be no exit after all: the program goes on, and so does its clock.
    m_exiting = false;
    tmrScheduler->start();
    startPump();
}

} // namespace main_window
