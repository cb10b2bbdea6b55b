#include <functional>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/SetDocument.h"
#include "core/SetText.h"
#include "core/VersionLine.h"
#include "engine/frmProcessing.h"
#include "main_window/BackupSetList.h"
#include "main_window/MainWindowTest.h"
#include "platform/EventLoop.h"
#include "restore/frmRestoring.h"

using main_window::frmMain;
using platform::Form;

namespace
{
const QString Queuing = "=============QUEUING SCHEDULE %1================";
const QString Banner = "=============================================";
const QString Beginning = "=====Beginning Scheduled Event===============";
const QString Finished = "=============SCHEDULE FINISHED===============";

// The schedule clock, the run queue and the runs they start. The clock stands at noon on 10 December
// 2026 until a test moves it; the timers are ticked by hand, so nothing waits for real time.
class FrmMainScheduleTest : public test::MainWindowTest
{
protected:
    // A set that copies one file to its own folder, every day at `time`, or never when `time` is empty.
    void store(const QString& name, const QString& time = QString()) const
    {
        ASSERT_TRUE(test::writeFile(source(name), name.toUtf8()));
        ASSERT_TRUE(QDir().mkpath(programFile("backup")));
        core::BackupSetInfo& set = core::state().NewBackupSet;
        set = core::BackupSetInfo {};
        set.ItemName = name;
        set.DestCount = 1;
        set.RotationType = core::RotationMode::OneAtATime;
        set.Dest[1].Type = core::DestinationType::Folder;
        set.Dest[1].LocalFolder = programFile("backup/" + name);
        if (!time.isEmpty()) {
            set.Schedule.Scheduler = true;
            set.Schedule.StartDate = "01/11/2026";
            set.Schedule.StartTime = time;
            set.Schedule.Repeat = true;
        }
        ASSERT_TRUE(core::WriteProject({QFileInfo(source(name)).path()}));
    }
    QString source(const QString& name) const { return programFile("source/" + name + "/a.txt"); }
    // The set ran: its file is in its folder and its document holds the version line.
    bool delivered(const QString& name) const
    {
        const QString document = QString::fromUtf8(test::readFile(core::setDocumentPath(name)));
        const QStringList versions = core::sectionLines(document, "VERSIONS").filter("LAN|");
        return test::readFile(programFile("backup/" + name) + source(name)) == name.toUtf8() && versions.size() == 1;
    }

    static QTreeWidgetItem* row(frmMain* main, const QString& name)
    {
        QTreeWidgetItem* found = main->setRow(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    static QString cell(frmMain* main, const QString& name, int column)
    {
        const QTreeWidgetItem* found = row(main, name);
        return found ? found->text(column) : QString();
    }
    static QStringList queue(frmMain* main)
    {
        QStringList names;
        for (int i = 0; i < main->lstSchedule->count(); ++i)
            names << main->lstSchedule->item(i)->text();
        return names;
    }
    static QString selected(frmMain* main)
    {
        const QList<QTreeWidgetItem*> rows = main->lstBackupSet->selectedItems();
        return rows.isEmpty() ? QString() : rows.first()->text(0);
    }

    // The log's texts without their date and time.
    QStringList logTexts() const
    {
        QStringList texts;
        for (const QString& line : log().split("\r\n", Qt::SkipEmptyParts))
            texts << line.mid(20);
        return texts;
    }
    int logged(const QString& text) const { return static_cast<int>(logTexts().count(text)); }

    // Ticks the queue's timers and the run window's start timer, as the event loop would, until none
    // has anything left to do. `beforeRun` sees each run window just before its run starts.
    static void runQueue(frmMain* main, const std::function<void(engine::frmProcessing*)>& beforeRun = {})
    {
        for (int step = 0; step < 100; ++step) {
            if (main->timSchedule->isActive()) {
                main->timSchedule_Timer();
                continue;
            }
            engine::frmProcessing* run = Form<engine::frmProcessing>::loaded();
            if (run && run->Timer1->isActive()) {
                if (beforeRun)
                    beforeRun(run);
                run->Timer1_Timer();
                continue;
            }
            if (!main->tmrProcessSchedule->isActive())
                return;
            const QStringList before = queue(main);
            main->tmrProcessSchedule_Timer();
            // A pump that waits for an open window makes no progress by ticking.
            if (main->tmrProcessSchedule->isActive() && !main->timSchedule->isActive() && queue(main) == before
                && main->runWindowOpen())
                return;
        }
        FAIL() << "the queue did not come to rest";
    }

    void tickAt(frmMain* main, const QTime& time)
    {
        clock.set(QDateTime(QDate(2026, 12, 10), time));
        main->tmrScheduler_Timer();
    }
};
} // namespace

TEST_F(FrmMainScheduleTest, ADueSetIsQueuedOnceRunsAndIsSelectedAfterwards)
{
    store("Docs", "13:00:00");
    store("Mail");
    frmMain* main = loadMain("/silent");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(cell(main, "Docs", main_window::NextRunTimeColumn), "10/12/2026 13:00:00");

    tickAt(main, QTime(12, 59, 59));
    EXPECT_TRUE(queue(main).isEmpty());

    tickAt(main, QTime(13, 0, 10));
    EXPECT_EQ(queue(main), QStringList {"Docs"});
    EXPECT_EQ(logged(Queuing.arg("Docs")), 1);
    EXPECT_EQ(cell(main, "Docs", main_window::NextRunTimeColumn), "");
    EXPECT_EQ(cell(main, "Docs", main_window::NextLocationColumn), "Running...");
    EXPECT_TRUE(main->tmrProcessSchedule->isActive());
    // The next ticks of that minute, and the run window's clock, find it queued already.
    tickAt(main, QTime(13, 0, 40));
    main->queueDueSets();
    EXPECT_EQ(queue(main), QStringList {"Docs"});
    EXPECT_EQ(logged(Queuing.arg("Docs")), 1);

    runQueue(main);
    const QStringList texts = logTexts();
    const qsizetype start = texts.indexOf(Beginning);
    ASSERT_GT(start, 0);
    EXPECT_EQ(texts.mid(start - 1, 4), (QStringList {Banner, Beginning, Banner, "Schedule Name: Docs"}));
    EXPECT_GT(texts.indexOf(Finished), start);
    EXPECT_EQ(logged(Finished), 1);
    EXPECT_TRUE(delivered("Docs")) << log().toStdString();
    EXPECT_FALSE(delivered("Mail"));
    EXPECT_TRUE(queue(main).isEmpty());
    EXPECT_FALSE(main->tmrProcessSchedule->isActive());
    // The list is rebuilt: the set that ran is selected and loaded, its cell shows the next run.
    EXPECT_EQ(selected(main), "Docs");
    EXPECT_EQ(core::state().CurrentSet.ItemName, "Docs");
    EXPECT_EQ(core::state().RunningIndex, 0);
    EXPECT_EQ(cell(main, "Docs", main_window::NextRunTimeColumn), "11/12/2026 13:00:00");
    EXPECT_EQ(cell(main, "Docs", main_window::NextLocationColumn), "Local/LAN");

    tickAt(main, QTime(13, 0, 50));
    EXPECT_TRUE(queue(main).isEmpty());
}

TEST_F(FrmMainScheduleTest, AMissedMinuteRunsOnceAndABadRowBlocksNoOtherRow)
{
    store("Archive", "13:00:00");
    store("Docs", "13:00:00");
    store("Mail", "14:00:00");
    frmMain* main = loadMain("/silent");
    ASSERT_NE(main, nullptr);
    row(main, "Archive")->setText(main_window::NextRunTimeColumn, "10/12/2026");

    // The machine slept from noon to half past three.
    tickAt(main, QTime(15, 30, 0));
    EXPECT_EQ(queue(main), (QStringList {"Docs", "Mail"}));
    tickAt(main, QTime(15, 30, 30));
    tickAt(main, QTime(15, 31, 0));
    EXPECT_EQ(queue(main), (QStringList {"Docs", "Mail"}));
    EXPECT_EQ(logged(Queuing.arg("Archive")), 0);

    runQueue(main);
    EXPECT_EQ(logged("Schedule Name: Docs"), 1);
    EXPECT_EQ(logged("Schedule Name: Mail"), 1);
    EXPECT_TRUE(delivered("Docs"));
    EXPECT_TRUE(delivered("Mail"));
    EXPECT_FALSE(delivered("Archive"));
    EXPECT_EQ(logged(Finished), 2);
    EXPECT_EQ(selected(main), "Mail");
}

TEST_F(FrmMainScheduleTest, BackupAllQueuesEverySetInListOrderAfterAskingAndRunsThemInTurn)
{
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        store(name, "18:00:00");
    frmMain* main = loadMain("/silent");
    ASSERT_NE(main, nullptr);

    prompt.answer(platform::Answer::No);
    main->mnuBackupAll_Click();
    ASSERT_EQ(prompt.shown.size(), 1U);
    EXPECT_EQ(prompt.shown[0].text,
              "Are you sure you want to backup all items now?\r\n\r\nThey will be scheduled to begin immediately.  "
              "Large backups could take a long time to complete");
    EXPECT_EQ(prompt.shown[0].title, "Really start all backups now?");
    EXPECT_EQ(prompt.shown[0].buttons, platform::Buttons::YesNo);
    EXPECT_TRUE(queue(main).isEmpty());
    EXPECT_FALSE(main->tmrProcessSchedule->isActive());

    prompt.answer(platform::Answer::Yes);
    main->mnuBackupAll_Click();
    EXPECT_EQ(queue(main), (QStringList {"Alpha", "Beta", "Gamma"}));
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        EXPECT_EQ(cell(main, name, main_window::NextRunTimeColumn), "");
        EXPECT_EQ(cell(main, name, main_window::NextLocationColumn), "Running...");
    }
    EXPECT_TRUE(main->tmrProcessSchedule->isActive());

    runQueue(main);
    QStringList started;
    for (const QString& text : logTexts()) {
        if (text.startsWith("Schedule Name: "))
            started << text.mid(15);
    }
    EXPECT_EQ(started, (QStringList {"Alpha", "Beta", "Gamma"}));
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        EXPECT_TRUE(delivered(name)) << name;
    EXPECT_EQ(logged(Finished), 3);
    EXPECT_FALSE(log().contains("QUEUING SCHEDULE"));
    EXPECT_EQ(selected(main), "Gamma");
}

TEST_F(FrmMainScheduleTest, AQueuedSetWhoseDocumentIsGoneOrDamagedIsSkipped)
{
    store("Alpha");
    store("Beta");
    store("Gamma");
    frmMain* main = loadMain("/silent");
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(core::state().CurrentSet.ItemName, "Alpha");
    main->queueRun("Beta");
    main->queueRun("Gamma");
    ASSERT_TRUE(QFile::remove(programFile("data/Beta.sbd")));
    ASSERT_TRUE(test::writeFile(programFile("data/Gamma.sbd"), "not a set document"));

    main->tmrProcessSchedule_Timer();
    main->timSchedule_Timer();
    // Nothing runs in its place: the set loaded before is not run.
    EXPECT_EQ(Form<engine::frmProcessing>::loaded(), nullptr);
    runQueue(main);
    EXPECT_EQ(Form<engine::frmProcessing>::loaded(), nullptr);
    EXPECT_EQ(logged("E: The backup set Beta cannot be loaded; it is skipped."), 1);
    EXPECT_EQ(logged("E: The backup set Gamma cannot be loaded; it is skipped."), 1);
    EXPECT_EQ(logged(Finished), 2);
    EXPECT_TRUE(queue(main).isEmpty());
    EXPECT_EQ(selected(main), "Alpha");
    EXPECT_EQ(core::state().CurrentSet.ItemName, "Alpha");
    EXPECT_FALSE(core::state().CurrentSet.LoadFailed);
    EXPECT_FALSE(delivered("Alpha"));
}

TEST_F(FrmMainScheduleTest, TheQueueWaitsWhileARunWindowIsOpen)
{
    store("Alpha");
    store("Beta");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(main->isVisible());

    // A manual run of Alpha is open; Beta falls due meanwhile.
    main->mnuFileExecute_Click();
    engine::frmProcessing* manual = Form<engine::frmProcessing>::loaded();
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(manual->isVisible());
    EXPECT_EQ(manual->windowModality(), Qt::ApplicationModal);
    main->queueRun("Beta");
    main->tmrProcessSchedule_Timer();
    EXPECT_FALSE(main->timSchedule->isActive());
    manual->Timer1_Timer();
    // Finished, but still on the screen: the queue waits until the user or the countdown closes it.
    main->tmrProcessSchedule_Timer();
    EXPECT_FALSE(main->timSchedule->isActive());
    EXPECT_EQ(queue(main), QStringList {"Beta"});

    manual->cmdClose_Click();
    main->tmrProcessSchedule_Timer();
    ASSERT_TRUE(main->timSchedule->isActive());
    main->timSchedule_Timer();
    engine::frmProcessing* scheduled = Form<engine::frmProcessing>::loaded();
    ASSERT_NE(scheduled, nullptr);
    // The main window is shown, so the scheduled run is shown too, and waited for until it closes.
    EXPECT_TRUE(scheduled->isVisible());
    EXPECT_FALSE(core::state().bStopBackup);
    scheduled->Timer1_Timer();
    main->tmrProcessSchedule_Timer();
    EXPECT_EQ(logged(Finished), 0);
    scheduled->cmdClose_Click();
    main->tmrProcessSchedule_Timer();
    EXPECT_EQ(logged(Finished), 1);
    EXPECT_EQ(selected(main), "Beta");
}

TEST_F(FrmMainScheduleTest, ARunWindowClosedBeforeItsRunStartsCountsAsFinished)
{
    store("Alpha");
    store("Beta");
    frmMain* main = loadMain("/silent");
    ASSERT_NE(main, nullptr);
    main->queueRun("Alpha");
    main->queueRun("Beta");
    main->tmrProcessSchedule_Timer();
    main->timSchedule_Timer();
    engine::frmProcessing* run = Form<engine::frmProcessing>::loaded();
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(run->isHidden());
    run->cmdClose_Click();

    main->tmrProcessSchedule_Timer();
    EXPECT_EQ(logged(Finished), 1);
    runQueue(main);
    EXPECT_EQ(logged("Schedule Name: Beta"), 1);
    EXPECT_EQ(logged(Finished), 2);
    EXPECT_FALSE(main->tmrProcessSchedule->isActive());
}

TEST_F(FrmMainScheduleTest, TheManualRunRunsTheLoadedSetOnly)
{
    store("Alpha");
    store("Beta");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    core::state().bStopBackup = true;
    main->lstBackupSet->setCurrentItem(main->lstBackupSet->topLevelItem(1));
    main->lstBackupSet_ItemClick(main->lstBackupSet->topLevelItem(1));
    main->mnuFileExecute_Click();
    engine::frmProcessing* run = Form<engine::frmProcessing>::loaded();
    ASSERT_NE(run, nullptr);
    EXPECT_FALSE(core::state().bStopBackup);
    EXPECT_EQ(core::state().RunningIndex, 1);
    // A second press brings the open window forward instead of starting another run.
    main->mnuFileExecute_Click();
    EXPECT_EQ(Form<engine::frmProcessing>::loaded(), run);
    run->cmdClose_Click();

    // After a failed load the set in memory is another one: nothing runs.
    ASSERT_TRUE(test::writeFile(programFile("data/Beta.sbd"), "damaged"));
    main->lstBackupSet_ItemClick(main->lstBackupSet->topLevelItem(1));
    ASSERT_TRUE(core::state().CurrentSet.LoadFailed);
    main->mnuFileExecute_Click();
    EXPECT_EQ(Form<engine::frmProcessing>::loaded(), nullptr);
}

TEST_F(FrmMainScheduleTest, AnExitDuringARunLetsItEndCancelledBeforeTheProgramEnds)
{
    store("Docs");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    main->mnuFileExecute_Click();
    engine::frmProcessing* run = Form<engine::frmProcessing>::loaded();
    ASSERT_NE(run, nullptr);
    // The tray's Exit comes while the run's own code waits below it.
    bool asked = false;
    QObject::connect(run->lblStatus, &QPlainTextEdit::textChanged, run, [&] {
        if (asked || !run->running())
            return;
        asked = true;
        prompt.answer(platform::Answer::Yes);
        main->mnuTrayClose_Click();
        EXPECT_EQ(programEnds, 0);
    });
    run->Timer1_Timer();
    ASSERT_TRUE(asked);
    ASSERT_TRUE(platform::waitWhile([&] { return programEnds == 0; }, 10000));
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(prompt.shown.size(), 1U);

    const QStringList texts = logTexts();
    const qsizetype cancel = texts.indexOf("=======BACKUP CANCEL/STOP BUTTON PRESSED=========");
    const qsizetype cancelled = texts.indexOf("=============BACKUP WAS CANCELLED (By error or user)=============");
    ASSERT_GE(cancel, 0);
    EXPECT_GT(cancelled, cancel);
    EXPECT_EQ(texts.last(), "Quillback closed");
    const QString document = QString::fromUtf8(test::readFile(core::setDocumentPath("Docs")));
    EXPECT_EQ(core::ExtractItem(document, "Status"), "FAILURE (CANCELLED)");
    EXPECT_EQ(Form<engine::frmProcessing>::loaded(), nullptr);
}

TEST_F(FrmMainScheduleTest, RunsWaitWhileARestoreIsUnderWay)
{
    store("Alpha");
    store("Beta");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);

    // A restore has been handed over; its run starts at the window's next tick.
    const auto version = core::VersionLine::parse("LAN|" + programFile("backup/Alpha") + "|"
                                                  + programFile("backup/Alpha/a.zip") + "|10/12/2026 11:00:00|1|0|0|");
    ASSERT_TRUE(version);
    restore::RestoreRequest request;
    request.version = *version;
    request.setName = "Alpha";
    restore::frmRestoring* restoring = Form<restore::frmRestoring>::load();
    ASSERT_NE(restoring, nullptr);
    restoring->startRestore(request);
    ASSERT_TRUE(restoring->running());

    // Neither a queued nor a manual run starts: a run's stop request would cancel the restore.
    main->queueRun("Beta");
    main->tmrProcessSchedule_Timer();
    EXPECT_FALSE(main->timSchedule->isActive());
    prompt.shown.clear();
    main->mnuFileExecute_Click();
    EXPECT_EQ(Form<engine::frmProcessing>::loaded(), nullptr);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown.front().text, "A restore is under way. Start the backup when it has finished.");

    restoring->cmdClose_Click();
    platform::doEvents();
    main->tmrProcessSchedule_Timer();
    EXPECT_TRUE(main->timSchedule->isActive());
    runQueue(main);
    EXPECT_TRUE(delivered("Beta"));
}

TEST_F(FrmMainScheduleTest, AnotherSetChosenWhileARunWaitsOrRunsIsNotLoadedInItsPlace)
{
    store("Alpha");
    store("Beta");
    frmMain* main = loadMain("/silent");
    ASSERT_NE(main, nullptr);
    main->queueRun("Alpha");
    main->tmrProcessSchedule_Timer();
    main->timSchedule_Timer();
    engine::frmProcessing* run = Form<engine::frmProcessing>::loaded();
    ASSERT_NE(run, nullptr);
    ASSERT_EQ(core::state().CurrentSet.ItemName, "Alpha");
    // Once the main window is shown, so is the run window, which then holds the main window.
    EXPECT_TRUE(run->isHidden());
    EXPECT_EQ(run->windowModality(), Qt::ApplicationModal);

    // The user opens the window from the tray and picks Beta, before the run starts and while it runs.
    const auto pickBeta = [&] {
        main->mnuTrayOpen_Click();
        main->mnuViewRefresh_Click();
        EXPECT_EQ(selected(main), "Alpha");
        main->lstBackupSet->setCurrentItem(row(main, "Beta"));
        main->lstBackupSet_ItemClick(row(main, "Beta"));
        EXPECT_EQ(core::state().CurrentSet.ItemName, "Alpha");
        EXPECT_EQ(selected(main), "Alpha");
    };
    pickBeta();
    bool picked = false;
    QObject::connect(run->lblStatus, &QPlainTextEdit::textChanged, run, [&] {
        if (picked || !run->running())
            return;
        picked = true;
        pickBeta();
    });
    run->Timer1_Timer();
    ASSERT_TRUE(picked);

    // The run's outcome went to its own set, and nothing to Beta's.
    EXPECT_TRUE(delivered("Alpha")) << log().toStdString();
    EXPECT_FALSE(delivered("Beta"));
    const QString beta = QString::fromUtf8(test::readFile(core::setDocumentPath("Beta")));
    EXPECT_TRUE(core::sectionLines(beta, "VERSIONS").filter("LAN|").isEmpty());
    EXPECT_EQ(logged("Schedule Name: Alpha"), 1);

    // Once the run has ended, any set may be chosen again.
    run->cmdClose_Click();
    main->tmrProcessSchedule_Timer();
    main->lstBackupSet->setCurrentItem(row(main, "Beta"));
    main->lstBackupSet_ItemClick(row(main, "Beta"));
    EXPECT_EQ(core::state().CurrentSet.ItemName, "Beta");
}

TEST_F(FrmMainScheduleTest, ASetWaitingInTheQueueIsNotQueuedAgain)
{
    store("Alpha");
    store("Beta", "13:05:00");
    frmMain* main = loadMain("/silent");
    ASSERT_NE(main, nullptr);
    prompt.answer(platform::Answer::Yes);
    main->mnuBackupAll_Click();
    ASSERT_EQ(queue(main), (QStringList {"Alpha", "Beta"}));

    // The list is rebuilt while both wait: Beta's cell shows its time again, which then comes.
    main->mnuViewRefresh_Click();
    ASSERT_EQ(cell(main, "Beta", main_window::NextRunTimeColumn), "10/12/2026 13:05:00");
    tickAt(main, QTime(13, 4, 50));
    tickAt(main, QTime(13, 5, 10));
    EXPECT_EQ(queue(main), (QStringList {"Alpha", "Beta"}));
    EXPECT_EQ(logged(Queuing.arg("Beta")), 0);
    // A second Backup All adds nothing that waits already.
    prompt.answer(platform::Answer::Yes);
    main->mnuBackupAll_Click();
    EXPECT_EQ(queue(main), (QStringList {"Alpha", "Beta"}));

    runQueue(main);
    EXPECT_EQ(logged("Schedule Name: Alpha"), 1);
    EXPECT_EQ(logged("Schedule Name: Beta"), 1);
    EXPECT_EQ(logged(Finished), 2);
    tickAt(main, QTime(13, 5, 40));
    EXPECT_TRUE(queue(main).isEmpty());
}

namespace
{
// Counts every run window that is shown, whoever shows it.
class RunWindowShows : public QObject
{
public:
    RunWindowShows() { qApp->installEventFilter(this); }
    ~RunWindowShows() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<engine::frmProcessing*>(watched))
            ++count;
        return false;
    }
    int count = 0;
};

struct UnseenStart
{
    const char* commandLine;
    bool service;
    bool trayAvailable;
};

// Starts in which nobody sees the program, each set to start minimised: a service, and hidden desktop
// starts with and without a tray (without one the main window is minimised in its place).
class UnseenRunTest : public FrmMainScheduleTest, public ::testing::WithParamInterface<UnseenStart>
{ };

INSTANTIATE_TEST_SUITE_P(Starts, UnseenRunTest,
                         ::testing::Values(UnseenStart {"/s", true, false}, UnseenStart {"/s", true, true},
                                           UnseenStart {"/silent", false, false},
                                           UnseenStart {"/silent", false, true}));
} // namespace

TEST_P(UnseenRunTest, SetsDueTogetherRunBackToBackWithoutAWindow)
{
    const UnseenStart& start = GetParam();
    tray.available = start.trayAvailable;
    if (start.service)
        ASSERT_TRUE(test::writeFile(programFile("settings/service.ini"), "Active=1\n"));
    core::WritePreference("chkMin", "1");
    store("Docs", "13:00:00");
    store("Mail", "13:00:00");
    RunWindowShows shows;
    frmMain* main = startThroughSplash(start.commandLine);
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(core::state().ServiceMode, start.service);
    const bool mainShown = main->isVisible();
    EXPECT_TRUE(!mainShown || main->isMinimized());
    EXPECT_FALSE(start.service && mainShown);

    tickAt(main, QTime(13, 0, 10));
    ASSERT_EQ(queue(main), (QStringList {"Docs", "Mail"}));
    int statusTexts = 0;
    runQueue(main, [&statusTexts](engine::frmProcessing* run) {
        QObject::connect(run->lblStatus, &QPlainTextEdit::textChanged, run, [&statusTexts] { ++statusTexts; });
    });

    // Each run window went as its run ended: no countdown held the next set back.
    EXPECT_TRUE(delivered("Docs")) << log().toStdString();
    EXPECT_TRUE(delivered("Mail")) << log().toStdString();
    EXPECT_EQ(logged(Finished), 2);
    EXPECT_EQ(logged("=======BACKUP CANCEL/STOP BUTTON PRESSED========="), 0);
    EXPECT_EQ(Form<engine::frmProcessing>::loaded(), nullptr);
    EXPECT_FALSE(main->tmrProcessSchedule->isActive());
    // Nothing came into sight, and no run wrote its progress into a window.
    EXPECT_EQ(shows.count, 0);
    EXPECT_EQ(statusTexts, 0);
    EXPECT_EQ(main->isVisible(), mainShown);
    EXPECT_TRUE(!main->isVisible() || main->isMinimized());
}

TEST_F(FrmMainScheduleTest, ARunStartedUnseenComesIntoSightWhenTheMainWindowIsOpened)
{
    tray.available = false;
    store("Docs");
    frmMain* main = loadMain("/silent");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(main->isMinimized());
    main->queueRun("Docs");
    main->tmrProcessSchedule_Timer();
    main->timSchedule_Timer();
    engine::frmProcessing* run = Form<engine::frmProcessing>::loaded();
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(run->isHidden());

    // Someone opens the main window while the run is under way: the window follows with the run's
    // progress, and then closes as a shown one does.
    bool opened = false;
    QTimer::singleShot(0, run, [&] {
        opened = run->running();
        main->mnuTrayOpen_Click();
        run->Timer3_Timer();
    });
    run->Timer1_Timer();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(run->isVisible());
    EXPECT_TRUE(run->lblStatus->toPlainText().startsWith("Backup Successful"))
        << run->lblStatus->toPlainText().toStdString();
    EXPECT_TRUE(run->tmrClose->isActive());
    main->tmrProcessSchedule_Timer();
    EXPECT_EQ(logged(Finished), 0);
    run->cmdClose_Click();
    main->tmrProcessSchedule_Timer();
    EXPECT_EQ(logged(Finished), 1);
}
