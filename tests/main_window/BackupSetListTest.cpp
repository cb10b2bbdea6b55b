#include "main_window/BackupSetList.h"

#include <QDir>

#include <gtest/gtest.h>

#include "support/SetDocumentFixtures.h"
#include "core/ErrorReport.h"
#include "support/ProgramFolderTest.h"

using main_window::LoadBackupSets;
using main_window::SetListing;
using test::SetDocumentFixture;

namespace
{
class BackupSetListTest : public test::ProgramFolderTest
{
protected:
    void store(const QString& fileName, const QByteArray& bytes) const
    {
        ASSERT_TRUE(test::writeFile(programFile("data/" + fileName), bytes));
    }
    void store(const QString& fileName, const SetDocumentFixture& document) const
    {
        store(fileName, document.text().toUtf8());
    }
};

// A daily schedule at 13:00 that started long ago: seen at noon on 10 December 2026, it runs today.
SetDocumentFixture scheduled()
{
    return SetDocumentFixture()
        .set("GENERAL", "Scheduler", "-1")
        .set("SCHEDULER", "StartTime", "13:00:00")
        .set("SCHEDULER", "Repeat", "-1");
}

TEST_F(BackupSetListTest, EveryDocumentBecomesARowAndADamagedOneDoesNotStopTheList)
{
    store("Alpha.sbd",
          scheduled()
              .set("STATS", "ItemType", "1")
              .set("STATS", "LastRunTime", "05/12/2026 10:00:00")
              .set("STATS", "Status", "Success")
              .set("STATS", "Duration", "00:01:02")
              .set("GENERAL", "DestCount", "1")
              .dest(1, {"Type=1", "LocalFolder=/mnt/b"}));
    // No statistics, but a running schedule.
    store("beta.sbd", scheduled().drop("STATS"));
    store("Gamma.sbd",
          SetDocumentFixture()
              .remove("STATS", "Status")
              .set("STATS", "CreationTime", "")
              .set("GENERAL", "RotationType", "2")
              .set("GENERAL", "DestCount", "3")
              .dest(1, {"Type=2", "FTPHost=h", "FTPPassive=False"})
              .dest(2, {"Type=1", "LocalFolder=/mnt/b"})
              .dest(3, {"Type=2", "FTPHost=k", "FTPPassive=False"}));
    store("delta.sbd",
          SetDocumentFixture()
              .set("STATS", "ItemType", "01")
              .set("GENERAL", "RotationType", "2")
              .set("GENERAL", "DestCount", "1")
              .dest(1, {"Type=3", "EmailID=a@b", "Body=the type=2 copy"}));
    // The current destination has no section.
    store("epsilon.sbd",
          SetDocumentFixture()
              .set("STATS", "CurrentDestination", "2")
              .set("GENERAL", "DestCount", "1")
              .dest(1, {"Type=1", "LocalFolder=/mnt/b"}));
    store("zeta.sbd", QByteArray());
    store("Eta.sbd", SetDocumentFixture().set("GENERAL", "DestCount", "1").dest(1, {"Type=9"}));
    store("notes.txt", "not a set");
    store("Alpha.sfl", "/x|||||\r\n");
    store(".hidden.sbd", SetDocumentFixture().text().toUtf8());
    // File names compare exactly: the set would be loaded, run and saved as "Upper.sbd".
    store("Upper.SBD", SetDocumentFixture());
    store("Mixed.Sbd", SetDocumentFixture());
    ASSERT_TRUE(QDir().mkpath(programFile("data/folder.sbd")));

    const SetListing listing = LoadBackupSets(-1);
    const QString damaged = "frmMain.LoadBackupSets";
    EXPECT_TRUE(core::Err().Description.contains(damaged)) << qPrintable(core::Err().Description);

    const struct
    {
        const char* name;
        QStringList cells;
        bool valid;
    } expected[] = {
        {"Alpha",
         {"Restore", "05/12/2026 10:00:00", "10/12/2026 13:00:00", "Local/LAN", "Success", "01/11/2026 08:00:00",
          "00:01:02"},
         true},
        {"beta", {"Unknown", "", "10/12/2026 13:00:00", "Invalid file", "", "", ""}, false},
        {"delta", {"Backup", "", "", "All (Email)", "Never ran", "01/11/2026 08:00:00", ""}, true},
        {"epsilon", {"Backup", "", "", "", "Never ran", "01/11/2026 08:00:00", ""}, true},
        {"Eta", {"Backup", "", "", "", "Never ran", "01/11/2026 08:00:00", ""}, true},
        {"Gamma", {"Backup", "", "", "All (FTP, LAN)", "Unknown", "Unknown", ""}, true},
        {"zeta", {"Unknown", "", "", "Invalid file", "", "", ""}, false},
    };
    ASSERT_EQ(listing.rows.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const main_window::SetListRow& row = listing.rows.at(static_cast<qsizetype>(i));
        EXPECT_EQ(row.name, expected[i].name);
        EXPECT_EQ(row.cells, expected[i].cells) << expected[i].name;
        EXPECT_EQ(row.valid, expected[i].valid) << expected[i].name;
        EXPECT_EQ(row.problem.isEmpty(), expected[i].valid) << expected[i].name;
    }
    EXPECT_EQ(listing.rows.at(0).cell(main_window::NextRunTimeColumn), "10/12/2026 13:00:00");
    EXPECT_TRUE(listing.rows.at(1).problem.contains("STATS")) << qPrintable(listing.rows.at(1).problem);
    EXPECT_EQ(listing.selectedRow, 0);
}

TEST_F(BackupSetListTest, TheRowToLoadIsTheOneAskedForOrElseTheFirst)
{
    EXPECT_EQ(LoadBackupSets(-1).selectedRow, -1);
    EXPECT_TRUE(LoadBackupSets(-1).rows.isEmpty());
    for (const char* name : {"a.sbd", "b.sbd", "c.sbd"})
        store(name, SetDocumentFixture());

    const struct
    {
        int id;
        int row;
    } cases[] = {{-1, 0}, {1, 0}, {2, 1}, {3, 2}, {0, 0}, {4, 0}, {-7, 0}};
    for (const auto& c : cases) {
        const SetListing listing = LoadBackupSets(c.id);
        EXPECT_EQ(listing.rows.size(), 3);
        EXPECT_EQ(listing.selectedRow, c.row) << c.id;
    }
}
} // namespace
