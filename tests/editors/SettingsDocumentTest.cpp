#include <gtest/gtest.h>

#include "core/ProjectTextCoding.h"
#include "core/ScramblePassword.h"
#include "core/SetDocumentParser.h"
#include "core/SetText.h"
#include "editors/SettingsDocument.h"
#include "support/QtPrinters.h"
#include "support/SetDocumentFixtures.h"

namespace
{
const QString Recorded = "/home/u/data\t46000.5\t1024";
const QString Version = "1|11/12/2026 02:00:00|/mnt/b|docs.zip";
const QStringList FtpLines
    = {"Type=2",        "FTPHost=server1", "FTPPort=21", "FTPUser=anna", "FTPPass=" + core::ScramblePassword("pw"),
       "FTPFolder=/up", "FTPPassive=False"};

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
        .dest(2, FtpLines);
    return doc;
}

core::DestinationRow ftpRow()
{
    core::DestinationInfo ftp;
    ftp.Type = core::DestinationType::Ftp;
    ftp.FTPHost = "server1";
    ftp.FTPPort = "21";
    ftp.FTPUser = "anna";
    ftp.FTPPass = "pw";
    ftp.FTPFolder = "/up";
    return core::rowFromDestination(ftp).value();
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
    pages.KeepQuantity = "0";
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
    pages.destinations = {core::folderRow("/mnt/b"), ftpRow()};
    pages.destinationSlots = {1, 2};
    return pages;
}

editors::RebuiltDocument rebuild(const QString& text, const editors::SettingsPages& pages,
                                 const editors::SettingsPages& shown = unchangedPages(),
                                 const QStringList& versions = {Version})
{
    return editors::rebuildSetDocument(text, pages, shown, {"", Recorded, ""}, versions);
}

QString rebuilt(const QString& text, const editors::SettingsPages& pages,
                const editors::SettingsPages& shown = unchangedPages(), const QStringList& versions = {Version})
{
    const editors::RebuiltDocument result = rebuild(text, pages, shown, versions);
    EXPECT_TRUE(result.text.has_value()) << result.reason.toStdString();
    return result.text.value_or(QString());
}

core::BackupSetInfo loaded(const QString& text)
{
    const core::ParseResult result = core::parseSetDocument(text);
    EXPECT_TRUE(result.parsed.has_value()) << result.reason.toStdString();
    return result.parsed ? result.parsed->set : core::BackupSetInfo {};
}
} // namespace

TEST(SettingsDocument, UnchangedPagesGiveTheDocumentBackByteForByte)
{
    // Everything the pages do not hold, and values they cannot show.
    const QString latin1 = core::DecodeProjectText(
        "<STATS>\r\nCurrentDestination=2\r\n</STATS>\r\n\r\n<GENERAL>\r\nExclude=*.bak;*.old\r\nInclude=*.*\r\n"
        "BFPassword=p\xE4ss\r\nScheduler=-1\r\nDestCount=2\r\nRotationType=2\r\n</GENERAL>\r\n\r\n<SCHEDULER>\r\n"
        "Repeat=0\r\nSAccurancy=0\r\nRunOnStart=0\r\nRunOnEnd=0\r\n</SCHEDULER>\r\n\r\n<FILES>\r\n"
        "/home/u/data\t46000.5\t1024\r\n"
        "/home/u/notes.txt\r\n</FILES>\r\n\r\n<VERSIONS>\r\n</VERSIONS>\r\n\r\n<DEST1>\r\nType=1\r\n"
        "LocalFolder=/mnt/b\r\n</DEST1>\r\n\r\n<DEST2>\r\nType=2\r\nFTPHost=server1\r\nFTPPort=21\r\n"
        "FTPUser=anna\r\nFTPPass=\xF0\xF7\r\nFTPFolder=/up\r\nFTPPassive=False\r\n</DEST2>\r\n\r\n");
    ASSERT_TRUE(latin1.contains(QString::fromUtf8("päss")));
    const struct
    {
        const char* what;
        QString text;
        QStringList versions;
        QList<int> storedSlots;
    } cases[] = {
        {"as the store writes it", storedSet().text(), {Version}, {1, 2}},
        {"written by hand",
         storedSet()
             .set("GENERAL", "DestCount", "4")
             .set("STATS", "CurrentDestination", "3")
             .set("GENERAL", "Quality", "9")
             .set("GENERAL", "Incremental", "True")
             .set("GENERAL", "BackupType", "1")
             .set("GENERAL", "exclude", "*.old")
             .remove("GENERAL", "BFPassword")
             .remove("GENERAL", "ZIPName")
             .set("SCHEDULER", "StartDate", "31/02/2026")
             .set("SCHEDULER", "Period", "fri,mon,xyz")
             .drop("TIMESTAMP")
             .dest(1, {"Type=1", "LocalFolder=/mnt/b", "Note=kept with its destination"})
             .dest(3, {"Type=9", "Robot=arm"})
             .dest(4, {"Type=1", "LocalFolder=/mnt/c"})
             .dest(7, {"Type=1", "LocalFolder=/beyond/the/count"})
             .set("NOTES", "Owner", "anna")
             .text(),
         {Version},
         {1, 2, 4}},
        {"in the original's code page", latin1, {}, {1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        editors::SettingsPages pages = unchangedPages();
        pages.destinationSlots = c.storedSlots;
        if (c.storedSlots.size() == 3)
            pages.destinations << core::folderRow("/mnt/c");
        EXPECT_EQ(rebuilt(c.text, pages, pages, c.versions), c.text);
    }
}

TEST(SettingsDocument, RebuildsFilesFromTheCheckedPathsWithTheirRecordedValues)
{
    editors::SettingsPages pages = unchangedPages();
    // notes.txt unchecked, a longer path beginning with the recorded one added.
    pages.checkedPaths = {"/home/u/data", "/home/u/data2"};
    const QString text = rebuilt(storedSet().text(), pages);
    EXPECT_EQ(core::sectionLines(text, "FILES"), QStringList({Recorded, "/home/u/data2"}));

    pages.checkedPaths.clear();
    EXPECT_EQ(core::sectionLines(rebuilt(storedSet().text(), pages, unchangedPages(), {}), "FILES"), QStringList());
    EXPECT_TRUE(rebuilt(storedSet().text(), pages, unchangedPages(), {}).contains("<VERSIONS>\r\n</VERSIONS>\r\n"));
}

TEST(SettingsDocument, WritesChangedValuesOnOneLineEach)
{
    editors::SettingsPages pages = unchangedPages();
    pages.Exclude = "*.tmp";
    pages.Scheduler = false;
    pages.SAccurancy = 2;
    pages.Period = "1,15";
    pages.ZIPName = "two\r\nlines.zip";
    pages.destinations = {core::emailRow("anna@example.org", "Backup", "Hello,\r\nthe backup.")};
    pages.destinationSlots = {};
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
    // Values nobody changed keep their lines, and keys the set writer leaves out stay out.
    EXPECT_EQ(core::sectionText(text, "TIMESTAMP"), core::sectionText(storedSet().text(), "TIMESTAMP"));
    EXPECT_FALSE(text.contains("KeepQuantity"));
}

TEST(SettingsDocument, ChangedValuesGoWhereTheLoaderReadsThem)
{
    const struct
    {
        const char* what;
        test::SetDocumentFixture stored;
        std::function<void(editors::SettingsPages&)> change;
        std::function<void(const core::BackupSetInfo&)> expect;
    } cases[] = {
        {"missing password line", storedSet().remove("GENERAL", "BFPassword"),
         [](editors::SettingsPages& pages) {
             pages.ProtectData = 1;
             pages.BFPassword = "geheim";
         },
         [](const core::BackupSetInfo& set) {
             EXPECT_EQ(set.ProtectData, core::ProtectionMode::Blowfish);
             EXPECT_EQ(set.BFPassword, "geheim");
         }},
        {"key in another letter case", storedSet().remove("GENERAL", "Exclude").set("GENERAL", "exclude", "*.old"),
         [](editors::SettingsPages& pages) { pages.Exclude = "*.tmp"; },
         [](const core::BackupSetInfo& set) { EXPECT_EQ(set.Exclude, "*.tmp"); }},
        {"same key earlier in another section", storedSet().set("STATS", "Exclude", "stray"),
         [](editors::SettingsPages& pages) { pages.Exclude = "*.tmp"; },
         [](const core::BackupSetInfo& set) { EXPECT_EQ(set.Exclude, "*.tmp"); }},
        {"time stamps taken up without a TIMESTAMP section", storedSet().drop("TIMESTAMP"),
         [](editors::SettingsPages& pages) { pages.UseTimeStamp = true; },
         [](const core::BackupSetInfo& set) {
             EXPECT_TRUE(set.UseTimeStamp);
             EXPECT_EQ(set.Accurancy, 3);
             EXPECT_EQ(set.TimeStampFormat, "yyyy-mm-dd# (hh.nn)");
             EXPECT_EQ(set.KeepVersions, 7);
         }},
        {"time stamps taken up over a damaged value", storedSet().set("TIMESTAMP", "KeepVersions", "seven"),
         [](editors::SettingsPages& pages) { pages.UseTimeStamp = true; },
         [](const core::BackupSetInfo& set) { EXPECT_EQ(set.KeepVersions, 7); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        editors::SettingsPages pages = unchangedPages();
        c.change(pages);
        const QString text = rebuilt(c.stored.text(), pages);
        c.expect(loaded(text));
    }
    // What the loader does not read stays as it was.
    const QString text
        = rebuilt(storedSet().set("STATS", "Exclude", "stray").set("GENERAL", "exclude", "*.old").text(), [] {
              editors::SettingsPages pages = unchangedPages();
              pages.Exclude = "*.tmp";
              return pages;
          }());
    EXPECT_EQ(core::ExtractItem(core::sectionText(text, "STATS"), "Exclude"), "stray");
    EXPECT_EQ(core::ExtractItem(core::sectionText(text, "GENERAL"), "exclude"), "*.old");
}

TEST(SettingsDocument, ADormantScheduleStaysUntilItIsChanged)
{
    const QString stored = storedSet()
                               .set("GENERAL", "Scheduler", "0")
                               .set("SCHEDULER", "StartDate", "05/03/2024")
                               .set("SCHEDULER", "StartTime", "07:05:00")
                               .set("SCHEDULER", "SAccurancy", "2")
                               .set("SCHEDULER", "Period", "1,15")
                               .text();
    // What the pages show of it: the stored start, the monthly days.
    editors::SettingsPages shown = unchangedPages();
    shown.Scheduler = false;
    shown.StartDate = "05/03/2024";
    shown.StartTime = "07:05:00";
    shown.SAccurancy = 2;
    shown.Period = "1,15";
    EXPECT_EQ(rebuilt(stored, shown, shown), stored);

    // Switched on again, the same schedule runs; a changed day is written.
    editors::SettingsPages resumed = shown;
    resumed.Scheduler = true;
    resumed.Period = "1,15,31";
    const core::BackupSetInfo set = loaded(rebuilt(stored, resumed, shown));
    EXPECT_TRUE(set.Schedule.Scheduler);
    EXPECT_EQ(set.Schedule.StartDate, "05/03/2024");
    EXPECT_EQ(set.Schedule.StartTime, "07:05:00");
    EXPECT_TRUE(set.Schedule.Repeat);
    EXPECT_EQ(set.Schedule.SAccurancy, 2);
    EXPECT_EQ(set.Schedule.Period, "1,15,31");
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
}

TEST(SettingsDocument, DestinationsTheListDoesNotShowKeepTheirPlace)
{
    const QString stored = storedSet()
                               .set("GENERAL", "DestCount", "4")
                               .set("STATS", "CurrentDestination", "3")
                               .dest(1, {"Type=1", "LocalFolder=/mnt/b", "Note=kept with its destination"})
                               .dest(2, {"Type=7", "Robot=arm"})
                               .dest(3, FtpLines)
                               .dest(4, {"Type=1", "LocalFolder=/mnt/c"})
                               .set("NOTES", "Owner", "anna")
                               .text();
    const core::DestinationRow folder = core::folderRow("/mnt/b");
    const core::DestinationRow second = core::folderRow("/mnt/c");
    const core::DestinationRow added = core::emailRow("anna@example.org", "Backup", "Hi");
    const struct
    {
        const char* what;
        QList<core::DestinationRow> rows;
        QList<int> storedSlots;
        QList<QStringList> sections;
        QString current;
    } cases[] = {
        {"a folder edited, a mail recipient added",
         {core::folderRow("/mnt/x"), ftpRow(), second, added},
         {1, 3, 4},
         {{"Type=1", "LocalFolder=/mnt/x", "Note=kept with its destination"},
          {"Type=7", "Robot=arm"},
          FtpLines,
          {"Type=1", "LocalFolder=/mnt/c"},
          {"Type=3", "EmailID=anna@example.org", "Subject=Backup", "Body=Hi"}},
         "3"},
        {"the first removed: the current one moves up",
         {ftpRow(), second},
         {3, 4},
         {{"Type=7", "Robot=arm"}, FtpLines, {"Type=1", "LocalFolder=/mnt/c"}},
         "2"},
        {"the current one removed: the next one is current",
         {folder, second},
         {1, 4},
         {{"Type=1", "LocalFolder=/mnt/b", "Note=kept with its destination"},
          {"Type=7", "Robot=arm"},
          {"Type=1", "LocalFolder=/mnt/c"}},
         "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        editors::SettingsPages pages = unchangedPages();
        pages.destinations = c.rows;
        pages.destinationSlots = c.storedSlots;
        const QString text = rebuilt(stored, pages);
        EXPECT_EQ(core::ExtractItem(text, "DestCount"), QString::number(c.sections.size()));
        EXPECT_EQ(core::ExtractItem(text, "CurrentDestination"), c.current);
        for (qsizetype i = 0; i < c.sections.size(); ++i)
            EXPECT_EQ(core::sectionLines(text, "DEST" + QString::number(i + 1)), c.sections.at(i)) << i + 1;
        EXPECT_FALSE(text.contains("<DEST" + QString::number(c.sections.size() + 1) + ">"));
        // A section after the destinations stays after them.
        EXPECT_TRUE(text.endsWith("</DEST" + QString::number(c.sections.size())
                                  + ">\r\n\r\n<NOTES>\r\nOwner=anna\r\n</NOTES>\r\n\r\n"))
            << text.right(80).toStdString();
    }
}

TEST(SettingsDocument, NormalisesThePassiveFieldOfAnFtpRow)
{
    editors::SettingsPages pages = unchangedPages();
    pages.destinations = {core::ftpRow("server1", "21", "anna", "pw", "/up", true)};
    pages.destinationSlots = {};
    const QString text = rebuilt(storedSet().text(), pages);
    EXPECT_EQ(core::ExtractItem(text, "FTPPassive"), "True");
    EXPECT_EQ(core::ExtractItem(text, "FTPPass"), core::ScramblePassword("pw"));
}

TEST(SettingsDocument, AddsMissingSectionsWhereTheStorePutsThem)
{
    const QString stored = storedSet().drop("FILES").drop("VERSIONS").drop("TIMESTAMP").text();
    editors::SettingsPages pages = unchangedPages();
    pages.UseTimeStamp = true;
    pages.destinations = {core::folderRow("/new")};
    pages.destinationSlots = {};
    const QString text = rebuilt(stored, pages);
    EXPECT_TRUE(text.contains("</GENERAL>\r\n\r\n<TIMESTAMP>\r\nAccurancy=3\r\n"));
    EXPECT_TRUE(text.contains("</TIMESTAMP>\r\n\r\n<SCHEDULER>\r\n"));
    EXPECT_TRUE(text.contains("</SCHEDULER>\r\n\r\n<FILES>\r\n"));
    EXPECT_TRUE(text.contains("</FILES>\r\n\r\n<VERSIONS>\r\n" + Version + "\r\n</VERSIONS>\r\n\r\n<DEST1>\r\n"));
    EXPECT_EQ(text.count("<DEST1>"), 1);
    EXPECT_EQ(core::sectionLines(text, "DEST1"), QStringList({"Type=1", "LocalFolder=/new"}));
    EXPECT_FALSE(text.contains("<DEST2>"));
}

TEST(SettingsDocument, RefusesWhatTheDocumentCannotTake)
{
    editors::SettingsPages timestamps = unchangedPages();
    timestamps.UseTimeStamp = true;
    timestamps.Accurancy = "x";
    editors::SettingsPages crowded = unchangedPages();
    for (int i = 0; i < 29; ++i)
        crowded.destinations << core::folderRow("/mnt/" + QString::number(i));
    const struct
    {
        const char* what;
        QString stored;
        editors::SettingsPages pages;
        const char* reason;
    } cases[] = {
        {"a section inside another", storedSet().dest(1, {"Type=1", "<DEST2>", "LocalFolder=/mnt/b"}).text(),
         unchangedPages(), "DEST1 and DEST2"},
        {"a value the loader cannot read", storedSet().drop("TIMESTAMP").text(), timestamps, "Accurancy"},
        {"destinations beyond the set's room", storedSet().set("GENERAL", "DestCount", "3").dest(3, {"Type=0"}).text(),
         crowded, "32 destinations"},
        {"no SCHEDULER section", storedSet().drop("SCHEDULER").text(), unchangedPages(), "SCHEDULER"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const editors::RebuiltDocument refused = rebuild(c.stored, c.pages);
        EXPECT_FALSE(refused.text);
        EXPECT_TRUE(refused.reason.contains(c.reason)) << refused.reason.toStdString();
    }
}
