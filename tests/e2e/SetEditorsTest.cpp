#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "core/ProgramState.h"
#include "core/SetDocument.h"
#include "core/SetText.h"
#include "editors/CompressionPage.h"
#include "editors/DestinationListPage.h"
#include "editors/SchedulePage.h"
#include "editors/SourceListPage.h"
#include "editors/TimestampPage.h"
#include "editors/frmSettings.h"
#include "editors/frmWizard.h"
#include "main_window/BackupSetList.h"
#include "restore/frmVersions.h"
#include "support/ZipFixtures.h"

using platform::Form;

namespace
{
class SetEditorsTest : public test::RunFixture
{
protected:
    // Makes the set through File › New, step by step, as a new user would.
    void makeSetInWizard()
    {
        bool finished = false;
        QTimer::singleShot(0, [&] {
            editors::frmWizard* wizard = Form<editors::frmWizard>::loaded();
            ASSERT_NE(wizard, nullptr);
            EXPECT_EQ(wizard->txtItemName->text(), "New Item");
            wizard->cmdNext->click();
            EXPECT_TRUE(wizard->sourcePage->StickIconOntoListView(source + "/Docs"));
            EXPECT_TRUE(wizard->sourcePage->StickIconOntoListView(source + "/single.log"));
            EXPECT_FALSE(wizard->sourcePage->StickIconOntoListView(source + "/Docs/sub"));
            wizard->sourcePage->txtExcludeMasks->setText("*.tmp");
            wizard->cmdNext->click();
            wizard->destinationPage->addDestination(core::folderRow(backup(1)));
            wizard->cmdNext->click();
            editors::TimestampPage* stamps = wizard->timestampPage;
            stamps->chkTimestamps->click();
            stamps->lblTSAccurancy->setText("1");
            stamps->lblTSFormat->setText("yyyy mmmm dd");
            stamps->lblTSFormatIndex->setText("1");
            stamps->lblTSDelete->setText("1");
            stamps->lblTSDeleteParam0->setText("2");
            wizard->cmdNext->click();
            editors::CompressionPage* packing = wizard->compressionPage;
            EXPECT_EQ(packing->txtZIPName->text(), "New_Item.zip");
            packing->optCompressionType[1]->click();
            packing->cmbProtection->setCurrentIndex(1);
            packing->cmbProtection_Click();
            packing->txtBFPassword->setText(Password);
            packing->txtBFConfirmation->setText(Password);
            wizard->cmdNext->click();
            editors::SchedulePage* schedule = wizard->schedulePage;
            schedule->chkScheduler->click();
            schedule->chkRepeat->click();
            schedule->optRepeat[1]->click();
            schedule->tvScheduleWeek->topLevelItem(4)->setCheckState(0, Qt::Checked);
            wizard->cmdNext->click();
            EXPECT_EQ(wizard->lblStep->text(), "7");
            wizard->cmdNext->click();
            finished = Form<editors::frmWizard>::loaded() == nullptr;
        });
        main->mnuFileNewItem_Click();
        ASSERT_TRUE(finished);
    }

    QString newItemCell(int column) const
    {
        const QList<QTreeWidgetItem*> rows = main->lstBackupSet->findItems("New Item", Qt::MatchExactly);
        return rows.isEmpty() ? QString() : rows.first()->text(column);
    }

    // The archives delivered below a destination folder, by relative path.
    QStringList archivesBelow(const QString& root) const { return test::filesBelow(root); }
};
} // namespace

TEST_F(SetEditorsTest, ASetMadeInTheWizardRunsAndItsPropertiesChangeIt)
{
    makeSetInWizard();
    ASSERT_EQ(core::state().CurrentSet.ItemName, "New Item");
    EXPECT_FALSE(newItemCell(main_window::NextRunTimeColumn).isEmpty());

    runAndClose();
    const QStringList first = archivesBelow(backup(1));
    ASSERT_EQ(first.size(), 1) << first.join(", ").toStdString();
    EXPECT_TRUE(first.front().startsWith("2026 December 10")) << first.front().toStdString();
    EXPECT_TRUE(first.front().endsWith("/New_Item.zip.bf")) << first.front().toStdString();
    const QString plain = plainFile(backup(1) + "/" + first.front(), true);
    EXPECT_TRUE(test::unzipTestsOk(plain));
    for (const QString& file : std::as_const(listed))
        EXPECT_EQ(test::unzipEntry(plain, entryOf(file)), contents.value(file)) << file.toStdString();

    // The properties window: a second folder, every destination each time, one archive per file, monthly.
    main->mnuProjectSettings_Click();
    editors::frmSettings* settings = Form<editors::frmSettings>::loaded();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->sourcePage->tvBackupList->topLevelItemCount(), 2);
    EXPECT_TRUE(settings->compressionPage->optCompressionType[1]->isChecked());
    EXPECT_TRUE(settings->schedulePage->optRepeat[1]->isChecked());
    settings->TSMenu->setCurrentIndex(1);
    settings->destinationPage->addDestination(core::folderRow(backup(2)));
    settings->destinationPage->optRotation[1]->click();
    settings->TSMenu->setCurrentIndex(3);
    settings->compressionPage->optCompressionType[2]->click();
    settings->TSMenu->setCurrentIndex(4);
    settings->schedulePage->optRepeat[2]->click();
    settings->schedulePage->tvScheduleMonth->topLevelItem(0)->setCheckState(0, Qt::Checked);
    settings->cmdOK->click();
    ASSERT_EQ(Form<editors::frmSettings>::loaded(), nullptr);
    EXPECT_TRUE(main->Modified);
    ASSERT_EQ(core::state().CurrentSet.ItemName, "New Item");
    EXPECT_EQ(core::state().CurrentSet.DestCount, 2);
    EXPECT_EQ(core::state().CurrentSet.RotationType, core::RotationMode::EveryDestination);
    EXPECT_EQ(core::state().CurrentSet.Compression, core::CompressionMode::ArchivePerFile);
    EXPECT_EQ(core::state().CurrentSet.Schedule.Period, "1");

    clock.advanceSeconds(24 * 3600);
    runAndClose();
    for (int n = 1; n <= 2; ++n) {
        const QStringList delivered = archivesBelow(backup(n));
        EXPECT_TRUE(delivered.filter("2026 December 11").size() == listed.size())
            << n << ": " << delivered.join(", ").toStdString();
    }

    main->cmdRestore->click();
    restore::frmVersions* chooser = Form<restore::frmVersions>::loaded();
    ASSERT_NE(chooser, nullptr);
    const QStringList versions
        = core::sectionLines(QString::fromUtf8(test::readFile(core::setDocumentPath("New Item"))), "VERSIONS");
    EXPECT_EQ(chooser->lvArchives->topLevelItemCount(), versions.size());
    EXPECT_GE(chooser->lvArchives->topLevelItemCount(), 2);
}
