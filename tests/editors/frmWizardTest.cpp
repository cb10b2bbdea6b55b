#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "EditorsTest.h"
#include "core/ProgramState.h"
#include "core/ProjectTextCoding.h"
#include "core/SetDocument.h"
#include "core/SetDocumentParser.h"
#include "editors/CompressionPage.h"
#include "editors/DestinationListPage.h"
#include "editors/SchedulePage.h"
#include "editors/SourceListPage.h"
#include "editors/TimestampPage.h"
#include "editors/frmWizard.h"
#include "support/FakeMainWindow.h"
#include "support/Fakes.h"
#include "support/Screenshot.h"

using platform::Form;

namespace
{
class frmWizardTest : public test::EditorsTest
{
protected:
    void SetUp() override
    {
        EditorsTest::SetUp();
        tree = home.path() + "/tree";
        target = home.path() + "/target";
        ASSERT_TRUE(QDir().mkpath(tree + "/docs/sub"));
        ASSERT_TRUE(QDir().mkpath(target));
        ASSERT_TRUE(test::writeFile(tree + "/docs/a.txt", "a"));
        ASSERT_TRUE(test::writeFile(tree + "/docs/sub/b.txt", "b"));
        ASSERT_TRUE(test::writeFile(tree + "/single.txt", "s"));
    }

    editors::frmWizard* open()
    {
        editors::frmWizard* wizard = Form<editors::frmWizard>::load();
        wizard->show();
        return wizard;
    }

    // Fills every step as a user would, screenshots on the way when `shots` is given, and stops on
    // the summary.
    void walkToSummary(editors::frmWizard* wizard, bool shots = false)
    {
        const auto shot = [&](const char* name) {
            if (shots) {
                EXPECT_FALSE(test::saveScreenshot(wizard, name).isEmpty());
            }
        };
        shot("editors_frmWizard_step1");
        wizard->cmdNext->click();
        ASSERT_EQ(wizard->lblStep->text(), "2");
        EXPECT_TRUE(wizard->sourcePage->StickIconOntoListView(tree + "/docs"));
        EXPECT_TRUE(wizard->sourcePage->StickIconOntoListView(tree + "/single.txt"));
        const size_t shown = prompt.shown.size();
        EXPECT_FALSE(wizard->sourcePage->StickIconOntoListView(tree + "/docs/sub"));
        EXPECT_EQ(prompt.shown.size(), shown + 1);
        shot("editors_frmWizard_step2");
        wizard->cmdNext->click();
        ASSERT_EQ(wizard->lblStep->text(), "3");
        wizard->destinationPage->addDestination(core::folderRow(target));
        shot("editors_frmWizard_step3");
        wizard->cmdNext->click();
        ASSERT_EQ(wizard->lblStep->text(), "4");
        editors::TimestampPage* stamps = wizard->timestampPage;
        stamps->chkTimestamps->click();
        // Day accuracy, its second pattern, keep the last two.
        stamps->lblTSAccurancy->setText("1");
        stamps->lblTSFormat->setText("yyyy mmmm dd");
        stamps->lblTSFormatIndex->setText("1");
        stamps->lblTSDelete->setText("1");
        stamps->lblTSDeleteParam0->setText("2");
        shot("editors_frmWizard_step4");
        wizard->cmdNext->click();
        ASSERT_EQ(wizard->lblStep->text(), "5");
        editors::CompressionPage* packing = wizard->compressionPage;
        EXPECT_EQ(packing->txtZIPName->text(), "New_Item.zip");
        packing->optCompressionType[1]->click();
        packing->cmbProtection->setCurrentIndex(1);
        packing->cmbProtection_Click();
        packing->txtBFPassword->setText("secret");
        packing->txtBFConfirmation->setText("secret");
        shot("editors_frmWizard_step5");
        wizard->cmdNext->click();
        ASSERT_EQ(wizard->lblStep->text(), "6");
        editors::SchedulePage* schedule = wizard->schedulePage;
        schedule->chkScheduler->click();
        schedule->chkRepeat->click();
        schedule->optRepeat[1]->click();
        schedule->tvScheduleWeek->topLevelItem(4)->setCheckState(0, Qt::Checked);
        schedule->tvScheduleWeek->topLevelItem(0)->setCheckState(0, Qt::Checked);
        shot("editors_frmWizard_step6");
        wizard->cmdNext->click();
        ASSERT_EQ(wizard->lblStep->text(), "7");
        shot("editors_frmWizard_step7");
    }

    QString tree;
    QString target;
    test::FakeMainWindow mainWindow;
};

core::BackupSetInfo storedSet(const QString& name)
{
    const QString text = core::DecodeProjectText(test::readFile(core::setDocumentPath(name)));
    const core::ParseResult result = core::parseSetDocument(text);
    EXPECT_TRUE(result.parsed.has_value()) << result.reason.toStdString();
    return result.parsed ? result.parsed->set : core::BackupSetInfo {};
}
} // namespace

TEST_F(frmWizardTest, WalksEveryStepAndWritesTheSet)
{
    editors::frmWizard* wizard = open();
    EXPECT_EQ(wizard->txtItemName->text(), "New Item");
    EXPECT_FALSE(wizard->cmdBack->isEnabled());
    walkToSummary(wizard, true);

    EXPECT_EQ(wizard->windowTitle(), "New Backup Set Wizard - Step 7: Complete!");
    EXPECT_EQ(wizard->cmdNext->text(), "Finish");
    EXPECT_EQ(wizard->txtReport->toPlainText(),
              "Properties of the new item:\n"
              "  Item Name:   New Item\n"
              "  Item Type:   Backup\n"
              "  Location:    Local/LAN ("
                  + target
                  + ")\n"
                    "  Backup Type: Full backup\n"
                    "  Compression: Single ZIP Archive\n"
                    "  Encryption:  Blowfish\n");
    wizard->cmdBack->click();
    EXPECT_EQ(wizard->lblStep->text(), "6");
    EXPECT_EQ(wizard->cmdNext->text(), "Next >");
    wizard->cmdNext->click();
    EXPECT_EQ(wizard->cmdNext->text(), "Finish");

    wizard->cmdNext->click();
    EXPECT_TRUE(mainWindow.newItem);
    EXPECT_EQ(Form<editors::frmWizard>::loaded(), nullptr);
    const core::BackupSetInfo set = storedSet("New Item");
    EXPECT_EQ(set.ItemName, "New Item");
    EXPECT_EQ(set.ItemType, 0);
    EXPECT_EQ(set.Include, "*.*");
    EXPECT_TRUE(set.ExcludeFolders);
    ASSERT_EQ(set.DestCount, 1);
    EXPECT_EQ(set.Dest[1].Type, core::DestinationType::Folder);
    EXPECT_EQ(set.Dest[1].LocalFolder, target);
    EXPECT_EQ(set.RotationType, core::RotationMode::OneAtATime);
    EXPECT_TRUE(set.UseTimeStamp);
    EXPECT_EQ(set.Accurancy, 1);
    EXPECT_EQ(set.TimeStampFormat, "yyyy mmmm dd");
    EXPECT_EQ(set.FormatIndex, 1);
    EXPECT_EQ(set.DeleteBackups, 1);
    EXPECT_EQ(set.KeepVersions, 2);
    EXPECT_EQ(set.Compression, core::CompressionMode::OneArchive);
    EXPECT_EQ(set.ZIPName, "New_Item.zip");
    EXPECT_EQ(set.ProtectData, core::ProtectionMode::Blowfish);
    EXPECT_EQ(set.BFPassword, "secret");
    EXPECT_EQ(set.Quality, "5");
    EXPECT_TRUE(set.Schedule.Scheduler);
    EXPECT_EQ(set.Schedule.StartDate, "10/12/2026");
    EXPECT_EQ(set.Schedule.StartTime, "13:00:00");
    EXPECT_TRUE(set.Schedule.Repeat);
    EXPECT_EQ(set.Schedule.SAccurancy, 1);
    EXPECT_EQ(set.Schedule.Period, "mon,fri");
    EXPECT_FALSE(set.Incremental);

    // The next wizard offers the following name.
    EXPECT_EQ(open()->txtItemName->text(), "New Item 2");
}

TEST_F(frmWizardTest, FinishOnANameTakenMeanwhileKeepsTheSummary)
{
    editors::frmWizard* wizard = open();
    walkToSummary(wizard);
    const QByteArray other = "written by another window";
    ASSERT_TRUE(test::writeFile(core::setDocumentPath("New Item"), other));
    const size_t shown = prompt.shown.size();

    wizard->cmdNext->click();
    ASSERT_EQ(prompt.shown.size(), shown + 1);
    EXPECT_TRUE(prompt.shown.back().text.contains("New Item")) << prompt.shown.back().text.toStdString();
    EXPECT_EQ(Form<editors::frmWizard>::loaded(), wizard);
    EXPECT_EQ(wizard->lblStep->text(), "7");
    EXPECT_FALSE(mainWindow.newItem);
    EXPECT_EQ(test::readFile(core::setDocumentPath("New Item")), other);

    // Back to the first step for another name, and Finish again.
    for (int i = 0; i < 6; ++i)
        wizard->cmdBack->click();
    ASSERT_EQ(wizard->lblStep->text(), "1");
    wizard->txtItemName->setText("Docs");
    for (int i = 0; i < 7; ++i)
        wizard->cmdNext->click();
    EXPECT_TRUE(mainWindow.newItem);
    EXPECT_EQ(storedSet("Docs").ItemName, "Docs");
}

TEST_F(frmWizardTest, StartsFromAFreshSetAndCancelWritesNothing)
{
    // Left by an earlier opening: an incremental choice and a run's folder.
    core::state().NewBackupSet.Incremental = true;
    core::state().NewBackupSet.LastFolder = "/old/run";
    core::state().NewBackupSet.BFPassword = "cancelled";
    editors::frmWizard* wizard = open();
    wizard->cmdCancel->click();
    EXPECT_EQ(Form<editors::frmWizard>::loaded(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(core::setDocumentPath("New Item")));
    EXPECT_FALSE(mainWindow.newItem);

    wizard = open();
    walkToSummary(wizard);
    wizard->cmdNext->click();
    const core::BackupSetInfo set = storedSet("New Item");
    EXPECT_FALSE(set.Incremental);
    EXPECT_EQ(set.LastFolder, "");
}

TEST_F(frmWizardTest, KeepsATypedArchiveNameAndChecksEachStep)
{
    editors::frmWizard* wizard = open();
    wizard->txtItemName->setText("");
    wizard->cmdNext->click();
    EXPECT_EQ(wizard->lblStep->text(), "1");
    wizard->txtItemName->setText("My Set");
    wizard->cmdNext->click();
    // No source yet.
    wizard->cmdNext->click();
    EXPECT_EQ(wizard->lblStep->text(), "2");
    wizard->sourcePage->StickIconOntoListView(tree + "/single.txt");
    wizard->cmdNext->click();
    wizard->destinationPage->addDestination(core::folderRow(target));
    wizard->cmdNext->click();
    ASSERT_EQ(wizard->lblStep->text(), "4");
    wizard->cmdNext->click();
    EXPECT_EQ(wizard->compressionPage->txtZIPName->text(), "My_Set.zip");
    wizard->compressionPage->txtZIPName->setText("typed.zip");
    wizard->cmdBack->click();
    wizard->cmdNext->click();
    EXPECT_EQ(wizard->compressionPage->txtZIPName->text(), "typed.zip");
}

TEST_F(frmWizardTest, EnterOnTheSourcesStepGoesToTheNextStep)
{
    editors::frmWizard* wizard = open();
    wizard->cmdNext->click();
    ASSERT_EQ(wizard->lblStep->text(), "2");
    // The step gives the focus to Add; Enter is still the wizard's Next.
    ASSERT_EQ(wizard->focusWidget(), wizard->sourcePage->cmdAdd);
    ASSERT_TRUE(wizard->sourcePage->StickIconOntoListView(tree + "/single.txt"));
    wizard->sourcePage->cmdAdd->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(wizard->sourcePage->cmdAdd, &enter);
    EXPECT_EQ(wizard->lblStep->text(), "3");
    EXPECT_FALSE(wizard->sourcePage->mnuSelectSource->isVisible());
    EXPECT_TRUE(wizard->cmdNext->isDefault());
}
