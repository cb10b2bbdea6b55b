#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "OptionPagesHost.h"
#include "core/ProgramState.h"
#include "editors/frmTimeStampSettings.h"
#include "support/Screenshot.h"

namespace
{
class OptionPagesScreenshotTest : public test::OptionPagesTest
{ };
} // namespace

TEST_F(OptionPagesScreenshotTest, OptionAndSchedulePagesAndTheDialogLookLikeRealWindows)
{
    core::state().StartupDateText = "10/12/2026";
    core::state().StartupTimeText = "12:00:00";
    auto* host = test::OptionPagesHost::open(editors::EditorKind::Properties);
    host->resize(560, 460);

    host->timestamps->chkTimestamps->click();
    host->tabs->setCurrentWidget(host->timestamps);
    EXPECT_FALSE(test::saveScreenshot(host, "options-timestamps").isEmpty());

    editors::CompressionPage* compression = host->compression;
    compression->optCompressionType[1]->click();
    compression->txtZIPName->setText("Documents.zip");
    compression->cmbProtection->setCurrentIndex(1);
    compression->txtBFPassword->setText("s3cret");
    compression->txtBFConfirmation->setText("s3cre");
    host->tabs->setCurrentWidget(compression);
    EXPECT_FALSE(test::saveScreenshot(host, "options-compression").isEmpty());

    editors::SchedulePage* schedule = host->schedule;
    schedule->showStartDefaults(clock.now());
    schedule->chkScheduler->click();
    schedule->chkRepeat->click();
    schedule->optRepeat[1]->click();
    schedule->tvScheduleWeek->topLevelItem(0)->setCheckState(0, Qt::Checked);
    schedule->tvScheduleWeek->topLevelItem(4)->setCheckState(0, Qt::Checked);
    host->tabs->setCurrentWidget(schedule);
    EXPECT_FALSE(test::saveScreenshot(host, "options-schedule").isEmpty());

    auto* dialog = platform::Form<editors::frmTimeStampSettings>::load();
    dialog->setFrmParent(host);
    dialog->optRemoveVersions[1]->click();
    dialog->show();
    EXPECT_FALSE(test::saveScreenshot(dialog, "timestamp-settings").isEmpty());
}
