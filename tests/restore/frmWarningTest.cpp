#include "restore/frmWarning.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "RestoreTest.h"

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
