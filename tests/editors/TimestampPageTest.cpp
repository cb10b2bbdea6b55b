#include "editors/TimestampPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "OptionPagesHost.h"
#include "core/ProgramState.h"
#include "editors/frmTimeStampSettings.h"

using editors::frmTimeStampSettings;
using platform::Form;

namespace
{
class TimestampPageTest : public test::OptionPagesTest
{ };
} // namespace

TEST_F(TimestampPageTest, TheSettingsButtonFollowsTheSwitchAndOpensTheDialogOnItsEditor)
{
    auto* host = test::OptionPagesHost::open(editors::EditorKind::Properties);
    editors::TimestampPage* page = host->timestamps;
    EXPECT_FALSE(page->cmdTimestampsSettings->isEnabled());
    page->chkTimestamps->click();
    EXPECT_TRUE(page->cmdTimestampsSettings->isEnabled());

    bool shownModal = false;
    QTimer::singleShot(0, [&] {
        frmTimeStampSettings* dialog = Form<frmTimeStampSettings>::loaded();
        ASSERT_NE(dialog, nullptr);
        shownModal = dialog->isModal() && dialog->isVisible();
        EXPECT_EQ(dialog->frmParent, host);
        dialog->cmbAccurancy->setCurrentIndex(1);
        emit dialog->cmbAccurancy->activated(1);
        dialog->cmdOK->click();
    });
    page->cmdTimestampsSettings->click();
    EXPECT_TRUE(shownModal);
    EXPECT_EQ(page->lblTSAccurancy->text(), "1");
    EXPECT_EQ(page->lblTSFormat->text(), "mmmm dd, yyyy");

    // Switching time stamps off keeps what the dialog wrote.
    page->chkTimestamps->click();
    EXPECT_FALSE(page->cmdTimestampsSettings->isEnabled());
    core::BackupSetInfo set;
    page->readInto(set);
    EXPECT_FALSE(set.UseTimeStamp);
    EXPECT_EQ(set.Accurancy, 1);
    EXPECT_EQ(set.TimeStampFormat, "mmmm dd, yyyy");
    EXPECT_EQ(set.FormatIndex, 3);
}

TEST_F(TimestampPageTest, ValuesTravelThroughTheLabelsAndANonNumberKeepsItsField)
{
    editors::TimestampPage page;
    core::BackupSetInfo stored;
    stored.UseTimeStamp = true;
    stored.Accurancy = 2;
    stored.TimeStampFormat = "-yyyy_mm_dd-#-hh-";
    stored.FormatIndex = 0;
    stored.DeleteBackups = 1;
    stored.KeepVersions = 5;
    stored.KeepQuantity = 12;
    stored.KeepPeriodAccurancy = 1;
    page.showValues(stored);
    EXPECT_TRUE(page.cmdTimestampsSettings->isEnabled());

    core::BackupSetInfo read;
    page.readInto(read);
    EXPECT_TRUE(read.UseTimeStamp);
    EXPECT_EQ(read.Accurancy, 2);
    EXPECT_EQ(read.TimeStampFormat, "-yyyy_mm_dd-#-hh-");
    EXPECT_EQ(read.FormatIndex, 0);
    EXPECT_EQ(read.DeleteBackups, 1);
    EXPECT_EQ(read.KeepVersions, 5);
    EXPECT_EQ(read.KeepQuantity, 12);
    EXPECT_EQ(read.KeepPeriodAccurancy, 1);

    page.lblTSDeleteParam0->setText("seven");
    page.lblTSDelete->setText("70000");
    read.KeepVersions = 9;
    read.DeleteBackups = 0;
    page.readInto(read);
    EXPECT_EQ(read.KeepVersions, 9);
    EXPECT_EQ(read.DeleteBackups, 0);
}
