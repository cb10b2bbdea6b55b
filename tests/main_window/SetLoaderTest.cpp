#include "main_window/SetLoader.h"

#include <QFile>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "core/SetDocument.h"
#include "core/SetText.h"
#include "platform/FileWriter.h"
#include "support/FailingWriter.h"
#include "support/ProgramFolderTest.h"
#include "support/SetDocumentFixtures.h"

using core::state;
using main_window::FileViewRow;
using main_window::SetLoader;
using Outcome = main_window::SetLoader::Outcome;
using test::SetDocumentFixture;

namespace
{
QStringList versionLines(int count)
{
    QStringList lines;
    for (int i = count; i >= 1; --i)
        lines << QStringLiteral("LAN|/mnt/b/v%1|/mnt/b/v%1/docs.zip|0%1/11/2026 10:00:00|1|1|0|").arg(i);
    return lines;
}

// Stands in for the engine's pruning: removes the oldest lines beyond the kept ones from the text.
struct FakePruning
{
    int calls = 0;
    QStringList versions;
    int keep = -1;
    int quantity = -1;
    QString loadedSetWhilePruning;
    std::function<void()> whilePruning;

    SetLoader::SyncVersionsFunction function()
    {
        return [this](QStringList& arrVersions, int& iKeep, int& iQuantity, QString& prjData) {
            ++calls;
            versions = arrVersions;
            keep = iKeep;
            quantity = iQuantity;
            loadedSetWhilePruning = state().CurrentSet.ItemName;
            if (whilePruning)
                whilePruning();
            while (iQuantity > iKeep) {
                prjData = core::DeleteVersion(prjData, arrVersions.at(iQuantity - 1));
                --iQuantity;
            }
        };
    }
};

class SetLoaderTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        loader.setSyncVersions(pruning.function());
    }

    void store(const QString& name, const QString& text) const
    {
        ASSERT_TRUE(test::writeFile(programFile("data/" + name + ".sbd"), text.toUtf8()));
    }
    QString stored(const QString& name) const
    {
        return QString::fromUtf8(test::readFile(programFile("data/" + name + ".sbd")));
    }

    SetLoader loader;
    FakePruning pruning;
};

TEST_F(SetLoaderTest, ADocumentTheStoreWroteLoadsIntoEveryField)
{
    core::BackupSetInfo written;
    written.ItemName = "Documents";
    written.ItemType = 0;
    written.Exclude = " *.tmp ;*.bak";
    written.Include = "*.*";
    written.ExcludeFolders = true;
    written.Destination = 2;
    written.LastFolder = "2026-12-01";
    written.BackupType = 1;
    written.UseTimeStamp = true;
    written.Accurancy = 2;
    written.TimeStampFormat = "yyyy-mm-dd#hh";
    written.FormatIndex = 3;
    written.DeleteBackups = 1;
    written.KeepVersions = 5;
    written.Compression = core::CompressionMode::ArchivePerFile;
    written.ProtectData = core::ProtectionMode::Blowfish;
    written.BFPassword = "s=cret";
    written.ZIPName = "docs.zip";
    written.Quality = "5";
    written.ArchiveCount = 0;
    written.Incremental = true;
    written.Schedule.Scheduler = true;
    written.Schedule.StartDate = "01/12/2026";
    written.Schedule.StartTime = "09:30:00";
    written.Schedule.Repeat = true;
    written.Schedule.SAccurancy = 1;
    written.Schedule.Period = "mon,fri";
    written.RotationType = core::RotationMode::EveryDestination;
    written.DestCount = 3;
    written.Dest[1].Type = core::DestinationType::Folder;
    written.Dest[1].LocalFolder = "/mnt/backup";
    written.Dest[2].Type = core::DestinationType::Ftp;
    written.Dest[2].FTPHost = "ftp.example.org";
    written.Dest[2].FTPPort = "21";
    written.Dest[2].FTPUser = "anna";
    written.Dest[2].FTPPass = "p\u00e4ss";
    written.Dest[2].FTPFolder = "/backups";
    written.Dest[2].FTPPassive = true;
    written.Dest[3].Type = core::DestinationType::Email;
    written.Dest[3].EmailID = "anna@example.org";
    written.Dest[3].Subject = "Backup";
    written.Dest[3].Body = "Attached, type=2 as always";
    state().NewBackupSet = written;
    ASSERT_TRUE(core::WriteProject({"/home/anna/Documents", "/home/anna/notes.tmp", "/home/anna/a.txt"}));

    const SetLoader::Result result = loader.LoadBackup("Documents");
    ASSERT_EQ(result.outcome, Outcome::Loaded) << qPrintable(result.reason);

    // What the document does not store: the run's own values and the incremental flag.
    core::BackupSetInfo expected = written;
    expected.Ran = false;
    expected.CurrentDestination = 1;
    expected.Incremental = false;
    const core::BackupSetInfo& loaded = state().CurrentSet;
    EXPECT_EQ(loaded.ItemName, expected.ItemName);
    EXPECT_EQ(loaded.ItemType, expected.ItemType);
    EXPECT_EQ(loaded.Exclude, expected.Exclude);
    EXPECT_EQ(loaded.Include, expected.Include);
    EXPECT_EQ(loaded.ExcludeFolders, expected.ExcludeFolders);
    EXPECT_EQ(loaded.Destination, expected.Destination);
    EXPECT_EQ(loaded.LastFolder, expected.LastFolder);
    EXPECT_EQ(loaded.BackupType, expected.BackupType);
    EXPECT_EQ(loaded.UseTimeStamp, expected.UseTimeStamp);
    EXPECT_EQ(loaded.Accurancy, expected.Accurancy);
    EXPECT_EQ(loaded.TimeStampFormat, expected.TimeStampFormat);
    EXPECT_EQ(loaded.FormatIndex, expected.FormatIndex);
    EXPECT_EQ(loaded.DeleteBackups, expected.DeleteBackups);
    EXPECT_EQ(loaded.KeepVersions, expected.KeepVersions);
    EXPECT_EQ(loaded.Compression, expected.Compression);
    EXPECT_EQ(loaded.ProtectData, expected.ProtectData);
    EXPECT_EQ(loaded.BFPassword, expected.BFPassword);
    EXPECT_EQ(loaded.ZIPName, expected.ZIPName);
    EXPECT_EQ(loaded.Quality, expected.Quality);
    EXPECT_EQ(loaded.Ran, expected.Ran);
    EXPECT_EQ(loaded.ArchiveCount, expected.ArchiveCount);
    EXPECT_FALSE(loaded.LoadFailed);
    EXPECT_EQ(loaded.Incremental, expected.Incremental);
    EXPECT_EQ(loaded.DestCount, expected.DestCount);
    EXPECT_EQ(loaded.RotationType, expected.RotationType);
    EXPECT_EQ(loaded.CurrentDestination, expected.CurrentDestination);
    const auto& schedule = loaded.Schedule;
    EXPECT_EQ(schedule.Scheduler, expected.Schedule.Scheduler);
    EXPECT_EQ(schedule.StartDate, expected.Schedule.StartDate);
    EXPECT_EQ(schedule.StartTime, expected.Schedule.StartTime);
    EXPECT_EQ(schedule.Repeat, expected.Schedule.Repeat);
    EXPECT_EQ(schedule.SAccurancy, expected.Schedule.SAccurancy);
    EXPECT_EQ(schedule.Period, expected.Schedule.Period);
    EXPECT_EQ(schedule.RunOnStart, expected.Schedule.RunOnStart);
    EXPECT_EQ(schedule.RunOnEnd, expected.Schedule.RunOnEnd);
    for (int n = 1; n <= core::MaxDestinations; ++n) {
        const core::DestinationInfo& got = loaded.Dest[n];
        const core::DestinationInfo& want = expected.Dest[n];
        EXPECT_EQ(got.Type, want.Type) << n;
        EXPECT_EQ(got.LocalFolder, want.LocalFolder) << n;
        EXPECT_EQ(got.FTPHost, want.FTPHost) << n;
        EXPECT_EQ(got.FTPPort, want.FTPPort) << n;
        EXPECT_EQ(got.FTPUser, want.FTPUser) << n;
        EXPECT_EQ(got.FTPPass, want.FTPPass) << n;
        EXPECT_EQ(got.FTPFolder, want.FTPFolder) << n;
        EXPECT_EQ(got.FTPPassive, want.FTPPassive) << n;
        EXPECT_EQ(got.EmailID, want.EmailID) << n;
        EXPECT_EQ(got.Subject, want.Subject) << n;
        EXPECT_EQ(got.Body, want.Body) << n;
    }

    EXPECT_EQ(state().strSetText, stored("Documents"));
    EXPECT_EQ(loader.globalfiles(), QStringList({"/home/anna/Documents", "/home/anna/notes.tmp", "/home/anna/a.txt"}));
    EXPECT_EQ(loader.globalexcludes(), QStringList({"*.tmp", "*.bak"}));
    EXPECT_TRUE(loader.globalVersions().isEmpty());
    EXPECT_EQ(result.setName, "Documents");
    EXPECT_EQ(result.fileRows,
              QList<FileViewRow>(
                  {{"/home/anna/Documents", false}, {"/home/anna/notes.tmp", true}, {"/home/anna/a.txt", false}}));
    // Weekly on Monday and Friday at 09:30, seen on Thursday 10 December 2026 at noon.
    EXPECT_EQ(result.nextRunTime, "11/12/2026 09:30:00");
    EXPECT_EQ(pruning.calls, 0);
}

TEST_F(SetLoaderTest, AMissingEmptyOrDamagedDocumentLeavesTheLoadedSetAsItWas)
{
    store("Good",
          SetDocumentFixture()
              .set("GENERAL", "ItemName", "Good")
              .set("GENERAL", "Exclude", "*.tmp")
              .files({"/data/a.txt\t46000\t3", "/data/b.tmp"})
              .versions(versionLines(2))
              .text());
    store("Empty", "");
    store("Blank", "\r\n");
    store("NoSchedule", SetDocumentFixture().set("GENERAL", "ItemName", "NoSchedule").drop("SCHEDULER").text());
    store("BadCount", SetDocumentFixture().set("GENERAL", "DestCount", "many").files({"/other"}).text());
    ASSERT_EQ(loader.LoadBackup("Good").outcome, Outcome::Loaded);
    const QString goodText = state().strSetText;

    const struct
    {
        const char* name;
        qint32 number;
    } cases[] = {
        {"Missing", core::err::FileNotFound},  {"Empty", core::err::InvalidArgument},
        {"Blank", core::err::InvalidArgument}, {"NoSchedule", core::err::InvalidArgument},
        {"BadCount", core::err::TypeMismatch}, {"../Good", core::err::InvalidArgument},
    };
    for (const auto& c : cases) {
        core::resetErrors();
        const SetLoader::Result result = loader.LoadBackup(c.name);
        EXPECT_EQ(result.outcome, Outcome::Failed) << c.name;
        EXPECT_EQ(result.setName, c.name);
        EXPECT_FALSE(result.reason.isEmpty()) << c.name;
        EXPECT_TRUE(result.fileRows.isEmpty()) << c.name;
        EXPECT_EQ(core::Err().Number, c.number) << c.name;
        EXPECT_TRUE(state().CurrentSet.LoadFailed) << c.name;
        EXPECT_EQ(state().CurrentSet.ItemName, "Good") << c.name;
        EXPECT_EQ(state().CurrentSet.Exclude, "*.tmp") << c.name;
        EXPECT_EQ(state().strSetText, goodText) << c.name;
        EXPECT_EQ(loader.globalfiles(), QStringList({"/data/a.txt\t46000\t3", "/data/b.tmp"})) << c.name;
        EXPECT_EQ(loader.globalexcludes(), QStringList({"*.tmp"})) << c.name;
        EXPECT_EQ(loader.globalVersions(), versionLines(2)) << c.name;
    }
    EXPECT_EQ(stored("Blank"), "\r\n");

    ASSERT_EQ(loader.LoadBackup("Good").outcome, Outcome::Loaded);
    EXPECT_FALSE(state().CurrentSet.LoadFailed);
}

TEST_F(SetLoaderTest, NothingOfTheSetLoadedBeforeStaysBehind)
{
    store("First",
          SetDocumentFixture()
              .set("GENERAL", "ItemName", "First")
              .set("GENERAL", "UseTimeStamp", "-1")
              .set("GENERAL", "DestCount", "2")
              .set("GENERAL", "Scheduler", "-1")
              .dest(1, {"Type=2", "FTPHost=ftp.first", "FTPPassive=True"})
              .dest(2, {"Type=1", "LocalFolder=/mnt/first"})
              .versions(versionLines(1))
              .text());
    store("Second",
          SetDocumentFixture()
              .set("GENERAL", "ItemName", "Second")
              .drop("TIMESTAMP")
              .set("GENERAL", "DestCount", "2")
              .dest(1, {"Type=1", "LocalFolder=/mnt/second"})
              .dest(2, {})
              .text());
    ASSERT_EQ(loader.LoadBackup("First").outcome, Outcome::Loaded);
    EXPECT_EQ(state().CurrentSet.KeepVersions, 7);
    EXPECT_EQ(state().CurrentSet.Dest[2].LocalFolder, "/mnt/first");

    const SetLoader::Result second = loader.LoadBackup("Second");
    ASSERT_EQ(second.outcome, Outcome::Loaded) << qPrintable(second.reason);
    const core::BackupSetInfo& set = state().CurrentSet;
    EXPECT_EQ(set.Accurancy, 0);
    EXPECT_EQ(set.TimeStampFormat, "");
    EXPECT_EQ(set.KeepVersions, 0);
    EXPECT_EQ(set.Dest[1].Type, core::DestinationType::Folder);
    EXPECT_EQ(set.Dest[1].FTPHost, "");
    EXPECT_FALSE(set.Dest[1].FTPPassive);
    EXPECT_EQ(set.Dest[2].Type, core::DestinationType::Unused);
    EXPECT_EQ(set.Dest[2].LocalFolder, "");
    EXPECT_TRUE(loader.globalVersions().isEmpty());
    EXPECT_EQ(second.nextRunTime, "");
}

TEST_F(SetLoaderTest, OldVersionsArePrunedExactlyWhenTheKeepingRuleIsDue)
{
    const struct
    {
        const char* what;
        const char* useTimeStamp;
        const char* deleteBackups;
        const char* keep;
        int lines;
        bool pruned;
    } cases[] = {
        {"five lines, keep three", "-1", "1", "3", 5, true},
        {"four lines, keep three", "-1", "1", "3", 4, true},
        {"three lines, keep three", "-1", "1", "3", 3, false},
        {"keep none", "-1", "1", "0", 2, true},
        {"no lines", "-1", "1", "3", 0, false},
        {"time stamps off", "0", "1", "3", 5, false},
        {"keep all", "-1", "0", "3", 5, false},
        {"keep for a period", "-1", "2", "3", 5, false},
        {"negative keeping count", "-1", "1", "-2", 5, false},
    };
    for (const auto& c : cases) {
        const QString text = SetDocumentFixture()
                                 .set("GENERAL", "ItemName", "Kept")
                                 .set("GENERAL", "UseTimeStamp", c.useTimeStamp)
                                 .set("TIMESTAMP", "DeleteBackups", c.deleteBackups)
                                 .set("TIMESTAMP", "KeepVersions", c.keep)
                                 .versions(versionLines(c.lines))
                                 .text();
        store("Kept", text);
        QFile::remove(programFile("data/Kept.sbd.bak"));
        pruning = FakePruning();

        const SetLoader::Result result = loader.LoadBackup("Kept");
        ASSERT_EQ(result.outcome, Outcome::Loaded) << c.what;
        if (!c.pruned) {
            EXPECT_EQ(pruning.calls, 0) << c.what;
            EXPECT_EQ(stored("Kept"), text) << c.what;
            EXPECT_FALSE(QFile::exists(programFile("data/Kept.sbd.bak"))) << c.what;
            EXPECT_EQ(state().strSetText, text) << c.what;
            continue;
        }
        const int keep = QString(c.keep).toInt();
        EXPECT_EQ(pruning.calls, 1) << c.what;
        EXPECT_EQ(pruning.keep, keep) << c.what;
        EXPECT_EQ(pruning.quantity, c.lines) << c.what;
        EXPECT_EQ(pruning.versions, versionLines(c.lines)) << c.what;
        EXPECT_EQ(pruning.loadedSetWhilePruning, "Kept") << c.what;

        const QStringList kept = versionLines(c.lines).mid(0, keep);
        EXPECT_EQ(core::sectionLines(state().strSetText, "VERSIONS"), kept) << c.what;
        EXPECT_EQ(core::sectionLines(stored("Kept"), "VERSIONS"), kept) << c.what;
        EXPECT_EQ(test::readFile(programFile("data/Kept.sbd.bak")), text.toUtf8()) << c.what;
        EXPECT_EQ(loader.globalVersions(), kept) << c.what;
    }
}

TEST_F(SetLoaderTest, ADocumentInTheOriginalsCodePageIsReadAndPrunedWhole)
{
    const QString text = SetDocumentFixture()
                             .set("GENERAL", "ItemName", "Alt")
                             .set("GENERAL", "BFPassword", QString::fromUtf8("pässwort"))
                             .set("GENERAL", "UseTimeStamp", "-1")
                             .set("GENERAL", "DestCount", "1")
                             .set("TIMESTAMP", "DeleteBackups", "1")
                             .set("TIMESTAMP", "KeepVersions", "1")
                             .files({QString::fromUtf8("/home/u/Müller")})
                             .versions(versionLines(2))
                             .dest(1,
                                   {"Type=2", "FTPHost=h", "FTPPort=21", "FTPUser=anna",
                                    "FTPPass=" + core::ScramblePassword(QString::fromUtf8("kennwört")), "FTPFolder=/",
                                    "FTPPassive=False"})
                             .text();
    const QByteArray latin1 = text.toLatin1();
    ASSERT_TRUE(test::writeFile(programFile("data/Alt.sbd"), latin1));

    ASSERT_EQ(loader.LoadBackup("Alt").outcome, Outcome::Loaded);
    const core::BackupSetInfo& set = state().CurrentSet;
    EXPECT_EQ(set.BFPassword, QString::fromUtf8("pässwort"));
    EXPECT_EQ(set.Dest[1].FTPPass, QString::fromUtf8("kennwört"));
    EXPECT_EQ(loader.globalfiles().value(0), QString::fromUtf8("/home/u/Müller"));
    // The pruned document is saved in UTF-8 with every other character as it was.
    EXPECT_EQ(pruning.calls, 1);
    EXPECT_EQ(stored("Alt"), core::DeleteVersion(text, versionLines(2).at(1)));
    EXPECT_EQ(test::readFile(programFile("data/Alt.sbd.bak")), latin1);
}

TEST_F(SetLoaderTest, ALoadWhilePruningIsRefused)
{
    store("Busy",
          SetDocumentFixture()
              .set("GENERAL", "ItemName", "Busy")
              .set("GENERAL", "UseTimeStamp", "-1")
              .set("TIMESTAMP", "DeleteBackups", "1")
              .set("TIMESTAMP", "KeepVersions", "1")
              .versions(versionLines(3))
              .text());
    store("Other", SetDocumentFixture().set("GENERAL", "ItemName", "Other").text());
    SetLoader::Result inner;
    pruning.whilePruning = [&] {
        EXPECT_TRUE(loader.loading());
        inner = loader.LoadBackup("Other");
    };

    const SetLoader::Result outer = loader.LoadBackup("Busy");
    EXPECT_EQ(inner.outcome, Outcome::Refused);
    EXPECT_FALSE(inner.reason.isEmpty());
    EXPECT_EQ(outer.outcome, Outcome::Loaded);
    EXPECT_FALSE(loader.loading());
    EXPECT_EQ(state().CurrentSet.ItemName, "Busy");
    EXPECT_FALSE(state().CurrentSet.LoadFailed);
    EXPECT_EQ(core::sectionLines(stored("Busy"), "VERSIONS"), versionLines(3).mid(0, 1));
    EXPECT_EQ(loader.LoadBackup("Other").outcome, Outcome::Loaded);
}

TEST_F(SetLoaderTest, TheSetIsKnownByItsDocumentsName)
{
    // A copied document still names its original set inside; pruning must save the copy, not the original.
    const QString original = SetDocumentFixture()
                                 .set("GENERAL", "ItemName", "Original")
                                 .set("GENERAL", "UseTimeStamp", "-1")
                                 .set("TIMESTAMP", "DeleteBackups", "1")
                                 .set("TIMESTAMP", "KeepVersions", "1")
                                 .versions(versionLines(2))
                                 .text();
    store("Original", original);
    store("Copy", original);

    ASSERT_EQ(loader.LoadBackup("Copy").outcome, Outcome::Loaded);
    EXPECT_EQ(state().CurrentSet.ItemName, "Copy");
    EXPECT_EQ(stored("Original"), original);
    EXPECT_EQ(core::sectionLines(stored("Copy"), "VERSIONS"), versionLines(2).mid(0, 1));
}

TEST_F(SetLoaderTest, APrunedTextThatCannotBeSavedIsStillTheLoadedText)
{
    test::FullDisk fullDisk;
    const QString text = SetDocumentFixture()
                             .set("GENERAL", "ItemName", "Full")
                             .set("GENERAL", "UseTimeStamp", "-1")
                             .set("TIMESTAMP", "DeleteBackups", "1")
                             .set("TIMESTAMP", "KeepVersions", "1")
                             .versions(versionLines(2))
                             .text();
    store("Full", text);
    platform::setFileWriter(&fullDisk);
    const SetLoader::Result result = loader.LoadBackup("Full");
    platform::setFileWriter(nullptr);

    // The archives are gone, so memory holds the pruned list for the next save; the stored document
    // is untouched and the failure is reported.
    EXPECT_EQ(result.outcome, Outcome::Loaded);
    EXPECT_EQ(core::sectionLines(state().strSetText, "VERSIONS"), versionLines(2).mid(0, 1));
    EXPECT_EQ(stored("Full"), text);
    EXPECT_TRUE(core::Err().Description.contains("No space left on device")) << qPrintable(core::Err().Description);
}
} // namespace
