#include "editors/frmTimeStampSettings.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include "OptionPagesHost.h"
#include "core/ProgramState.h"
#include "core/TimestampFormat.h"
#include "platform/Form.h"

using editors::frmTimeStampSettings;
using platform::Form;

namespace
{
const char* const LabelNames[] = {"lblTSAccurancy",    "lblTSFormat",       "lblTSFormatIndex", "lblTSDelete",
                                  "lblTSDeleteParam0", "lblTSDeleteParam1", "lblTSDeleteParam2"};

class frmTimeStampSettingsTest : public test::OptionPagesTest
{
protected:
    void SetUp() override
    {
        OptionPagesTest::SetUp();
        host = test::OptionPagesHost::open(editors::EditorKind::Wizard);
    }

    frmTimeStampSettings* openOn(QWidget* caller)
    {
        frmTimeStampSettings* dialog = Form<frmTimeStampSettings>::load();
        dialog->setFrmParent(caller);
        dialog->show();
        return dialog;
    }
    QStringList labels() const
    {
        QStringList texts;
        for (const char* name : LabelNames)
            texts << host->findChild<QLabel*>(name)->text();
        return texts;
    }
    void setLabels(const QStringList& texts)
    {
        for (int i = 0; i < texts.size(); ++i)
            host->findChild<QLabel*>(LabelNames[i])->setText(texts[i]);
    }
    static void chooseAccuracy(frmTimeStampSettings* dialog, int index)
    {
        dialog->cmbAccurancy->setCurrentIndex(index);
        emit dialog->cmbAccurancy->activated(index);
    }

    test::OptionPagesHost* host = nullptr;
};
} // namespace

TEST_F(frmTimeStampSettingsTest, FreshLabelsShowMinuteTheFourthPatternAndKeepAll)
{
    const QStringList fresh = labels();
    EXPECT_EQ(fresh, QStringList({"3", "mmmm dd, yyyy# (hh.mm)", "3", "0", "7", "30", "0"}));
    frmTimeStampSettings* dialog = openOn(host);
    EXPECT_EQ(dialog->windowTitle(), "Timestamp Format Settings");
    EXPECT_EQ(dialog->cmbAccurancy->currentText(), "minute");
    EXPECT_EQ(dialog->cmbTimestampFormat->count(), 4);
    EXPECT_EQ(dialog->cmbTimestampFormat->currentIndex(), 3);
    EXPECT_TRUE(dialog->optRemoveVersions[0]->isChecked());
    EXPECT_FALSE(dialog->txtVersions->isEnabled());
    EXPECT_EQ(dialog->txtVersions->value(), 7);
    EXPECT_FALSE(dialog->optRemoveVersions[2]->isVisibleTo(dialog));

    dialog->cmdOK->click();
    EXPECT_EQ(Form<frmTimeStampSettings>::loaded(), nullptr);
    EXPECT_EQ(labels(), fresh);
}

TEST_F(frmTimeStampSettingsTest, HourLeavesOnePatternAndOkStoresIt)
{
    frmTimeStampSettings* dialog = openOn(host);
    chooseAccuracy(dialog, 2);
    EXPECT_EQ(dialog->cmbTimestampFormat->count(), 1);
    EXPECT_EQ(dialog->cmbTimestampFormat->currentIndex(), 0);
    dialog->cmdOK->click();
    const QStringList stored = labels();
    EXPECT_EQ(stored.mid(0, 3), QStringList({"2", "-yyyy_mm_dd-#-hh-", "0"}));
}

TEST_F(frmTimeStampSettingsTest, KeepOnlyLastEnablesTheCountAndStoresIt)
{
    frmTimeStampSettings* dialog = openOn(host);
    dialog->optRemoveVersions[1]->click();
    EXPECT_TRUE(dialog->txtVersions->isEnabled());
    EXPECT_FALSE(dialog->txtPeriod->isEnabled());
    dialog->txtVersions->setValue(12);
    dialog->cmdOK->click();
    EXPECT_EQ(labels().mid(3, 2), QStringList({"1", "12"}));

    // The counts take only what a run can use: 0 under "Keep only last" would prune every version.
    dialog = openOn(host);
    dialog->txtVersions->setValue(0);
    EXPECT_EQ(dialog->txtVersions->value(), 1);
    dialog->txtVersions->setValue(70000);
    EXPECT_EQ(dialog->txtVersions->value(), 65535);
    dialog->txtPeriod->setValue(1000);
    EXPECT_EQ(dialog->txtPeriod->value(), 365);
}

TEST_F(frmTimeStampSettingsTest, CancelAndTheCloseBoxLeaveEveryLabel)
{
    const QStringList before = labels();
    for (const bool closeBox : {false, true}) {
        frmTimeStampSettings* dialog = openOn(host);
        chooseAccuracy(dialog, 0);
        dialog->optRemoveVersions[1]->click();
        dialog->txtVersions->setValue(3);
        if (closeBox)
            dialog->close();
        else
            dialog->cmdCancel->click();
        EXPECT_EQ(Form<frmTimeStampSettings>::loaded(), nullptr) << closeBox;
        EXPECT_EQ(labels(), before) << closeBox;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(frmTimeStampSettingsTest, ThePeriodRuleKeepsItsValuesThoughNobodySeesIt)
{
    setLabels({"1", "dd mmmm yyyy", "2", "2", "9", "48", "1"});
    frmTimeStampSettings* dialog = openOn(host);
    EXPECT_EQ(dialog->cmbAccurancy->currentText(), "day");
    EXPECT_EQ(dialog->cmbTimestampFormat->currentIndex(), 2);
    EXPECT_TRUE(dialog->optRemoveVersions[2]->isChecked());
    EXPECT_TRUE(dialog->txtPeriod->isEnabled());
    EXPECT_TRUE(dialog->cmbPeriod->isEnabled());
    EXPECT_FALSE(dialog->txtVersions->isEnabled());
    dialog->cmdOK->click();
    EXPECT_EQ(labels(), QStringList({"1", "dd mmmm yyyy", "2", "2", "9", "48", "1"}));
}

TEST_F(frmTimeStampSettingsTest, ALabelThatNamesNoChoiceLeavesOnlyItsControlAtDesign)
{
    // Each case damages one label; every other label is still read.
    const QStringList good = {"1", "yyyy mmmm dd", "1", "1", "9", "48", "1"};
    struct Case
    {
        int label;
        QString text;
    };
    const Case cases[] = {
        {0, "x"}, {0, "9"}, {2, "-1"}, {2, "4"}, {3, "3"}, {4, "abc"}, {4, "0"}, {5, "400"}, {6, "2"},
    };
    for (const Case& c : cases) {
        QStringList texts = good;
        texts[c.label] = c.text;
        setLabels(texts);
        frmTimeStampSettings* dialog = openOn(host);
        const auto what = QString("%1 = %2").arg(LabelNames[c.label], c.text);
        // With the accuracy at design, the day's format index 1 still names a minute pattern.
        EXPECT_EQ(dialog->cmbAccurancy->currentIndex(), c.label == 0 ? 3 : 1) << qPrintable(what);
        EXPECT_EQ(dialog->cmbTimestampFormat->currentIndex(),
                  c.label == 2 ? dialog->cmbTimestampFormat->count() - 1 : 1)
            << qPrintable(what);
        EXPECT_EQ(dialog->optRemoveVersions[c.label == 3 ? 0 : 1]->isChecked(), true) << qPrintable(what);
        EXPECT_EQ(dialog->txtVersions->value(), c.label == 4 ? 7 : 9) << qPrintable(what);
        EXPECT_EQ(dialog->txtPeriod->value(), c.label == 5 ? 30 : 48) << qPrintable(what);
        EXPECT_EQ(dialog->cmbPeriod->currentIndex(), c.label == 6 ? 0 : 1) << qPrintable(what);
        dialog->cmdCancel->click();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(frmTimeStampSettingsTest, LoadedWithoutACallerItShowsItsDesignValues)
{
    frmTimeStampSettings* dialog = Form<frmTimeStampSettings>::load();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->frmParent, nullptr);
    EXPECT_EQ(dialog->cmbAccurancy->currentText(), "minute");
    EXPECT_EQ(dialog->cmbTimestampFormat->currentIndex(), 3);
    EXPECT_TRUE(dialog->optRemoveVersions[0]->isChecked());
    EXPECT_EQ(dialog->txtVersions->value(), 7);
    EXPECT_EQ(dialog->txtPeriod->value(), 30);
    const QStringList before = labels();
    dialog->cmdOK->click();
    EXPECT_EQ(Form<frmTimeStampSettings>::loaded(), nullptr);
    EXPECT_EQ(labels(), before);
}

TEST_F(frmTimeStampSettingsTest, EverySampleIsTheRunsFolderNameWithoutTheSetName)
{
    core::state().StartupDateText = "05/03/2024";
    core::state().StartupTimeText = "08:05:30";
    const QDateTime moment(QDate(2024, 3, 5), QTime(8, 5, 30));
    frmTimeStampSettings* dialog = openOn(host);
    EXPECT_EQ(dialog->cmbTimestampFormat->itemText(3), "March 05, 2024 (08.05)");
    int checked = 0;
    for (int accuracy = 0; accuracy < 4; ++accuracy) {
        chooseAccuracy(dialog, accuracy);
        for (int i = 0; i < dialog->cmbTimestampFormat->count(); ++i) {
            core::BackupSetInfo set;
            set.ItemName = "Docs";
            set.Accurancy = accuracy;
            set.TimeStampFormat = dialog->patterns()[size_t(i)];
            const std::optional<QString> folder = core::timestampFolderName(set, moment);
            ASSERT_TRUE(folder.has_value());
            EXPECT_EQ(dialog->cmbTimestampFormat->itemText(i) + " Docs", *folder) << accuracy << " " << i;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 12);
    // Hour and minute samples take the time; the others do not.
    chooseAccuracy(dialog, 2);
    EXPECT_EQ(dialog->cmbTimestampFormat->itemText(0), "-2024_03_05--08-");
}
