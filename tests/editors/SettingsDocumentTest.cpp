#include <gtest/gtest.h>

#include "core/ScramblePassword.h"
#include "core/SetText.h"
#include "editors/SettingsDocument.h"
#include "support/QtPrinters.h"
#include "support/SetDocumentFixtures.h"

namespace
{
const QString Recorded = "/home/u/data\t46000.5\t1024";
const QString Version = "1|11/12/2026 02:00:00|/mnt/b|docs.zip";

// A scheduled set with a recorded path, a version line, a folder and an FTP destination, in the
// layout the store writes.
test::SetDocumentFixture storedSet()
{
    test::SetDocumentFixture doc;
    doc.set("GENERAL", "Exclude", "*.bak;*.old")
        .set("GENERAL", "DestCount", "2")
        .set("GENERAL", "RotationType", "2")
        .set("GENERAL", "Scheduler", "-1")
        .set("SCHEDULER", "Repeat", "-1")
        .set("SCHEDULER", "SAccurancy", "1")
        .set("SCHEDULER", "Period", "mon,fri")
        .files({Recorded, "/home/u/notes.txt"})
        .versions({Version})
        .dest(1, {"Type=1", "LocalFolder=/mnt/b"})
        .dest(2,
              {"Type=2", "FTPHost=server1", "FTPPort=21", "FTPUser=anna", "FTPPass=" + core::ScramblePassword("pw"),
               "FTPFolder=/up", "FTPPassive=False"});
    return doc;
}

// What the window shows for storedSet() when nobody changed anything.
editors::SettingsPages unchangedPages()
{
    editors::SettingsPages pages;
    pages.Exclude = "*.bak;*.old";
    pages.Include = "*.*";
    pages.ExcludeFolders = false;
    pages.BackupType = 0;
    pages.Compression = 1;
    pages.RotationType = 2;
    pages.Accurancy = "3";
    pages.TimeStampFormat = "yyyy-mm-dd# (hh.nn)";
    pages.FormatIndex = "3";
    pages.DeleteBackups = "0";
    pages.KeepVersions = "7";
    pages.KeepQuantity = "30";
    pages.KeepPeriodAccurancy = "0";
    pages.ProtectData = 0;
    pages.ZIPName = "docs.zip";
    pages.Scheduler = true;
    pages.StartDate = "01/11/2026";
    pages.StartTime = "10:00:00";
    pages.Repeat = true;
    pages.SAccurancy = 1;
    pages.Period = "mon,fri";
    pages.checkedPaths = {"/home/u/data", "/home/u/notes.txt"};
    core::DestinationInfo ftp;
    ftp.Type = core::DestinationType::Ftp;
    ftp.FTPHost = "server1";
    ftp.FTPPort = "21";
    ftp.FTPUser = "anna";
    ftp.FTPPass = "pw";
    ftp.FTPFolder = "/up";
    pages.destinations = {core::folderRow("/mnt/b"), core::rowFromDestination(ftp).value()};
    return pages;
}

QString rebuilt(const QString& text, const editors::SettingsPages& pages, const QStringList& versions = {Version})
{
    const editors::RebuiltDocument result = editors::rebuildSetDocument(text, pages, {"", Recorded, ""}, versions);
    EXPECT_TRUE(result.text.has_value()) << result.reason.toStdString();
    return result.text.value_or(QString());
}
} // namespace

TEST(SettingsDocument, UnchangedPagesGiveTheDocumentBack)
{
    const QString text = storedSet().text();
    // The store ends a document with an empty line, which its save adds again.
    EXPECT_EQ(rebuilt(text, unchangedPages()) + "\r\n", text);
}

TEST(SettingsDocument, RebuildsFilesFromTheCheckedPathsWithTheirRecordedValues)
{
    editors::SettingsPages pages = unchangedPages();
    // notes.txt unchecked, a longer path beginning with the recorded one added.
    pages.checkedPaths = {"/home/u/data", "/home/u/data2"};
    const QString text = rebuilt(storedSet().text(), pages);
    EXPECT_EQ(core::sectionLines(text, "FILES"), QStringList({Recorded, "/home/u/data2"}));

    pages.checkedPaths.clear();
    EXPECT_EQ(core::sectionLines(rebuilt(storedSet().text(), pages, {}), "FILES"), QStringList());
    EXPECT_TRUE(rebuilt(storedSet().text(), pages, {}).contains("<VERSIONS>\r\n</VERSIONS>\r\n"));
}

TEST(SettingsDocument, WritesThePagesIntoTheHeadOnOneLineEach)
{
    editors::SettingsPages pages = unchangedPages();
    pages.Exclude = "*.tmp";
    pages.Scheduler = false;
    pages.SAccurancy = 2;
    pages.Period = "1,15";
    pages.ZIPName = "two\r\nlines.zip";
    pages.destinations = {core::emailRow("anna@example.org", "Backup", "Hello,\r\nthe backup.")};
    const QString text = rebuilt(storedSet().text(), pages);
    EXPECT_EQ(core::ExtractItem(text, "Exclude"), "*.tmp");
    // The schedule keys are written from the pickers with the scheduler off too.
    EXPECT_EQ(core::ExtractItem(text, "Scheduler"), "0");
    EXPECT_EQ(core::ExtractItem(text, "SAccurancy"), "2");
    EXPECT_EQ(core::ExtractItem(text, "Period"), "1,15");
    EXPECT_EQ(core::ExtractItem(text, "ZIPName"), "two lines.zip");
    EXPECT_EQ(core::ExtractItem(text, "DestCount"), "1");
    EXPECT_EQ(core::sectionLines(text, "DEST1"),
              QStringList({"Type=3", "EmailID=anna@example.org", "Subject=Backup", "Body=Hello, the backup."}));
    EXPECT_FALSE(text.contains("<DEST2>"));
    // Keys the document lacks are not added.
    EXPECT_FALSE(text.contains("KeepQuantity"));
}

TEST(SettingsDocument, KeepsStoredValuesOfGroupsWithoutAChoice)
{
    const QString stored = storedSet().set("GENERAL", "RotationType", "7").set("GENERAL", "Compression", "9").text();
    editors::SettingsPages pages = unchangedPages();
    pages.RotationType.reset();
    pages.Compression.reset();
    pages.SAccurancy.reset();
    pages.Period.clear();
    const QString text = rebuilt(stored, pages);
    EXPECT_EQ(core::ExtractItem(text, "RotationType"), "7");
    EXPECT_EQ(core::ExtractItem(text, "Compression"), "9");
    EXPECT_EQ(core::ExtractItem(text, "SAccurancy"), "1");
    EXPECT_EQ(core::ExtractItem(text, "Period"), "mon,fri");
}

TEST(SettingsDocument, NormalisesThePassiveFieldOfAnFtpRow)
{
    editors::SettingsPages pages = unchangedPages();
    pages.destinations = {core::ftpRow("server1", "21", "anna", "pw", "/up", true)};
    const QString text = rebuilt(storedSet().text(), pages);
    EXPECT_EQ(core::ExtractItem(text, "FTPPassive"), "True");
    EXPECT_EQ(core::ExtractItem(text, "FTPPass"), core::ScramblePassword("pw"));
}

TEST(SettingsDocument, ReplacesEverythingAfterTheSchedulerSection)
{
    // No FILES section, and an old destination behind the scheduler: neither may outlive the rebuild.
    const QString stored = storedSet().drop("FILES").drop("VERSIONS").dest(2, {"Type=1", "LocalFolder=/old"}).text();
    editors::SettingsPages pages = unchangedPages();
    pages.destinations = {core::folderRow("/new")};
    const QString text = rebuilt(stored, pages);
    EXPECT_EQ(text.count("<DEST1>"), 1);
    EXPECT_EQ(core::sectionLines(text, "DEST1"), QStringList({"Type=1", "LocalFolder=/new"}));
    EXPECT_FALSE(text.contains("/old"));
    EXPECT_TRUE(text.contains("</SCHEDULER>\r\n\r\n<FILES>\r\n"));
    EXPECT_EQ(text.count("<FILES>"), 1);

    const editors::RebuiltDocument refused
        = editors::rebuildSetDocument(storedSet().drop("SCHEDULER").text(), pages, {}, {});
    EXPECT_FALSE(refused.text);
    EXPECT_FALSE(refused.reason.isEmpty());
}
