#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "editors/frmWizard.h"
#include "engine/frmProcessing.h"
#include "localisation/Languages.h"
#include "main_window/MainWindowTest.h"
#include "platform/EventLoop.h"
#include "support/SetDocumentFixtures.h"

using main_window::frmMain;
using platform::Answer;
using platform::Form;

namespace
{
// Shows each question in a real message box and presses Enter on it, as a person in a hurry does.
class EnterPressingPrompt : public platform::Prompt
{
public:
    Answer show(const platform::Message& message) override
    {
        QTimer::singleShot(0, [] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                return;
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
            if (box->isVisible()) {
                ADD_FAILURE() << "Enter left the question open";
                box->close();
            }
        });
        answers.push_back(platform::askInMessageBox(message));
        return answers.back();
    }
    std::vector<Answer> answers;
};

class SetCommandsTest : public test::MainWindowTest
{
protected:
    void store(const QString& name) const
    {
        const QString text = test::SetDocumentFixture().set("GENERAL", "ItemName", name).text();
        ASSERT_TRUE(test::writeFile(programFile("data/" + name + ".sbd"), text.toUtf8()));
    }
    void touch(const QString& relative) const { ASSERT_TRUE(test::writeFile(programFile(relative), "x")); }
    bool exists(const QString& relative) const { return QFile::exists(programFile(relative)); }

    static QStringList rows(frmMain* main)
    {
        QStringList names;
        for (int i = 0; i < main->lstBackupSet->topLevelItemCount(); ++i)
            names << main->lstBackupSet->topLevelItem(i)->text(0);
        return names;
    }
    static void choose(frmMain* main, int row)
    {
        main->lstBackupSet->setCurrentItem(main->lstBackupSet->topLevelItem(row));
        main->lstBackupSet_ItemClick(main->lstBackupSet->topLevelItem(row));
    }
    static bool deleteOffered(frmMain* main)
    {
        const bool toolbar = main->toolbarButton("delete")->isEnabled();
        EXPECT_EQ(main->cmdDelete->isEnabled(), toolbar);
        EXPECT_EQ(main->findChild<QAction*>("mnuFileDelete")->isEnabled(), toolbar);
        return toolbar;
    }
    bool closedLogged() const { return log().contains(" Quillback closed\r\n"); }
    static QAction* viewLogItem(frmMain* main)
    {
        for (QAction* item : main->findChildren<QAction*>("mnuToolsItem")) {
            if (item->text() == "View Log")
                return item;
        }
        return nullptr;
    }
    static QString selected(frmMain* main)
    {
        const QList<QTreeWidgetItem*> rows = main->lstBackupSet->selectedItems();
        return rows.size() == 1 ? rows.first()->text(0) : QString();
    }
};
} // namespace

TEST_F(SetCommandsTest, DeleteRemovesTheSetsFilesButKeepsItsCopyAndRestoreListOnlyOnYes)
{
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        SCOPED_TRACE(answer == Answer::Yes ? "Yes" : "No");
        store("Alpha");
        store("Beta");
        for (const char* file : {"data/Alpha.sbd.bak", "data/Alpha.lst", "data/AlphaRESTORE.lst"})
            touch(file);
        frmMain* main = loadMain();
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(exists("data/Alpha.sfl"));

        prompt.answer(answer);
        main->findChild<QAction*>("mnuFileDelete")->trigger();
        ASSERT_FALSE(prompt.shown.empty());
        const platform::Message& question = prompt.shown.back();
        EXPECT_EQ(question.text, "Are you sure you want to delete the backup set \"Alpha\"?");
        EXPECT_EQ(question.title, "Quillback 1.0");
        EXPECT_EQ(question.buttons, platform::Buttons::YesNo);
        EXPECT_EQ(question.defaultAnswer, Answer::No);
        EXPECT_EQ(question.icon, platform::Icon::Exclamation);

        const bool deleted = answer == Answer::Yes;
        EXPECT_EQ(exists("data/Alpha.sbd"), !deleted);
        EXPECT_EQ(exists("data/Alpha.sfl"), !deleted);
        EXPECT_EQ(exists("data/Alpha.lst"), !deleted);
        EXPECT_TRUE(exists("data/Alpha.sbd.bak"));
        EXPECT_TRUE(exists("data/AlphaRESTORE.lst"));
        EXPECT_EQ(rows(main), deleted ? QStringList {"Beta"} : (QStringList {"Alpha", "Beta"}));
        EXPECT_EQ(core::state().CurrentSet.ItemName, deleted ? "Beta" : "Alpha");
        EXPECT_TRUE(deleteOffered(main));
        platform::unloadAllWindows();
        for (const char* file : {"data/Alpha.sbd", "data/Beta.sbd", "data/Alpha.sbd.bak", "data/AlphaRESTORE.lst"})
            QFile::remove(programFile(file));
    }
}

TEST_F(SetCommandsTest, TheDeleteQuestionNamesTheSetInEveryLanguage)
{
    store("Alpha");
    store("Beta");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    choose(main, 1);
    const std::pair<QString, QString> texts[] = {
        {"Soll der Satz <filename> gel\u00f6scht werden?", "Soll der Satz Beta gel\u00f6scht werden?"},
        // A translation without the placeholder still names the set.
        {"Wirklich l\u00f6schen?", "Wirklich l\u00f6schen?\r\n\r\n\"Beta\""},
    };
    for (const auto& [translated, asked] : texts) {
        localisation::resetLanguages();
        localisation::Languages().setMessage("MSG_CONFIRM_DELETION", translated);
        prompt.answer(Answer::No);
        main->mnuFileDelete_Click();
        ASSERT_FALSE(prompt.shown.empty());
        EXPECT_EQ(prompt.shown.back().text, asked);
    }
    EXPECT_EQ(rows(main), (QStringList {"Alpha", "Beta"}));
}

TEST_F(SetCommandsTest, TheEditorsLeaveTheSetTheySavedSelected)
{
    store("Alpha");
    store("Beta");
    store("Delta");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    choose(main, 2);
    ASSERT_EQ(core::state().CurrentSet.ItemName, "Delta");

    // The properties window saves Delta and has the list rebuilt; a set added meanwhile moves it.
    store("Charlie");
    core::mainWindowServices()->listSetsSelecting("Delta");
    EXPECT_EQ(rows(main), (QStringList {"Alpha", "Beta", "Charlie", "Delta"}));
    EXPECT_EQ(selected(main), "Delta");
    EXPECT_EQ(core::state().CurrentSet.ItemName, "Delta");
    EXPECT_TRUE(main->toolbarButton("delete")->isEnabled());

    // The wizard makes Bravo: the new set is selected and loaded once the wizard has closed.
    QTimer::singleShot(0, [this, main] {
        store("Bravo");
        core::state().NewBackupSet.ItemName = "Bravo";
        main->setNewItem(true);
        if (editors::frmWizard* wizard = Form<editors::frmWizard>::loaded())
            wizard->cmdCancel->click();
    });
    main->mnuFileNewItem_Click();
    EXPECT_EQ(rows(main), (QStringList {"Alpha", "Beta", "Bravo", "Charlie", "Delta"}));
    EXPECT_EQ(selected(main), "Bravo");
    EXPECT_EQ(core::state().CurrentSet.ItemName, "Bravo");

    // A set that is gone meanwhile leaves the first one selected, as a plain rebuild does.
    QFile::remove(programFile("data/Bravo.sbd"));
    core::mainWindowServices()->listSetsSelecting("Bravo");
    EXPECT_EQ(selected(main), "Alpha");
}

TEST_F(SetCommandsTest, DeletingTheLastSetLeavesNothingToActOn)
{
    store("Alpha");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    prompt.answer(Answer::Yes);
    main->mnuFileDelete_Click();
    EXPECT_TRUE(rows(main).isEmpty());
    EXPECT_FALSE(deleteOffered(main));
    EXPECT_FALSE(main->toolbarButton("go")->isEnabled());
    EXPECT_TRUE(main->lstBackupFiles->isHidden());
}

TEST_F(SetCommandsTest, ASetThatIsQueuedOrRunningCannotBeDeleted)
{
    store("Alpha");
    store("Beta");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(deleteOffered(main));

    main->queueRun("Alpha");
    EXPECT_FALSE(deleteOffered(main));
    main->mnuFileDelete_Click();
    EXPECT_TRUE(prompt.shown.empty());
    // Choosing the set again does not offer it either; another set can go.
    choose(main, 1);
    EXPECT_TRUE(deleteOffered(main));
    choose(main, 0);
    EXPECT_FALSE(deleteOffered(main));

    // The set being run stays protected until its window has gone, whether the queue or the user
    // opened it.
    main->tmrProcessSchedule_Timer();
    main->timSchedule_Timer();
    engine::frmProcessing* queued = Form<engine::frmProcessing>::loaded();
    ASSERT_NE(queued, nullptr);
    EXPECT_FALSE(deleteOffered(main));
    queued->cmdClose_Click();
    main->tmrProcessSchedule_Timer();
    main->tmrScheduler_Timer();
    EXPECT_TRUE(deleteOffered(main));
    main->mnuFileExecute_Click();
    engine::frmProcessing* run = Form<engine::frmProcessing>::loaded();
    ASSERT_NE(run, nullptr);
    EXPECT_FALSE(deleteOffered(main));
    run->cmdClose_Click();
    main->tmrScheduler_Timer();
    EXPECT_TRUE(deleteOffered(main));
    EXPECT_TRUE(exists("data/Alpha.sbd"));
}

TEST_F(SetCommandsTest, ViewLogOpensTheLogOrOffersToSwitchLoggingOn)
{
    core::WritePreference("chkLog", "0");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    ASSERT_FALSE(QFile::exists(core::RunLogPath()));
    QAction* viewLog = viewLogItem(main);
    ASSERT_NE(viewLog, nullptr);

    prompt.answer(Answer::No);
    viewLog->trigger();
    ASSERT_EQ(prompt.shown.size(), 1U);
    EXPECT_EQ(prompt.shown[0].text, "Log file does not exist.  Would you like to turn logging on now?");
    EXPECT_EQ(prompt.shown[0].title, "");
    EXPECT_EQ(prompt.shown[0].buttons, platform::Buttons::YesNo);
    EXPECT_FALSE(core::state().LoggingEnabled);
    EXPECT_FALSE(QFile::exists(core::RunLogPath()));

    prompt.answer(Answer::Yes);
    viewLog->trigger();
    EXPECT_TRUE(core::state().LoggingEnabled);
    EXPECT_EQ(core::ReadPreference("chkLog", ""), "1");
    const QStringList lines = log().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(" Started Logging"));
    EXPECT_TRUE(shell.opened.isEmpty());

    viewLog->trigger();
    EXPECT_EQ(shell.opened, QStringList {core::RunLogPath()});
    EXPECT_EQ(prompt.shown.size(), 2U);
}

TEST_F(SetCommandsTest, ALogThatNoProgramOpensIsNamedInASentence)
{
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(QFile::exists(core::RunLogPath()));
    shell.accept = false;
    viewLogItem(main)->trigger();
    ASSERT_EQ(prompt.shown.size(), 1U);
    EXPECT_EQ(prompt.shown[0].text,
              "The log file " + core::RunLogPath()
                  + " could not be opened: this system has no program set to open text "
                    "files. Any text editor can open it.");
    EXPECT_EQ(prompt.shown[0].title, "Quillback 1.0");
}

TEST_F(SetCommandsTest, EnterOnTheDeleteAndExitQuestionsKeepsTheSetAndTheProgram)
{
    store("Alpha");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    EnterPressingPrompt enter;
    platform::setPrompt(&enter);
    main->mnuFileDelete_Click();
    main->toolbarButton(14)->trigger();
    platform::setPrompt(&prompt);

    EXPECT_EQ(enter.answers, (std::vector {Answer::No, Answer::No}));
    EXPECT_TRUE(exists("data/Alpha.sbd"));
    EXPECT_EQ(rows(main), QStringList {"Alpha"});
    EXPECT_EQ(programEnds, 0);
    EXPECT_FALSE(main->isUnloaded());
}

TEST_F(SetCommandsTest, F5RefreshesTheListAndKeepsTheSelectedSet)
{
    store("Beta");
    store("Delta");
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    main->activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), main);
    choose(main, 1);
    ASSERT_EQ(core::state().CurrentSet.ItemName, "Delta");

    // Sets added meanwhile move Delta down the list.
    store("Alpha");
    store("Charlie");
    QTest::keyClick(main, Qt::Key_F5);
    EXPECT_EQ(rows(main), (QStringList {"Alpha", "Beta", "Charlie", "Delta"}));
    EXPECT_EQ(selected(main), "Delta");
    EXPECT_EQ(core::state().CurrentSet.ItemName, "Delta");

    // With no set selected the refresh selects the first, as the list's load does.
    main->lstBackupSet->clearSelection();
    QTest::keyClick(main, Qt::Key_F5);
    EXPECT_EQ(selected(main), "Alpha");
}

TEST_F(SetCommandsTest, ToolbarExitAsksAndThenExitsLikeEveryExit)
{
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    prompt.answer(Answer::No);
    main->toolbarButton(14)->trigger();
    ASSERT_EQ(prompt.shown.size(), 1U);
    EXPECT_EQ(prompt.shown[0].text, "Are you sure, you want to exit this program?");
    EXPECT_EQ(prompt.shown[0].icon, platform::Icon::Critical);
    EXPECT_EQ(programEnds, 0);
    EXPECT_FALSE(main->isUnloaded());

    prompt.answer(Answer::Yes);
    main->toolbarButton(14)->trigger();
    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_TRUE(closedLogged());
    EXPECT_TRUE(core::GetUserPreference("BackupSetColumn1", "").toInt() > 0);
}

TEST_F(SetCommandsTest, AnExitDuringARunAsksStopsTheRunAndThenEnds)
{
    const struct
    {
        const char* exit;
        std::function<void(frmMain*)> request;
        bool asks;
    } exits[] = {
        {"File > Exit", [](frmMain* main) { main->mnuFileExit_Click(); }, true},
        {"tray Exit", [](frmMain* main) { main->mnuTrayClose_Click(); }, true},
        {"service stop", [](frmMain* main) { main->Win2kService_Stop(); }, false},
    };
    for (const auto& e : exits) {
        SCOPED_TRACE(e.exit);
        store("Alpha");
        programEnds = 0;
        prompt.shown.clear();
        frmMain* main = loadMain();
        ASSERT_NE(main, nullptr);
        main->mnuFileExecute_Click();
        ASSERT_NE(Form<engine::frmProcessing>::loaded(), nullptr);

        if (e.asks) {
            prompt.answer(Answer::No);
            e.request(main);
            ASSERT_EQ(prompt.shown.size(), 1U);
            EXPECT_EQ(prompt.shown[0].text, "A backup set is running. Stop it and exit?");
            EXPECT_EQ(prompt.shown[0].defaultAnswer, Answer::No);
            EXPECT_EQ(programEnds, 0);
            EXPECT_FALSE(core::state().bStopBackup);
            EXPECT_NE(Form<engine::frmProcessing>::loaded(), nullptr);
            EXPECT_FALSE(main->closeFlags().ExitRequested);
            prompt.answer(Answer::Yes);
        }
        e.request(main);
        EXPECT_EQ(prompt.shown.size(), e.asks ? 2U : 0U);
        ASSERT_TRUE(platform::waitWhile([&] { return programEnds == 0; }, 10000));
        EXPECT_EQ(programEnds, 1);
        EXPECT_TRUE(core::state().bStopBackup);
        EXPECT_EQ(Form<engine::frmProcessing>::loaded(), nullptr);
        EXPECT_TRUE(closedLogged());
        platform::unloadAllWindows();
        QFile::remove(core::RunLogPath());
    }
}
