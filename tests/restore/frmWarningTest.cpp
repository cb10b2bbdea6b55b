#include "restore/frmWarning.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "RestoreTest.h"
#include "WarningScript.h"
#include "platform/FileCopy.h"
#include "platform/RunContext.h"

using restore::frmWarning;

namespace
{
class frmWarningTest : public test::RestoreTest
{
protected:
    void SetUp() override
    {
        RestoreTest::SetUp();
        core::ProgramState& s = core::state();
        s.ExistingFilePath = "/home/u/docs/a.txt";
        s.ExistingFileSize = "1200";
        s.ExistingFileDate = "01/02/2026 08:30:00";
        s.RestoredFileSize = "1150";
        s.RestoredFileDate = "03/01/2026 17:45:10";
    }
    void deleteClosed() { QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};
} // namespace

TEST_F(frmWarningTest, ShowsBothFilesAndCountsDownToNo)
{
    test::FakeRestoreWindow restoring;
    QPointer<frmWarning> dialog = new frmWarning;
    EXPECT_EQ(restoring.turnedOff, 1);
    EXPECT_EQ(dialog->lblFile->text(), "/home/u/docs/a.txt");
    EXPECT_EQ(dialog->lblSize1->text(), "Size: 1200 bytes.");
    EXPECT_EQ(dialog->lblDate1->text(), "Modified: 01/02/2026 08:30:00");
    EXPECT_EQ(dialog->lblSize2->text(), "Size: 1150 bytes");
    EXPECT_EQ(dialog->lblDate2->text(), "Modified: 03/01/2026 17:45:10");
    EXPECT_EQ(dialog->windowTitle(), "File exists... (closing in  30  seconds)");
    EXPECT_TRUE(dialog->tmr30->isActive());
    EXPECT_EQ(dialog->tmr30->interval(), 1000);

    const std::pair<int, QString> seen[] = {
        {1, "File exists... (closing in 29 seconds)"},
        {28, "File exists... (closing in 2 seconds)"},
        {29, "File exists... (closing in 1 second)"},
    };
    int ticks = 0;
    for (const auto& [after, caption] : seen) {
        while (ticks < after) {
            dialog->tmr30_Timer();
            ++ticks;
        }
        EXPECT_EQ(dialog->windowTitle(), caption);
        EXPECT_EQ(dialog->cmdNo->text(), QString("&No (%1)").arg(30 - after));
        EXPECT_EQ(core::state().ReplaceAnswer, 0);
    }
    dialog->tmr30_Timer();
    EXPECT_EQ(core::state().ReplaceAnswer, restore::AnswerNo);
    EXPECT_EQ(logLines(), QStringList {"REPLACE? No Clicked"});
    deleteClosed();
    EXPECT_TRUE(dialog.isNull());
}

TEST_F(frmWarningTest, EachWayOfAnsweringLeavesItsCode)
{
    struct Case
    {
        const char* name;
        std::function<void(frmWarning&)> answer;
        int code;
        QString logLine;
    };
    const Case cases[] = {
        {"Yes", [](frmWarning& d) { d.cmdYes->click(); }, 6, "REPLACE? Yes Clicked"},
        {"No", [](frmWarning& d) { d.cmdNo->click(); }, 7, "REPLACE? No Clicked"},
        {"Yes to All", [](frmWarning& d) { d.cmdYesAll->click(); }, 8, "REPLACE? YES TO ALL Clicked"},
        {"No to All", [](frmWarning& d) { d.Command1->click(); }, 9, "REPLACE? NO TO ALL Clicked"},
        {"Cancel", [](frmWarning& d) { d.cmdCancel->click(); }, 2, "REPLACE? CANCEL Clicked"},
        {"close box", [](frmWarning& d) { d.close(); }, 7, "REPLACE? No Clicked"},
        {"Escape", [](frmWarning& d) { d.reject(); }, 7, "REPLACE? No Clicked"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::state().ReplaceAnswer = 0;
        QFile::remove(programFile("status.log"));
        QPointer<frmWarning> dialog = new frmWarning;
        dialog->show();
        c.answer(*dialog);
        EXPECT_EQ(core::state().ReplaceAnswer, c.code);
        EXPECT_EQ(logLines(), QStringList {c.logLine});
        ASSERT_FALSE(dialog.isNull());
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(dialog->tmr30->isActive());
        // A later tick or click changes nothing.
        dialog->tmr30_Timer();
        dialog->cmdYes->click();
        EXPECT_EQ(core::state().ReplaceAnswer, c.code);
        deleteClosed();
        EXPECT_TRUE(dialog.isNull());
    }
}

TEST_F(frmWarningTest, AClickOnTheBackgroundStopsTheCountdown)
{
    QPointer<frmWarning> dialog = new frmWarning;
    dialog->show();
    dialog->tmr30_Timer();
    dialog->Form_Click();
    EXPECT_FALSE(dialog->tmr30->isActive());
    EXPECT_EQ(dialog->windowTitle(), "File exists...");
    EXPECT_EQ(dialog->cmdNo->text(), "&No");
    EXPECT_EQ(core::state().ReplaceAnswer, 0);
    dialog->cmdYes->click();
    EXPECT_EQ(core::state().ReplaceAnswer, restore::AnswerYes);
}

TEST_F(frmWarningTest, TitleForAFolder)
{
    core::state().ReplaceMode = 2;
    frmWarning dialog;
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(dialog.windowTitle(), "Folder replacement... (closing in  30  seconds)");
}

TEST_F(frmWarningTest, TheQuestionShowsBothFilesAndGivesTheAnswer)
{
    using Action = test::WarningScript::Action;
    using restore::OverwriteAnswer;
    const QString existing = programFile("target/a.txt");
    const QString restored = programFile("tmp/work/a.txt");
    ASSERT_TRUE(test::writeFile(existing, "twelve bytes"));
    ASSERT_TRUE(test::writeFile(restored, "five!"));
    ASSERT_TRUE(platform::setFileDateAndMode(existing, QDateTime(QDate(2026, 2, 1), QTime(8, 30))));
    ASSERT_TRUE(platform::setFileDateAndMode(restored, QDateTime(QDate(2026, 1, 3), QTime(17, 45, 10))));

    // The count-down and the close box keep the file in place, as No does.
    test::WarningScript script({Action::No, Action::TimeOut, Action::CloseBox, Action::Yes, Action::YesToAll,
                                Action::NoToAll, Action::Cancel});
    const OverwriteAnswer expected[]
        = {OverwriteAnswer::No,       OverwriteAnswer::No,      OverwriteAnswer::No,    OverwriteAnswer::Yes,
           OverwriteAnswer::YesToAll, OverwriteAnswer::NoToAll, OverwriteAnswer::Cancel};
    restore::WarningQuestion question;
    platform::RunContext run;
    for (const OverwriteAnswer answer : expected)
        EXPECT_EQ(question.ask(existing, restored, run), answer);
    EXPECT_EQ(script.prompts, 7);
    EXPECT_FALSE(script.ranOut);
    EXPECT_EQ(script.files.first(), existing);
    EXPECT_EQ(script.sizes.first(), "Size: 12 bytes. | Size: 5 bytes");
    EXPECT_EQ(script.dates.first(), "Modified: 01/02/2026 08:30:00 | Modified: 03/01/2026 17:45:10");
    EXPECT_EQ(core::state().ExistingFilePath, existing);
}

TEST_F(frmWarningTest, AStopTakesTheQuestionAwayUnanswered)
{
    platform::RunContext run;
    // The user stops the countdown to read the question; then the restore is cancelled. Should the
    // question stay, an answer after many looks ends the wait so that the test fails rather than hangs.
    int pollsAfterStop = 0;
    bool answeredToEndTheWait = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* question = qobject_cast<frmWarning*>(window);
            if (!question || !question->isVisible())
                continue;
            if (!run.stopRequested()) {
                question->Form_Click();
                run.requestStop();
            } else if (++pollsAfterStop == 1000000) {
                answeredToEndTheWait = true;
                question->cmdNo->click();
            }
        }
    });
    user.start(0);

    restore::WarningQuestion question;
    EXPECT_EQ(question.ask("/home/u/docs/a.txt", "/tmp/a.txt", run), std::nullopt);
    EXPECT_FALSE(answeredToEndTheWait);
    deleteClosed();
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<frmWarning*>(window), nullptr);
    EXPECT_EQ(logLines(), QStringList {});
}
