#include "core/SetDocumentParser.h"

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/ScramblePassword.h"
#include "support/SetDocumentFixtures.h"

using core::parseSetDocument;
using test::SetDocumentFixture;

namespace
{
TEST(SetDocumentParserTest, ADamagedDocumentGivesNoRecordAndSaysWhy)
{
    const struct
    {
        const char* what;
        SetDocumentFixture document;
        qint32 number;
        const char* reasonNames;
    } cases[] = {
        {"no STATS", SetDocumentFixture().drop("STATS"), core::err::InvalidArgument, "STATS"},
        {"no GENERAL", SetDocumentFixture().drop("GENERAL"), core::err::InvalidArgument, "GENERAL"},
        {"no SCHEDULER", SetDocumentFixture().drop("SCHEDULER"), core::err::InvalidArgument, "SCHEDULER"},
        {"time stamps without TIMESTAMP", SetDocumentFixture().set("GENERAL", "UseTimeStamp", "-1").drop("TIMESTAMP"),
         core::err::InvalidArgument, "TIMESTAMP"},
        {"empty current destination", SetDocumentFixture().set("STATS", "CurrentDestination", ""),
         core::err::TypeMismatch, "CurrentDestination"},
        {"scheduler neither flag nor number", SetDocumentFixture().set("GENERAL", "Scheduler", "maybe"),
         core::err::TypeMismatch, "Scheduler"},
        {"destination count not a number", SetDocumentFixture().set("GENERAL", "DestCount", "two"),
         core::err::TypeMismatch, "DestCount"},
        {"missing rotation", SetDocumentFixture().remove("GENERAL", "RotationType"), core::err::TypeMismatch,
         "RotationType"},
        {"time stamps with an empty keeping count",
         SetDocumentFixture().set("GENERAL", "UseTimeStamp", "-1").set("TIMESTAMP", "KeepVersions", ""),
         core::err::TypeMismatch, "KeepVersions"},
        {"empty repeat", SetDocumentFixture().set("SCHEDULER", "Repeat", ""), core::err::TypeMismatch, "Repeat"},
        {"accuracy not a number", SetDocumentFixture().set("SCHEDULER", "SAccurancy", "weekly"),
         core::err::TypeMismatch, "SAccurancy"},
        {"huge archive count", SetDocumentFixture().set("STATS", "ArchiveCount", "99999999999"), core::err::Overflow,
         "ArchiveCount"},
        {"31 destinations", SetDocumentFixture().set("GENERAL", "DestCount", "31"), core::err::SubscriptOutOfRange,
         "31"},
        {"negative destinations", SetDocumentFixture().set("GENERAL", "DestCount", "-1"),
         core::err::SubscriptOutOfRange, "-1"},
        {"FTP passive not a truth value",
         SetDocumentFixture().set("GENERAL", "DestCount", "1").dest(1, {"Type=2", "FTPHost=h", "FTPPassive=perhaps"}),
         core::err::TypeMismatch, "FTPPassive"},
    };
    for (const auto& c : cases) {
        const core::ParseResult result = parseSetDocument(c.document.text());
        EXPECT_FALSE(result.parsed) << c.what;
        EXPECT_EQ(result.number, c.number) << c.what;
        EXPECT_TRUE(result.reason.contains(c.reasonNames)) << c.what << ": " << qPrintable(result.reason);
    }
    EXPECT_FALSE(parseSetDocument(QString()).parsed);
    EXPECT_FALSE(parseSetDocument("just some text\r\n").parsed);
}

TEST(SetDocumentParserTest, TimeStampValuesAreKeptButNotRequiredWhileTimeStampsAreOff)
{
    const auto off = parseSetDocument(SetDocumentFixture().set("TIMESTAMP", "KeepVersions", "x").text());
    ASSERT_TRUE(off.parsed) << qPrintable(off.reason);
    EXPECT_EQ(off.parsed->set.Accurancy, 3);
    EXPECT_EQ(off.parsed->set.TimeStampFormat, "yyyy-mm-dd# (hh.nn)");
    EXPECT_EQ(off.parsed->set.FormatIndex, 3);
    EXPECT_EQ(off.parsed->set.KeepVersions, 0);

    const auto absent = parseSetDocument(SetDocumentFixture().drop("TIMESTAMP").text());
    ASSERT_TRUE(absent.parsed) << qPrintable(absent.reason);
    EXPECT_EQ(absent.parsed->set.Accurancy, 0);
    EXPECT_EQ(absent.parsed->set.TimeStampFormat, "");
}

TEST(SetDocumentParserTest, ValuesAreReadByTheirKind)
{
    const auto result = parseSetDocument(SetDocumentFixture()
                                             .set("STATS", "Ran", "-1")
                                             .set("STATS", "ArchiveCount", "4 archives")
                                             .set("STATS", "CurrentDestination", " 2 ")
                                             .set("GENERAL", "ItemType", "")
                                             .set("GENERAL", "ExcludeFolders", "junk")
                                             .set("GENERAL", "Compression", "2.5")
                                             .set("GENERAL", "Incremental", "True")
                                             .set("GENERAL", "Scheduler", "true")
                                             .set("GENERAL", "DestCount", "2")
                                             .set("GENERAL", "BFPassword", "a=b")
                                             .set("SCHEDULER", "Repeat", "-1")
                                             .set("SCHEDULER", "RunOnEnd", "False")
                                             .set("SCHEDULER", "SAccurancy", "1.5")
                                             .text());
    ASSERT_TRUE(result.parsed) << qPrintable(result.reason);
    const core::BackupSetInfo& set = result.parsed->set;
    EXPECT_TRUE(set.Ran);
    EXPECT_EQ(set.ArchiveCount, 4);
    EXPECT_EQ(set.CurrentDestination, 2);
    EXPECT_EQ(set.ItemType, 0);
    EXPECT_FALSE(set.ExcludeFolders);
    EXPECT_EQ(set.Compression, core::CompressionMode::ArchivePerFile);
    EXPECT_FALSE(set.Incremental);
    EXPECT_TRUE(set.Schedule.Scheduler);
    EXPECT_EQ(set.BFPassword, "a=b");
    EXPECT_TRUE(set.Schedule.Repeat);
    EXPECT_FALSE(set.Schedule.RunOnEnd);
    EXPECT_EQ(set.Schedule.SAccurancy, 2);
}

TEST(SetDocumentParserTest, DestinationsFillOnlyTheFieldsOfTheirKind)
{
    const auto result = parseSetDocument(
        SetDocumentFixture()
            .set("GENERAL", "DestCount", "6")
            .dest(1, {"Type=1", "LocalFolder=/mnt/backup", "FTPHost=stray"})
            .dest(2,
                  {"Type=2", "FTPHost=ftp.example.org", "FTPPort=2121", "FTPUser=me",
                   "FTPPass=" + core::ScramblePassword("s3cret"), "FTPFolder=/up", "FTPPassive=True"})
            .dest(3, {"Type=3", "EmailID=me@example.org", "Subject=Backup", "Body=see type=2 below"})
            .dest(4, {})
            .dest(5, {"Type= 1", "LocalFolder=/nowhere"})
            .dest(6, {"Body=Type=2", "Type=0"})
            .dest(7, {"Type=1", "LocalFolder=/beyond/the/count"})
            .text());
    ASSERT_TRUE(result.parsed) << qPrintable(result.reason);
    const auto& dest = result.parsed->set.Dest;
    EXPECT_EQ(dest[1].Type, core::DestinationType::Folder);
    EXPECT_EQ(dest[1].LocalFolder, "/mnt/backup");
    EXPECT_EQ(dest[1].FTPHost, "");
    EXPECT_EQ(dest[2].Type, core::DestinationType::Ftp);
    EXPECT_EQ(dest[2].FTPHost, "ftp.example.org");
    EXPECT_EQ(dest[2].FTPPort, "2121");
    EXPECT_EQ(dest[2].FTPUser, "me");
    EXPECT_EQ(dest[2].FTPPass, "s3cret");
    EXPECT_EQ(dest[2].FTPFolder, "/up");
    EXPECT_TRUE(dest[2].FTPPassive);
    EXPECT_EQ(dest[3].Type, core::DestinationType::Email);
    EXPECT_EQ(dest[3].EmailID, "me@example.org");
    EXPECT_EQ(dest[3].Subject, "Backup");
    EXPECT_EQ(dest[3].Body, "see type=2 below");
    for (int n : {4, 5, 6, 7}) {
        EXPECT_EQ(dest[n].Type, core::DestinationType::Unused) << n;
        EXPECT_EQ(dest[n].LocalFolder, "") << n;
    }
}

TEST(SetDocumentParserTest, ListsAndMasksComeFromTheirSections)
{
    const struct
    {
        const char* exclude;
        QStringList masks;
    } cases[] = {
        {"", {}},
        {"  *.tmp ; cache/* ", {"*.tmp", "cache/*"}},
        {";", {"", ""}},
        {"*.bak", {"*.bak"}},
    };
    for (const auto& c : cases) {
        const auto result = parseSetDocument(SetDocumentFixture().set("GENERAL", "Exclude", c.exclude).text());
        ASSERT_TRUE(result.parsed) << qPrintable(result.reason);
        EXPECT_EQ(result.parsed->excludes, c.masks) << c.exclude;
    }

    const QStringList files = {"/home/u/a.txt\t46000.5\t12", "/home/u/Pictures", ""};
    const QStringList versions
        = {"LAN|/mnt/b/2|/mnt/b/2/docs.zip|02/11/2026|1|1|0|", "LAN|/mnt/b/1|/mnt/b/1/docs.zip|01/11/2026|1|1|0|"};
    const auto listed = parseSetDocument(SetDocumentFixture().files(files).versions(versions).text());
    ASSERT_TRUE(listed.parsed) << qPrintable(listed.reason);
    EXPECT_EQ(listed.parsed->files, files);
    EXPECT_EQ(listed.parsed->versions, versions);

    const auto absent = parseSetDocument(SetDocumentFixture().drop("FILES").drop("VERSIONS").text());
    ASSERT_TRUE(absent.parsed) << qPrintable(absent.reason);
    EXPECT_TRUE(absent.parsed->files.isEmpty());
    EXPECT_TRUE(absent.parsed->versions.isEmpty());
}
} // namespace
