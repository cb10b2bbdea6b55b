#include "engine/frmProcessing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <memory>

#include <gtest/gtest.h>

#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "core/SetText.h"
#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"
#include "platform/Form.h"
#include "support/ProgramFolderTest.h"

using engine::frmProcessing;
using platform::Form;

namespace
{
const QString CancelBanner = "=======BACKUP CANCEL/STOP BUTTON PRESSED=========";

// The main window as the run window sees it: a window to follow, the set list's rows and its clock.
class FakeMainWindow : public core::MainWindowServices
{
public:
    FakeMainWindow() { core::setMainWindowServices(this); }
    ~FakeMainWindow() override { core::setMainWindowServices(nullptr); }

    bool setSetRowCell(const QString& setName, int subItem, const QString& text) override
    {
        for (QStringList& row : rows) {
            if (row.at(0) == setName) {
                while (row.size() <= subItem)
                    row << QString();
                row[subItem] = text;
                return true;
            }
        }
        return false;
    }
    void showFileList(const QStringList&, const QList<bool>&) override { }
    QStringList& globalVersions() override { return versions; }
    QWidget* mainWindow() override { return &window; }
    void queueDueSets() override { ++clockTicks; }
    bool LoadBackup(bool bFromFile, const QString& strBackupname) override
    {
        EXPECT_FALSE(bFromFile);
        EXPECT_EQ(strBackupname, QString());
        loadsSaw << core::ExtractItem(QString::fromUtf8(test::readFile(core::setDocumentPath("Docs"))), "Status");
        return true;
    }

    QWidget window;
    QList<QStringList> rows;
    int clockTicks = 0;
    QStringList versions;
    // The Status the set's document held at each load.
    QStringList loadsSaw;
};

class RunWindowTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        core::state().LoggingEnabled = true;
        localisation::RegisterDefaultMessages();
        main.window.show();
    }

    void TearDown() override
    {
        platform::unloadAllWindows();
        localisation::resetLanguages();
        test::ProgramFolderTest::TearDown();
    }

    // A set of one small file to one folder, loaded as the main window loads it.
    void loadSet()
    {
        ASSERT_TRUE(test::writeFile(programFile("source/a.txt"), "alpha"));
        core::BackupSetInfo& set = core::state().NewBackupSet;
        set = core::BackupSetInfo {};
        set.ItemName = "Docs";
        set.DestCount = 1;
        set.RotationType = core::RotationMode::OneAtATime;
        set.Dest[1].Type = core::DestinationType::Folder;
        set.Dest[1].LocalFolder = programFile("backup");
        QFile::remove(core::setDocumentPath("Docs"));
        ASSERT_TRUE(core::WriteProject({programFile("source")}));
        core::state().CurrentSet = set;
        core::state().CurrentSet.CurrentDestination = 1;
        core::state().strSetText = QString::fromUtf8(test::readFile(core::setDocumentPath("Docs")));
    }

    // Loads the window and runs its start timer's tick; `duringRun` is called once, inside the run,
    // when it shows its first status.
    QPointer<frmProcessing> run(const std::function<void(frmProcessing*)>& duringRun = {})
    {
        QPointer<frmProcessing> window = Form<frmProcessing>::load();
        if (!window)
            return window;
        if (duringRun) {
            auto* running = window.data();
            auto once = std::make_shared<bool>(false);
            QObject::connect(running->lblStatus, &QPlainTextEdit::textChanged, running, [running, duringRun, once] {
                if (!*once && running->running()) {
                    *once = true;
                    duringRun(running);
                }
            });
        }
        window->Timer1_Timer();
        return window;
    }

    QString log() const { return QString::fromUtf8(test::readFile(core::RunLogPath())); }

    FakeMainWindow main;
};

TEST_F(RunWindowTest, CountdownShowsTheSecondsLeftAndClosesOnTheFourteenthTick)
{
    loadSet();
    QPointer<frmProcessing> window = run();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(core::state().bBackupFinished);
    EXPECT_TRUE(window->tmrClose->isActive());
    EXPECT_TRUE(window->cmdClose->isEnabled());

    struct Step
    {
        QString button;
        QString caption;
    };
    const Step steps[] = {{"Close (14)", " (closing in 14 seconds)"},
                          {"Close (13)", " (closing in 13 seconds)"},
                          {"Close (2)", " (closing in 2 seconds)"},
                          {"Close (1)", " (closing in 1 second)"}};
    for (const Step& step : steps) {
        while (window->cmdClose->text() != step.button && window->lblTime->text().toInt() > 1)
            window->tmrClose_Timer();
        EXPECT_EQ(window->cmdClose->text(), step.button);
        EXPECT_EQ(window->windowTitle(), step.caption);
    }
    EXPECT_FALSE(log().contains(CancelBanner));
    window->tmrClose_Timer();
    EXPECT_EQ(Form<frmProcessing>::loaded(), nullptr);
    EXPECT_TRUE(log().endsWith(CancelBanner + "\r\n"));
    EXPECT_TRUE(core::state().bStopBackup);
}

TEST_F(RunWindowTest, CloseDuringTheCountdownClosesAtOnceAndANewRunStartsTheCountdownAfresh)
{
    loadSet();
    QPointer<frmProcessing> window = run();
    ASSERT_FALSE(window.isNull());
    window->tmrClose_Timer();
    window->tmrClose_Timer();
    EXPECT_EQ(window->cmdClose->text(), "Close (12)");

    // A scheduled run carried by the same window.
    core::state().bBackupFinished = false;
    ASSERT_TRUE(window->turnOffTimer());
    EXPECT_FALSE(window->tmrClose->isActive());
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->cmdClose->text(), "Cancel");
    EXPECT_EQ(window->windowTitle(), "Please wait...");
    EXPECT_TRUE(window->lblStatus->toPlainText().isEmpty());
    window->Timer1_Timer();
    EXPECT_TRUE(core::state().bBackupFinished);
    EXPECT_EQ(window->cmdClose->text(), "Close (14)");

    window->cmdClose->click();
    EXPECT_EQ(Form<frmProcessing>::loaded(), nullptr);
    EXPECT_TRUE(log().endsWith(CancelBanner + "\r\n"));
}

TEST_F(RunWindowTest, TheWindowIsNeverDestroyedUnderItsRun)
{
    loadSet();
    bool survived = false;
    QPointer<frmProcessing> window = run([&](frmProcessing* running) {
        QPointer<frmProcessing> watched = running;
        // The program's exit unloads every window, and an event-loop pass may then try to destroy it.
        Form<frmProcessing>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        survived = !watched.isNull();
    });
    EXPECT_TRUE(survived);
    EXPECT_TRUE(core::state().bBackupFinished);
    EXPECT_EQ(core::ExtractItem(QString::fromUtf8(test::readFile(core::setDocumentPath("Docs"))), "Status"), "Success");
    ASSERT_FALSE(window.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(RunWindowTest, NothingStartsASecondRunWhileOneIsUnderWay)
{
    loadSet();
    bool refused = false;
    QPointer<frmProcessing> second;
    bool secondWaited = false;
    QPointer<frmProcessing> first = run([&](frmProcessing* running) {
        // A scheduled start finds the window loaded: it must not restart it.
        refused = !running->turnOffTimer() && !running->Timer1->isActive();
        // A window loaded anew while this run goes on waits for it to end.
        Form<frmProcessing>::unload();
        second = Form<frmProcessing>::load();
        if (second) {
            second->Timer1_Timer();
            secondWaited = second->Timer1->isActive() && !second->running();
            // From here the test ticks it by hand.
            second->Timer1->stop();
        }
    });
    EXPECT_TRUE(refused);
    EXPECT_TRUE(secondWaited);
    EXPECT_EQ(main.loadsSaw, QStringList({"Success"}));

    // Once the first run has ended, the second one goes.
    ASSERT_FALSE(second.isNull());
    core::state().bBackupFinished = false;
    second->Timer1_Timer();
    EXPECT_TRUE(core::state().bBackupFinished);
    EXPECT_EQ(main.loadsSaw.size(), 2);
}

TEST_F(RunWindowTest, TheSetIsLoadedAgainAfterItsOutcomeIsSavedOnEitherEnding)
{
    struct Case
    {
        bool cancel;
        QString status;
    };
    const Case cases[] = {{false, "Success"}, {true, "FAILURE (CANCELLED)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status.toStdString());
        core::state().bStopBackup = false;
        main.loadsSaw.clear();
        loadSet();
        QPointer<frmProcessing> window = run([&](frmProcessing* running) {
            if (c.cancel)
                running->cmdClose->click();
        });
        EXPECT_EQ(main.loadsSaw, QStringList({c.status}));
        EXPECT_TRUE(core::state().bBackupFinished);
        EXPECT_FALSE(core::state().RunInProgress);
        EXPECT_EQ(QDir(programFile("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList());
        platform::unloadAllWindows();
    }
}

TEST_F(RunWindowTest, ScheduleClockAsksTheMainWindowToQueueTheDueSets)
{
    // What is due, and queueing it once, is the main window's one due test for both clocks.
    frmProcessing window;
    window.Timer1->stop();
    window.tmrScheduler_Timer();
    window.tmrScheduler_Timer();
    EXPECT_EQ(main.clockTicks, 2);
    EXPECT_EQ(window.tmrScheduler->interval(), 500);
    EXPECT_TRUE(window.tmrScheduler->isActive());
}

TEST_F(RunWindowTest, FollowsTheMainWindowsStateAndVisibility)
{
    frmProcessing* window = Form<frmProcessing>::load();
    ASSERT_NE(window, nullptr);
    window->Timer1->stop();
    window->show();
    core::state().MainWindowState = int(Qt::WindowMaximized);

    // Minimising only the main window is undone.
    main.window.setWindowState(Qt::WindowMinimized);
    window->Timer3_Timer();
    EXPECT_EQ(main.window.windowState(), Qt::WindowMaximized);

    // Minimize takes both windows off the screen; they come back together.
    window->cmdMin_Click();
    EXPECT_TRUE(main.window.isHidden());
    EXPECT_TRUE(window->isMinimized());
    window->Timer3_Timer();
    EXPECT_TRUE(window->isHidden());
    main.window.setWindowState(Qt::WindowNoState);
    main.window.show();
    window->Timer3_Timer();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(RunWindowTest, FtpConnectionCounterEndsTheConnectAfterThirtySecondsNotTheRun)
{
    for (const int seconds : {30, 31}) {
        SCOPED_TRACE(seconds);
        core::state().bConnectTimedOut = false;
        frmProcessing window;
        for (int i = 0; i < seconds; ++i)
            window.timFTP_Timer();
        EXPECT_EQ(window.lblStatus->toPlainText(), QStringLiteral("FTP: Connecting... (%1)").arg(seconds));
        EXPECT_EQ(core::state().bConnectTimedOut, seconds > 30);
        EXPECT_FALSE(core::state().bStopBackup);
        EXPECT_FALSE(window.timFTP->isActive());
    }
}

TEST_F(RunWindowTest, PauseShowsItsMessageWithOnlyOk)
{
    frmProcessing window;
    window.cmdPause->click();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown.at(0).text, "Paused.  Click OK to continue.");
    EXPECT_EQ(prompt.shown.at(0).buttons, platform::Buttons::Ok);
}

} // namespace
