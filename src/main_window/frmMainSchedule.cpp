// How the main window shows the run queue, and what the queue asks of the window: the set list, the
// run window, the restore window and the exit.

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "core/Ask.h"
#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "engine/frmProcessing.h"
#include "localisation/Languages.h"
#include "main_window/BackupSetList.h"
#include "main_window/frmMain.h"
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

// The run window is modal to the program, without holding the caller in a loop of its own.
void showRunWindow(engine::frmProcessing* run)
{
    run->setWindowModality(Qt::ApplicationModal);
    run->show();
    run->raise();
    run->activateWindow();
}

void follow(QTimer* timer, bool active)
{
    if (active && !timer->isActive())
        timer->start();
    else if (!active && timer->isActive())
        timer->stop();
}
} // namespace

// ---- Timers ----

void frmMain::tmrScheduler_Timer()
{
    m_queue.queueDueSets();
    // A run that ended lets its set be deleted again.
    refreshDeleteCommand();
}

void frmMain::queueDueSets()
{
    m_queue.queueDueSets();
}

void frmMain::tmrProcessSchedule_Timer()
{
    m_queue.pumpTick();
}

void frmMain::timSchedule_Timer()
{
    m_queue.startTick();
}

void frmMain::exitWait_Timer()
{
    const std::optional<UnloadMode> mode = m_queue.exitWaitTick();
    if (!mode)
        return;
    if (Form_QueryUnload(*mode)) {
        Form_Unload();
        return;
    }
    m_queue.resumeAfterExit();
}

void frmMain::queueRun(const QString& setName)
{
    m_queue.queueRun(setName);
}

bool frmMain::isQueued(const QString& setName) const
{
    return m_queue.isQueued(setName);
}

bool frmMain::setIsBusy(const QString& setName) const
{
    return m_queue.setIsBusy(setName);
}

// ---- What the queue asks of the window ----

QList<ListedSet> frmMain::listedSets() const
{
    QList<ListedSet> sets;
    for (int i = 0; i < lstBackupSet->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = lstBackupSet->topLevelItem(i);
        sets.append({row->text(0), row->text(NextRunTimeColumn)});
    }
    return sets;
}

void frmMain::showQueued(const QString& setName)
{
    if (QTreeWidgetItem* row = setRow(setName)) {
        row->setText(NextRunTimeColumn, QString());
        row->setText(NextLocationColumn, Running);
    }
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

bool frmMain::loadingSet() const
{
    return m_loader.loading();
}

QString frmMain::selectedSet() const
{
    const QTreeWidgetItem* selected = selectedSetRow();
    return selected ? selected->text(0) : QString();
}

bool frmMain::loadQueuedSet(const QString& setName)
{
    return loadSet(false, setName) == LoadOutcome::Loaded;
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

void frmMain::openRunWindow()
{
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
}

void frmMain::queuedRunEnded(const QString& setName)
{
    core::state().RunningIndex = SelectedIndex;
    reloadListAt(setName);
}

bool frmMain::confirmStopForExit()
{
    platform::Message question
        = core::programMessage(this, QStringLiteral("A backup set is running. Stop it and exit?"),
                               platform::Icon::Exclamation, platform::Buttons::YesNo);
    // Someone asked for the exit; the run ends through its cancelled path, so nothing is lost.
    question.unattendedAnswer = platform::Answer::Yes;
    // Enter alone must not cut a backup short.
    question.defaultAnswer = platform::Answer::No;
    if (platform::prompt().show(question) == platform::Answer::Yes)
        return true;
    m_close.ExitRequested = false;
    return false;
}

void frmMain::stopRun()
{
    if (engine::frmProcessing* run = Form<engine::frmProcessing>::loaded())
        run->cmdClose_Click();
}

void frmMain::queueChanged()
{
    lstSchedule->clear();
    lstSchedule->addItems(m_queue.waiting());
    follow(tmrScheduler, m_queue.clockRunning());
    follow(tmrProcessSchedule, m_queue.pumping());
    follow(timSchedule, m_queue.startPending());
    follow(m_exitWait, m_queue.exitWaiting());
    refreshDeleteCommand();
}

QString frmMain::runningSet() const
{
    return runUnderWay() ? m_queue.runningSet() : QString();
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
    platform::Message question
        = core::programMessage(this, message("MSG_SURE1") + QStringLiteral("\r\n\r\n") + message("MSG_SURE2"),
                               platform::Icon::Question, platform::Buttons::YesNo);
    question.title = message("MSG_SURE3");
    if (platform::prompt().show(question) != platform::Answer::Yes)
        return;
    // The names first: queueing writes the rows.
    for (const ListedSet& set : listedSets())
        queueRun(set.name);
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
        core::ask(this, QStringLiteral("A restore is under way. Start the backup when it has finished."),
                  platform::Icon::Information);
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
    m_queue.runOpened(state.CurrentSet.ItemName);
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

} // namespace main_window
