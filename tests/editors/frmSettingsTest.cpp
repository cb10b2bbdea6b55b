#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "EditorsTest.h"
#include "core/NextRunTime.h"
#include "core/ProgramState.h"
#include "core/ProjectTextCoding.h"
#include "core/ScramblePassword.h"
#include "core/SetDocument.h"
#include "core/SetDocumentParser.h"
#include "core/SetText.h"
#include "editors/BackupTypeFrame.h"
#include "editors/CompressionPage.h"
#include "editors/DestinationListPage.h"
#include "editors/SchedulePage.h"
#include "editors/SourceListPage.h"
#include "editors/TimestampPage.h"
#include "editors/frmSettings.h"
#include "support/FakeMainWindow.h"
#include "support/Fakes.h"
#include "support/Screenshot.h"
#include "support/SetDocumentFixtures.h"

using platform::Form;

namespace
{
const QString Recorded = "/home/u/data\t46000.5\t1024";
const QString Version = "1|11/12/2026 02:00:00|/mnt/b|docs.zip";

test::SetDocumentFixture scheduledSet()
{
    test::SetDocumentFixture doc;
    doc.set("GENERAL", "Exclude", "*.bak;*.old")
        .set("GENERAL", "DestCount", "2")
        .set("GENERAL", "RotationType", "2")
        .set("GENERAL", "UseTimeStamp", "-1")
        .set("GENERAL", "ProtectData", "1")
        .set("GENERAL", "BFPassword", "secret")
        .set("GENERAL", "Scheduler", "-1")
        .set("SCHEDULER", "StartTime", "08:05:00")
        .set("SCHEDULER", "Repeat", "-1")
        .set("SCHEDULER", "SAccurancy", "1")
        .set("SCHEDULER", "Period", "fri,mon,xyz")
        .files({Recorded, "/home/u/notes.txt"})
        .versions({Version})
        .dest(1, {"Type=1", "LocalFolder=/mnt/b"})
        .dest(2,
              {"Type=2", "FTPHost=server1", "FTPPort=21", "FTPUser=anna", "FTPPass=" + core::ScramblePassword("pw"),
               "FTPFolder=/up", "FTPPassive=False"});
    return doc;
}

core::ParsedSet parsed(const QString& text)
{
    const core::ParseResult result = core::parseSetDocument(text);
    EXPECT_TRUE(result.parsed.has_value()) << result.reason.toStdString();
    return result.parsed.value_or(core::ParsedSet {});
}

class frmSettingsTest : public test::EditorsTest
{
protected:
    // Stores the document as set "Docs" and loads it the way the main window does.
    void load(const QString& text) { load(text.toUtf8()); }
    // Stores the document's bytes as they are, in whatever coding.
    void load(const QByteArray& bytes)
    {
        const QString text = core::DecodeProjectText(bytes);
        stored = text;
        ASSERT_TRUE(test::writeFile(core::setDocumentPath("Docs"), bytes));
        const core::ParsedSet set = parsed(text);
        core::state().CurrentSet = set.set;
        core::state().strSetText = text;
        mainWindow.files = set.files;
        mainWindow.versions = set.versions;
    }

    editors::frmSettings* open()
    {
        editors::frmSettings* window = Form<editors::frmSettings>::load();
        window->show();
        return window;
    }

    QString document() const { return core::DecodeProjectText(test::readFile(core::setDocumentPath("Docs"))); }

    QString stored;
    test::FakeMainWindow mainWindow;
};

QStringList treeTexts(const QTreeWidget* tree, bool checkedOnly)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (!checkedOnly || tree->topLevelItem(i)->checkState(0) == Qt::Checked)
            texts << tree->topLevelItem(i)->text(0);
    }
    return texts;
}
} // namespace

TEST_F(frmSettingsTest, ShowsTheSetAndOkOnAnUnchangedWindowChangesNoField)
{
    load(scheduledSet().text());
    editors::frmSettings* window = open();
    EXPECT_EQ(prompt.shown.size(), 0u);
    EXPECT_EQ(treeTexts(window->sourcePage->tvBackupList, true), QStringList({"/home/u/data", "/home/u/notes.txt"}));
    EXPECT_EQ(window->sourcePage->txtExcludeMasks->text(), "*.bak;*.old");
    EXPECT_EQ(window->destinationPage->lvDestinations->topLevelItemCount(), 2);
    EXPECT_TRUE(window->destinationPage->optRotation[1]->isChecked());
    EXPECT_TRUE(window->timestampPage->chkTimestamps->isChecked());
    EXPECT_TRUE(window->compressionPage->optCompressionType[1]->isChecked());
    EXPECT_EQ(window->compressionPage->cmbProtection->currentIndex(), 1);
    EXPECT_EQ(window->compressionPage->txtBFConfirmation->text(), "secret");
    editors::SchedulePage* schedule = window->schedulePage;
    EXPECT_TRUE(schedule->chkScheduler->isChecked());
    EXPECT_EQ(schedule->dtTime->time(), QTime(8, 5, 0));
    EXPECT_TRUE(schedule->optRepeat[1]->isChecked());
    EXPECT_EQ(treeTexts(schedule->tvScheduleWeek, true), QStringList({"Monday", "Friday"}));
    const char* tabs[] = {"files", "locations", "timestamps", "zip", "scheduling"};
    for (int tab = 0; tab < 5; ++tab) {
        window->TSMenu->setCurrentIndex(tab);
        ASSERT_EQ(window->lblStep->text(), QString::number(tab + 2));
        EXPECT_FALSE(test::saveScreenshot(window, QString("editors_frmSettings_") + tabs[tab]).isEmpty());
    }

    window->cmdOK->click();
    EXPECT_EQ(Form<editors::frmSettings>::loaded(), nullptr);
    EXPECT_TRUE(mainWindow.modified);
    EXPECT_EQ(mainWindow.reloads, 1);
    EXPECT_EQ(mainWindow.selectedAfterReload, "Docs");
    const core::ParsedSet before = parsed(stored);
    const core::ParsedSet after = parsed(document());
    EXPECT_EQ(after.files, before.files);
    EXPECT_EQ(after.versions, before.versions);
    const core::BackupSetInfo& a = after.set;
    const core::BackupSetInfo& b = before.set;
    EXPECT_EQ(std::tie(a.ItemName, a.Exclude, a.Include, a.ExcludeFolders, a.DestCount, a.RotationType, a.UseTimeStamp,
                       a.Accurancy, a.TimeStampFormat, a.FormatIndex, a.DeleteBackups, a.KeepVersions, a.Compression,
                       a.ProtectData, a.BFPassword, a.ZIPName, a.Quality, a.Incremental),
              std::tie(b.ItemName, b.Exclude, b.Include, b.ExcludeFolders, b.DestCount, b.RotationType, b.UseTimeStamp,
                       b.Accurancy, b.TimeStampFormat, b.FormatIndex, b.DeleteBackups, b.KeepVersions, b.Compression,
                       b.ProtectData, b.BFPassword, b.ZIPName, b.Quality, b.Incremental));
    EXPECT_EQ(std::tie(a.Schedule.Scheduler, a.Schedule.StartDate, a.Schedule.StartTime, a.Schedule.Repeat,
                       a.Schedule.SAccurancy),
              std::tie(b.Schedule.Scheduler, b.Schedule.StartDate, b.Schedule.StartTime, b.Schedule.Repeat,
                       b.Schedule.SAccurancy));
    // What the pages cannot show stays as stored: the day the period names no day of, the order.
    EXPECT_EQ(a.Schedule.Period, "fri,mon,xyz");
    for (int slot = 1; slot <= 2; ++slot) {
        EXPECT_EQ(a.Dest[slot].Type, b.Dest[slot].Type);
        EXPECT_EQ(a.Dest[slot].LocalFolder, b.Dest[slot].LocalFolder);
        EXPECT_EQ(a.Dest[slot].FTPPass, b.Dest[slot].FTPPass);
        EXPECT_EQ(a.Dest[slot].FTPPassive, b.Dest[slot].FTPPassive);
    }
    EXPECT_EQ(QString::fromUtf8(test::readFile(core::setDocumentPath("Docs") + ".bak")), stored);
    EXPECT_EQ(document(), stored);
}

TEST_F(frmSettingsTest, EditsReachTheDocumentAndVersionsRecordedMeanwhileStay)
{
    load(scheduledSet().text());
    editors::frmSettings* window = open();
    const QString added = home.path() + "/more";
    ASSERT_TRUE(QDir().mkpath(added));
    EXPECT_TRUE(window->sourcePage->StickIconOntoListView(added));
    window->destinationPage->optRotation[1]->setChecked(true);
    window->compressionPage->optCompressionType[2]->click();
    window->schedulePage->optRepeat[2]->click();
    window->schedulePage->tvScheduleMonth->topLevelItem(14)->setCheckState(0, Qt::Checked);
    window->schedulePage->tvScheduleMonth->topLevelItem(0)->setCheckState(0, Qt::Checked);

    // A run recorded a version while the window was open.
    const QString newer = "1|12/12/2026 02:00:00|/mnt/b/2026-12-12|docs.zip";
    core::state().strSetText = core::AddVersion(stored, newer, mainWindow.versions);
    mainWindow.versions.prepend(newer);

    window->TSMenu->setCurrentIndex(4);
    window->cmdOK->click();
    ASSERT_EQ(Form<editors::frmSettings>::loaded(), nullptr);
    const core::ParsedSet after = parsed(document());
    EXPECT_EQ(after.files, QStringList({Recorded, "/home/u/notes.txt", added}));
    EXPECT_EQ(after.versions, QStringList({newer, Version}));
    EXPECT_EQ(after.set.Compression, core::CompressionMode::ArchivePerFile);
    EXPECT_EQ(after.set.Schedule.SAccurancy, 2);
    EXPECT_EQ(after.set.Schedule.Period, "1,15");
}

TEST_F(frmSettingsTest, ApplyRefusesADeletedSetAnotherSetARunningSetAndAFailedSave)
{
    struct Case
    {
        const char* name;
        std::function<void(test::FakeMainWindow&)> arrange;
        const char* reason;
        bool deleted = false;
    };
    const Case cases[] = {
        // Still the loaded set, as when it was the only set.
        {"set deleted", [](test::FakeMainWindow&) { QFile::remove(core::setDocumentPath("Docs")); }, "deleted", true},
        {"another set loaded", [](test::FakeMainWindow&) { core::state().CurrentSet.ItemName = "Other"; }, "Other"},
        {"run under way", [](test::FakeMainWindow& mainWindow) { mainWindow.running = "Docs"; }, "being backed up"},
        {"save fails",
         [](test::FakeMainWindow&) {
             // A folder where the copy of the previous document goes.
             QDir().mkpath(core::setDocumentPath("Docs") + ".bak");
         },
         ".bak"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(scheduledSet().text());
        mainWindow.running.clear();
        mainWindow.reloads = 0;
        editors::frmSettings* window = open();
        window->compressionPage->txtZIPName->setText("edited.zip");
        c.arrange(mainWindow);
        const size_t shown = prompt.shown.size();

        window->cmdOK->click();
        ASSERT_EQ(prompt.shown.size(), shown + 1);
        EXPECT_TRUE(prompt.shown.back().text.contains(c.reason)) << prompt.shown.back().text.toStdString();
        EXPECT_EQ(Form<editors::frmSettings>::loaded(), window);
        EXPECT_EQ(window->compressionPage->txtZIPName->text(), "edited.zip");
        if (c.deleted)
            EXPECT_FALSE(QFileInfo::exists(core::setDocumentPath("Docs")));
        else
            EXPECT_EQ(document(), stored);
        EXPECT_EQ(mainWindow.reloads, 0);
        Form<editors::frmSettings>::unload();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QDir(core::setDocumentPath("Docs") + ".bak").removeRecursively();
    }
}

TEST_F(frmSettingsTest, OkWritesValuesTheDocumentHasNoLineFor)
{
    // A set whose document never had a password or an exclude line.
    load(scheduledSet()
             .set("GENERAL", "ProtectData", "0")
             .remove("GENERAL", "BFPassword")
             .remove("GENERAL", "Exclude")
             .set("GENERAL", "exclude", "*.old")
             .text());
    editors::frmSettings* window = open();
    window->sourcePage->txtExcludeMasks->setText("*.tmp");
    window->TSMenu->setCurrentIndex(3);
    editors::CompressionPage* zip = window->compressionPage;
    zip->cmbProtection->setCurrentIndex(1);
    zip->cmbProtection_Click();
    zip->txtBFPassword->setText("geheim");
    zip->txtBFConfirmation->setText("geheim");
    window->cmdOK->click();
    ASSERT_EQ(Form<editors::frmSettings>::loaded(), nullptr);

    const core::BackupSetInfo set = parsed(document()).set;
    EXPECT_EQ(set.ProtectData, core::ProtectionMode::Blowfish);
    EXPECT_EQ(set.BFPassword, "geheim");
    EXPECT_EQ(set.Exclude, "*.tmp");
}

TEST_F(frmSettingsTest, ADocumentInTheOriginalsCodePageComesThroughOkWhole)
{
    const QString text = scheduledSet()
                             .set("GENERAL", "BFPassword", QString::fromUtf8("pässwort"))
                             .set("GENERAL", "ZIPName", QString::fromUtf8("Büro.zip"))
                             .text();
    const QByteArray latin1 = text.toLatin1();
    ASSERT_EQ(QString::fromLatin1(latin1), text);
    load(latin1);
    editors::frmSettings* window = open();
    EXPECT_EQ(window->compressionPage->txtBFPassword->text(), QString::fromUtf8("pässwort"));
    window->cmdOK->click();
    ASSERT_EQ(Form<editors::frmSettings>::loaded(), nullptr);

    // Stored in UTF-8 from now on, every character as it was; the copy keeps the original bytes.
    EXPECT_EQ(test::readFile(core::setDocumentPath("Docs")), text.toUtf8());
    EXPECT_EQ(test::readFile(core::setDocumentPath("Docs") + ".bak"), latin1);
    EXPECT_EQ(parsed(document()).set.Dest[2].FTPPass, "pw");
}

TEST_F(frmSettingsTest, AScheduleThatIsOffIsKeptAndCanBeResumed)
{
    const struct
    {
        const char* what;
        test::SetDocumentFixture stored;
    } cases[] = {
        {"as the wizard stores no schedule",
         scheduledSet()
             .set("GENERAL", "Scheduler", "0")
             .set("SCHEDULER", "StartDate", "")
             .set("SCHEDULER", "StartTime", "")
             .set("SCHEDULER", "Repeat", "0")
             .set("SCHEDULER", "SAccurancy", "0")
             .set("SCHEDULER", "Period", "")},
        {"a paused monthly schedule",
         scheduledSet()
             .set("GENERAL", "Scheduler", "0")
             .set("SCHEDULER", "StartDate", "05/03/2024")
             .set("SCHEDULER", "StartTime", "07:05:00")
             .set("SCHEDULER", "SAccurancy", "2")
             .set("SCHEDULER", "Period", "1,15")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        load(c.stored.text());
        open()->cmdOK->click();
        ASSERT_EQ(Form<editors::frmSettings>::loaded(), nullptr);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(document(), stored);
    }

    // The paused schedule shows on the switched-off page, and switching it on resumes it.
    editors::frmSettings* window = open();
    editors::SchedulePage* schedule = window->schedulePage;
    EXPECT_FALSE(schedule->dtDate->isEnabled());
    EXPECT_EQ(schedule->dtDate->date(), QDate(2024, 3, 5));
    EXPECT_TRUE(schedule->optRepeat[2]->isChecked());
    EXPECT_EQ(treeTexts(schedule->tvScheduleMonth, true), QStringList({"1", "15"}));
    window->TSMenu->setCurrentIndex(4);
    EXPECT_FALSE(test::saveScreenshot(window, "editors_frmSettings_paused_schedule").isEmpty());
    schedule->chkScheduler->click();
    window->cmdOK->click();
    ASSERT_EQ(Form<editors::frmSettings>::loaded(), nullptr);
    const core::ScheduleInfo resumed = parsed(document()).set.Schedule;
    EXPECT_TRUE(resumed.Scheduler);
    EXPECT_EQ(resumed.StartDate, "05/03/2024");
    EXPECT_EQ(resumed.StartTime, "07:05:00");
    EXPECT_TRUE(resumed.Repeat);
    EXPECT_EQ(resumed.SAccurancy, 2);
    EXPECT_EQ(resumed.Period, "1,15");
}

TEST_F(frmSettingsTest, AScheduleSwitchedOnRunsFromTheStartItShows)
{
    // The wizard stores no start for a set without a schedule; the pickers show the clock's.
    load(scheduledSet()
             .set("GENERAL", "Scheduler", "0")
             .set("SCHEDULER", "StartDate", "")
             .set("SCHEDULER", "StartTime", "")
             .set("SCHEDULER", "Repeat", "0")
             .text());
    editors::frmSettings* window = open();
    editors::SchedulePage* schedule = window->schedulePage;
    schedule->chkScheduler->click();
    schedule->chkRepeat->click();
    schedule->optRepeat[0]->click();
    const QString shownTime = schedule->dtTime->time().toString("HH:mm:ss");
    window->cmdOK->click();
    ASSERT_EQ(Form<editors::frmSettings>::loaded(), nullptr);
    const QString text = document();
    const core::ScheduleInfo on = parsed(text).set.Schedule;
    EXPECT_TRUE(on.Scheduler);
    EXPECT_EQ(on.StartDate, "10/12/2026");
    EXPECT_EQ(on.StartTime, shownTime);
    EXPECT_FALSE(core::CalculateDate(core::sectionText(text, "SCHEDULER"), QDateTime(QDate(2026, 12, 10), QTime(12, 0)))
                     .isEmpty());
}

TEST_F(frmSettingsTest, NamesValuesItCannotShowAndKeepsThem)
{
    load(scheduledSet()
             .set("GENERAL", "RotationType", "7")
             .set("GENERAL", "Compression", "9")
             .set("SCHEDULER", "StartDate", "31/02/2026")
             .set("SCHEDULER", "SAccurancy", "2")
             .set("SCHEDULER", "Period", "1,40")
             .text());
    // Overlapping stored paths stay listed, or OK would drop one from the set.
    mainWindow.files = {"/home/u", "/home/u/data\t1\t2"};
    editors::frmSettings* window = open();
    ASSERT_EQ(prompt.shown.size(), 1u);
    const QString notice = prompt.shown.front().text;
    for (const char* value : {"RotationType = 7", "Compression = 9", "StartDate = 31/02/2026", "Period = 40"})
        EXPECT_TRUE(notice.contains(value)) << value;
    EXPECT_FALSE(window->destinationPage->optRotation[0]->isChecked()
                 || window->destinationPage->optRotation[1]->isChecked());
    EXPECT_EQ(window->schedulePage->dtDate->date(), QDate(2026, 12, 10));
    EXPECT_EQ(treeTexts(window->sourcePage->tvBackupList, true), QStringList({"/home/u", "/home/u/data"}));

    window->cmdOK->click();
    ASSERT_EQ(Form<editors::frmSettings>::loaded(), nullptr);
    const QString text = document();
    EXPECT_EQ(core::ExtractItem(text, "RotationType"), "7");
    EXPECT_EQ(core::ExtractItem(text, "Compression"), "9");
    EXPECT_EQ(core::ExtractItem(text, "StartDate"), "31/02/2026");
    EXPECT_EQ(core::ExtractItem(text, "Period"), "1,40");
    EXPECT_EQ(core::sectionLines(text, "FILES"), QStringList({"/home/u", "/home/u/data\t1\t2"}));
}

TEST_F(frmSettingsTest, AStepCheckKeepsTheTabAndTheWindow)
{
    load(scheduledSet().text());
    editors::frmSettings* window = open();
    window->TSMenu->setCurrentIndex(1);
    window->destinationPage->lvDestinations->clear();
    // The warning is about the page being left, so that page is the one under it.
    QStringList underWarning;
    prompt.whileShown = [&](const platform::Message&) {
        for (QWidget* page : window->TSMenu->findChildren<QWidget*>(QRegularExpression("^pctStep")))
            if (page->isVisible())
                underWarning << page->objectName();
        underWarning << QString::number(window->TSMenu->currentIndex());
    };
    window->TSMenu->setCurrentIndex(2);
    EXPECT_EQ(underWarning, (QStringList {"pctStep3", "1"}));
    EXPECT_EQ(window->TSMenu->currentIndex(), 1);
    EXPECT_TRUE(window->destinationPage->isVisible());
    EXPECT_FALSE(window->timestampPage->isVisible());
    EXPECT_EQ(window->lblStep->text(), "3");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown.back().text, "Please add at least one destination.");
    prompt.whileShown = nullptr;
    window->cmdOK->click();
    EXPECT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(Form<editors::frmSettings>::loaded(), window);
    EXPECT_EQ(document(), stored);

    // Cancel drops the edits; the next opening shows the stored set again.
    window->cmdCancel->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(open()->destinationPage->lvDestinations->topLevelItemCount(), 2);
}
