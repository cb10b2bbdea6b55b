#include "engine/RunRecorder.h"

#include <functional>
#include <vector>

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "core/SetText.h"
#include "engine/FolderDelivery.h"
#include "platform/FileWriter.h"
#include "support/FailingWriter.h"
#include "support/ProgramFolderTest.h"

namespace
{

QString documentText(const QString& setName)
{
    return QString::fromUtf8(test::readFile(core::setDocumentPath(setName)));
}

// The main window's set list: remembers every status shown and what the saved document held then.
class RecordingMainWindow : public core::MainWindowServices
{
public:
    RecordingMainWindow() { core::setMainWindowServices(this); }
    ~RecordingMainWindow() override { core::setMainWindowServices(nullptr); }

    bool setSetRowCell(const QString& setName, int subItem, const QString& text) override
    {
        if (subItem == 5) {
            shownStatuses << text;
            savedStatuses << core::ExtractItem(documentText(setName), "Status");
        }
        return true;
    }
    void showFileList(const QStringList&, const QList<bool>&) override { }
    QStringList& globalVersions() override { return versions; }

    QStringList shownStatuses;
    QStringList savedStatuses;
    QStringList versions;
};

class RunRecorderTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        core::state().LoggingEnabled = true;
    }

    // Writes the set's document with destinations of the given types and loads it.
    void makeSet(const std::vector<int>& types, int rotation)
    {
        core::BackupSetInfo& fresh = core::state().NewBackupSet;
        fresh = core::BackupSetInfo {};
        fresh.ItemName = "Docs";
        fresh.ZIPName = "Docs.zip";
        fresh.DestCount = int(types.size());
        fresh.RotationType = core::fromStoredCode<core::RotationMode>(rotation);
        for (int i = 0; i < int(types.size()); ++i) {
            fresh.Dest[i + 1].Type = core::fromStoredCode<core::DestinationType>(types.at(i));
            fresh.Dest[i + 1].LocalFolder = programFile("backup" + QString::number(i + 1));
        }
        QFile::remove(core::setDocumentPath("Docs"));
        ASSERT_TRUE(core::WriteProject({programFile("source/Docs")}));
        set = fresh;
        set.CurrentDestination = 1;
        text = documentText("Docs");
    }

    QString log() const { return QString::fromUtf8(test::readFile(core::RunLogPath())); }
    QString saved(const QString& key) const { return core::ExtractItem(documentText("Docs"), key); }
    QStringList savedVersions() const { return core::sectionLines(documentText("Docs"), "VERSIONS"); }

    core::BackupSetInfo set;
    QString text;
    RecordingMainWindow mainWindow;
};

TEST(DurationText, HoursMinutesAndSeconds)
{
    const QDateTime start(QDate(2026, 12, 10), QTime(23, 30, 0));
    const struct
    {
        qint64 seconds;
        const char* text;
    } cases[] = {
        {0, "0:00:00"}, {95, "0:01:35"}, {3600 + 59, "1:00:59"}, {25 * 3600 + 61, "25:01:01"}, {-5, "0:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine::durationText(start, start.addSecs(c.seconds)), c.text) << c.seconds;
}

TEST_F(RunRecorderTest, FailureTextsNameEachDestinationAndTheOnesBefore)
{
    const struct
    {
        std::vector<int> types;
        int rotation;
        // Per destination delivered: whether it arrived and the reason its delivery left.
        std::vector<std::pair<bool, QString>> deliveries;
        bool stopped;
        QStringList statuses;
    } cases[] = {
        {{1}, 1, {{false, ""}}, false, {"FAILURE (Destination1 LAN = FAILURE)"}},
        {{2, 1}, 1, {{false, ""}}, true, {"FAILURE (Destination1 FTP = CANCELLED)"}},
        {{3},
         1,
         {{false, "Could not connect to mail.example.org - timed out"}},
         false,
         {"FAILURE Could not connect to mail.example.org - timed out"}},
        {{1, 3, 1},
         2,
         {{true, ""}, {false, ""}, {true, ""}},
         false,
         {"Success", "FAILURE (Destination1 LAN = Success) (Destination2 EMAIL = FAILURE)",
          "FAILURE (Destination1 LAN = Success) (Destination2 EMAIL = FAILURE) (Destination3 LAN = Success)"}},
        {{3, 2},
         2,
         {{true, ""}, {false, ""}},
         true,
         {"Success", "FAILURE (Destination1 Email = Success) (Destination2 FTP = CANCELLED)"}},
        // A reason belongs to its own destination, and an earlier failure is not called a success.
        {{1, 1, 1},
         2,
         {{true, ""}, {false, "Could not create folder: /x"}, {false, ""}},
         false,
         {"Success", "FAILURE (Destination1 LAN = Success) Could not create folder: /x",
          "FAILURE (Destination1 LAN = Success) (Destination2 LAN = FAILURE) (Destination3 LAN = FAILURE)"}},
        {{7}, 1, {{true, ""}}, false, {"FAILURE (Destination1 has the unknown type 7)"}},
        {{7}, 1, {{false, ""}}, true, {"FAILURE (CANCELLED)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statuses.join(" / ").toStdString());
        makeSet(c.types, c.rotation);
        mainWindow.shownStatuses.clear();
        core::state().bStopBackup = c.stopped;
        engine::RunRecorder recorder(set, text, clock.now());
        ASSERT_TRUE(recorder.beginRun());
        QStringList statuses;
        for (const auto& [delivered, reason] : c.deliveries) {
            recorder.beginDestination();
            if (!reason.isEmpty())
                core::state().strFailureReason = reason;
            statuses << recorder.recordDestination(delivered, 100);
            EXPECT_EQ(saved("Status"), statuses.last());
        }
        EXPECT_EQ(statuses, c.statuses);
        EXPECT_EQ(mainWindow.shownStatuses, c.statuses);
        EXPECT_EQ(recorder.overallOK(), !c.statuses.join("").contains("FAILURE"));
    }
}

TEST_F(RunRecorderTest, ASuccessRecordsTheVersionWithTheBytesThatArrivedAndTheDuration)
{
    makeSet({1, 1, 1}, 1);
    set.CurrentDestination = 3;
    set.RunDestType = core::DestinationType::Folder;
    set.RunLanFolder = "/mnt/backup3/";
    // The archive's version of the day before is replaced, in the document and in the window.
    const QString older = "LAN|/mnt/backup3/|/mnt/backup3/Docs.zip|09/12/2026 12:00:00|1|0|0|";
    text = core::AddVersion(text, older, {});
    ASSERT_TRUE(core::SaveProject("Docs", text));
    mainWindow.versions = {older};
    engine::RunRecorder recorder(set, text, clock.now());
    ASSERT_TRUE(recorder.beginRun());
    ASSERT_EQ(recorder.destinationsThisRun(), 1);
    EXPECT_EQ(recorder.beginDestination(), 3);
    clock.advanceSeconds(95);

    EXPECT_EQ(recorder.recordDestination(true, 5LL << 30), "Success");

    EXPECT_EQ(set.CurrentDestination, 1);
    EXPECT_EQ(saved("CurrentDestination"), "1");
    EXPECT_EQ(saved("Duration"), "0:01:35");
    EXPECT_EQ(savedVersions(),
              QStringList {"LAN|/mnt/backup3/|/mnt/backup3/Docs.zip|10/12/2026 12:01:35|5242880|0|0|"});
    EXPECT_EQ(mainWindow.versions, QStringList {""});
    EXPECT_TRUE(QFileInfo::exists(core::setDocumentPath("Docs") + ".bak"));
    EXPECT_TRUE(log().contains("---------Destination: 3\r\n"));
    EXPECT_TRUE(log().contains("Finished - No Rotation\r\n"));
    EXPECT_TRUE(log().contains("Backup Complete: Success!\r\n"));
    EXPECT_FALSE(log().contains("Moving to next backup"));

    const engine::FinalStatus status = recorder.finish("Error 53 File not found\r\nFile: /gone.txt\r\n\r\n");
    EXPECT_TRUE(status.succeeded());
    EXPECT_EQ(status.statusText, "Backup Successful\r\nError 53 File not found\r\nFile: /gone.txt\r\n\r\n");
    EXPECT_TRUE(status.headline.isEmpty());
    EXPECT_TRUE(log().endsWith("Overall Status: Success\r\n"));
}

TEST_F(RunRecorderTest, AVersionThatLacksFilesIsRecordedAsIncomplete)
{
    const struct
    {
        std::vector<int> types;
        int rotation;
        // Per destination delivered: whether it arrived, and how many files its version lacks.
        std::vector<std::pair<bool, int>> deliveries;
        QStringList statuses;
    } cases[] = {
        {{1}, 1, {{true, 1}}, {"Success (incomplete: 1 file missing)"}},
        {{2, 1}, 1, {{true, 3}}, {"Success (incomplete: 3 files missing)"}},
        // A failed delivery is a failure, whatever it lacked.
        {{3}, 1, {{false, 2}}, {"FAILURE (Destination1 EMAIL = FAILURE)"}},
        // A run over several destinations keeps what each version lacks in the set's status.
        {{1, 2, 3},
         2,
         {{true, 2}, {true, 0}, {true, 1}},
         {"Success (incomplete: 2 files missing at destination 1)",
          "Success (incomplete: 2 files missing at destination 1)",
          "Success (incomplete: 2 files missing at destination 1; 1 file missing at destination 3)"}},
        {{1, 1, 3},
         2,
         {{true, 1}, {false, 0}, {true, 2}},
         {"Success (incomplete: 1 file missing at destination 1)",
          "FAILURE (Destination1 LAN = Success, 1 file missing) (Destination2 LAN = FAILURE)",
          "FAILURE (Destination1 LAN = Success, 1 file missing) (Destination2 LAN = FAILURE) (Destination3 Email = "
          "Success, 2 files missing)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statuses.join(" / ").toStdString());
        makeSet(c.types, c.rotation);
        mainWindow.shownStatuses.clear();
        QFile::remove(core::RunLogPath());
        set.RunDestType = core::DestinationType::Folder;
        set.RunLanFolder = "/mnt/backup1/";
        engine::RunRecorder recorder(set, text, clock.now());
        ASSERT_TRUE(recorder.beginRun());
        QStringList statuses;
        int versions = 0;
        for (const auto& [delivered, missing] : c.deliveries) {
            recorder.beginDestination();
            statuses << recorder.recordDestination(delivered, 100, missing);
            EXPECT_EQ(saved("Status"), statuses.last());
            versions += delivered ? 1 : 0;
            // An incomplete version is still on record: what arrived can be restored.
            EXPECT_EQ(savedVersions().size(), std::min(versions, 1));
            if (delivered && missing > 0)
                EXPECT_TRUE(log().contains(" The version is incomplete: "
                                           + QString(missing == 1 ? "1 file missing" : "%1 files missing").arg(missing)
                                           + "\r\n"));
        }
        EXPECT_EQ(statuses, c.statuses);
        EXPECT_EQ(mainWindow.shownStatuses, c.statuses);
        const bool failed = c.statuses.last().startsWith("FAILURE");
        EXPECT_EQ(recorder.overallOK(), !failed);
        // The run window keeps its words: a success lists the files that did not arrive after them.
        const QString errors = "Error 53 File not found\r\nFile: /gone.txt\r\n\r\n";
        const engine::FinalStatus status = recorder.finish(errors);
        if (!failed)
            EXPECT_EQ(status.statusText, "Backup Successful\r\n" + errors);
    }
}

TEST_F(RunRecorderTest, ADeliveryWhoseVersionIsNotOnRecordFailsTheRun)
{
    test::FullDisk fullDisk;
    const struct
    {
        QString folder;
        bool diskFull;
        // The document has lost its closing "</VERSIONS>".
        bool openVersions;
        QString savedStatus;
        QString reason;
    } cases[] = {
        // The line would not split into its fields again.
        {"/mnt/back|up1/", false, false,
         "FAILURE (Destination1) The outcome could not be recorded in full: The version line cannot be recorded: its "
         "folder holds \"|\", which separates the fields of a version line.",
         "(Destination1) The outcome could not be recorded in full: The version line cannot be recorded"},
        {"/mnt/backup1/", true, false, "Never ran",
         "(Destination1) The set could not be saved: No space left on device"},
        {"/mnt/backup1/", false, true,
         "FAILURE (Destination1) The outcome could not be recorded in full: The version line could not be added: the "
         "set document has no whole VERSIONS section.",
         "(Destination1) The outcome could not be recorded in full: The version line could not be added"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        makeSet({1}, 1);
        mainWindow.shownStatuses.clear();
        QFile::remove(core::RunLogPath());
        if (c.openVersions) {
            text.remove("</VERSIONS>");
            ASSERT_TRUE(test::writeFile(core::setDocumentPath("Docs"), text.toUtf8()));
        }
        set.RunDestType = core::DestinationType::Folder;
        set.RunLanFolder = c.folder;
        engine::RunRecorder recorder(set, text, clock.now());
        ASSERT_TRUE(recorder.beginRun());
        recorder.beginDestination();
        if (c.diskFull)
            platform::setFileWriter(&fullDisk);
        // The files arrived, but the set cannot say so.
        const QString status = recorder.recordDestination(true, 100);
        platform::setFileWriter(nullptr);

        EXPECT_TRUE(status.startsWith("FAILURE " + c.reason)) << status.toStdString();
        EXPECT_EQ(mainWindow.shownStatuses, QStringList {status});
        EXPECT_EQ(saved("Status"), c.savedStatus);
        EXPECT_TRUE(savedVersions().isEmpty());
        EXPECT_FALSE(documentText("Docs").contains("LAN|"));
        EXPECT_FALSE(log().contains("Backup Complete: Success!"));
        EXPECT_TRUE(log().contains("Backup Complete: " + status + "\r\n")) << log().toStdString();
        EXPECT_FALSE(recorder.overallOK());
        const engine::FinalStatus final = recorder.finish(QString());
        EXPECT_FALSE(final.succeeded());
        EXPECT_EQ(final.headline, "The backup could not be completed successfully.");
        EXPECT_EQ(final.statusText, status.mid(8));
        EXPECT_TRUE(log().endsWith("Overall Status: FAILURE\r\n"));
    }
}

TEST_F(RunRecorderTest, ASetThatCannotBeDeliveredFailsWithItsReason)
{
    const struct
    {
        int destinations;
        int rotation;
        QString reason;
    } cases[] = {
        {0, 1, "The set has no destination."},
        {2, 0, "The set's rotation 0 is neither 1 (one destination a run) nor 2 (every destination)."},
        {2, 3, "The set's rotation 3 is neither 1 (one destination a run) nor 2 (every destination)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        makeSet(std::vector<int>(c.destinations, 1), c.rotation);
        set.CurrentDestination = 2;
        engine::RunRecorder recorder(set, text, clock.now());

        EXPECT_FALSE(recorder.beginRun());
        EXPECT_EQ(recorder.destinationsThisRun(), 0);

        EXPECT_EQ(saved("Status"), "FAILURE " + c.reason);
        EXPECT_EQ(saved("CurrentDestination"), "1");
        EXPECT_TRUE(savedVersions().isEmpty());
        const engine::FinalStatus status = recorder.finish(QString());
        EXPECT_FALSE(status.succeeded());
        EXPECT_EQ(status.statusText, c.reason);
        EXPECT_EQ(status.headline, "The backup could not be completed successfully.");
        EXPECT_TRUE(log().contains("Backup Complete: FAILURE " + c.reason + "\r\n"));
        EXPECT_TRUE(log().endsWith("Overall Status: FAILURE\r\n"));
    }
}

TEST_F(RunRecorderTest, TheCancelledEndingSavesBeforeItShowsAndKeepsTheRotation)
{
    const struct
    {
        int destinationsBefore;
        bool stopped;
        QString reasonLeft;
        QString recorded;
    } cases[] = {
        {-1, true, "", "(CANCELLED)"},
        {-1, false, "An error occurred while zipping the files, please try again",
         "An error occurred while zipping the files, please try again"},
        {0, true, "", "(Destination1 LAN = CANCELLED)"},
        {1, true, "", "(Destination1 LAN = Success) (Destination2 EMAIL = CANCELLED)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.recorded.toStdString());
        makeSet({1, 3}, 2);
        QFile::remove(core::RunLogPath());
        mainWindow.shownStatuses.clear();
        mainWindow.savedStatuses.clear();
        core::state().bStopBackup = false;
        engine::RunRecorder recorder(set, text, clock.now());
        ASSERT_TRUE(recorder.beginRun());
        for (int i = 0; i < c.destinationsBefore; ++i) {
            recorder.beginDestination();
            recorder.recordDestination(true, 1);
        }
        if (c.destinationsBefore >= 0)
            recorder.beginDestination();
        const QString currentBefore = core::ExtractItem(text, "CurrentDestination");
        core::state().bStopBackup = c.stopped;
        core::state().strFailureReason = c.reasonLeft;
        clock.advanceSeconds(95);

        EXPECT_EQ(recorder.recordCancelled(), c.recorded);

        EXPECT_EQ(saved("Status"), "FAILURE " + c.recorded);
        EXPECT_EQ(saved("Duration"), "0:01:35");
        EXPECT_EQ(saved("CurrentDestination"), currentBefore);
        EXPECT_EQ(mainWindow.shownStatuses.last(), "FAILURE " + c.recorded);
        EXPECT_EQ(mainWindow.savedStatuses.last(), "FAILURE " + c.recorded);
        EXPECT_TRUE(core::state().strFailureReason.isEmpty());
        EXPECT_FALSE(recorder.overallOK());
        EXPECT_TRUE(log().contains("=============BACKUP WAS CANCELLED (By error or user)=============\r\n"));
        EXPECT_TRUE(log().endsWith("FAILURE REASON: " + c.recorded + "\r\n"));
    }
}

TEST_F(RunRecorderTest, TheOutcomeGoesIntoTheDocumentAsItIsNow)
{
    const QString added = programFile("source/Added");
    ASSERT_TRUE(test::writeFile(added + "/n.txt", "new"));
    const struct
    {
        const char* name;
        // What happens to the document while the set runs.
        std::function<void(const QString& path)> meanwhile;
    } cases[] = {
        {"edited",
         [&](const QString& path) {
             QString edited = documentText("Docs");
             edited = core::ReplaceValue(edited, "Exclude", "*.tmp");
             edited.replace("<FILES>\r\n", "<FILES>\r\n" + added + "\r\n");
             ASSERT_TRUE(test::writeFile(path, edited.toUtf8()));
         }},
        {"deleted", [](const QString& path) { ASSERT_TRUE(QFile::remove(path)); }},
        {"damaged", [](const QString& path) { ASSERT_TRUE(test::writeFile(path, "not a set document\r\n")); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        makeSet({1, 1}, 1);
        QFile::remove(core::RunLogPath());
        set.RunDestType = core::DestinationType::Folder;
        set.RunLanFolder = "/mnt/backup1/";
        const QString path = core::setDocumentPath("Docs");
        engine::RunRecorder recorder(set, text, clock.now());
        ASSERT_TRUE(recorder.beginRun());
        recorder.beginDestination();
        c.meanwhile(path);

        EXPECT_EQ(recorder.recordDestination(true, 100), "Success");

        const std::string name = c.name;
        if (name == "deleted") {
            EXPECT_FALSE(QFileInfo::exists(path));
            EXPECT_TRUE(log().contains("The set \"Docs\" was deleted while it ran; its outcome is not recorded: "
                                       "Success\r\n"));
            continue;
        }
        EXPECT_EQ(saved("Status"), "Success");
        EXPECT_EQ(saved("CurrentDestination"), "2");
        ASSERT_EQ(savedVersions().size(), 1);
        EXPECT_TRUE(savedVersions().first().startsWith("LAN|/mnt/backup1/|"));
        // The run hands on what it saved.
        EXPECT_EQ(core::sectionLines(text, "VERSIONS"), savedVersions());
        if (name == "edited") {
            EXPECT_EQ(saved("Exclude"), "*.tmp");
            EXPECT_EQ(core::ExtractItem(text, "Exclude"), "*.tmp");
            const QStringList files = core::sectionLines(documentText("Docs"), "FILES");
            ASSERT_EQ(files.size(), 2);
            // The new line gets its statistics too.
            EXPECT_TRUE(files.first().startsWith(added + "\t")) << files.first().toStdString();
        } else {
            EXPECT_EQ(test::readFile(path + ".bak"), "not a set document\r\n");
        }
    }
}

// The recorder and the folder delivery together, as a run uses them.
class RotationTest : public RunRecorderTest
{
protected:
    void SetUp() override
    {
        RunRecorderTest::SetUp();
        sourceFile = programFile("source/Docs/a.txt");
        ASSERT_TRUE(test::writeFile(sourceFile, "alpha"));
        ASSERT_TRUE(test::writeFile(core::setFileListPath("Docs"), sourceFile.toUtf8() + "\r\n"));
    }

    // One run as the run window makes it; gives the final status.
    engine::FinalStatus run(QStringList* destinations = nullptr)
    {
        engine::RunRecorder recorder(set, text, clock.now());
        QString copyErrors;
        if (recorder.beginRun()) {
            for (int i = 0; i < recorder.destinationsThisRun(); ++i) {
                const int d = recorder.beginDestination();
                if (destinations)
                    *destinations << set.Dest[d].LocalFolder;
                engine::FolderDelivery delivery;
                const engine::FolderDeliveryResult result = delivery.deliver(set, d, QString(), QString());
                copyErrors += result.copyErrors;
                recorder.recordDestination(result.succeeded(), result.deliveredBytes, result.failedFiles.size());
            }
        }
        return recorder.finish(copyErrors);
    }

    QString copyIn(int destination) const { return programFile("backup" + QString::number(destination)) + sourceFile; }

    QString sourceFile;
};

TEST_F(RotationTest, ARotatingSetAlternatesBetweenItsFolders)
{
    makeSet({1, 1}, 1);
    QStringList delivered;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(run(&delivered).succeeded());
        EXPECT_EQ(saved("CurrentDestination"), i % 2 == 0 ? "2" : "1");
    }
    EXPECT_EQ(delivered, QStringList({programFile("backup1"), programFile("backup2"), programFile("backup1")}));
    EXPECT_EQ(test::readFile(copyIn(1)), "alpha");
    EXPECT_EQ(test::readFile(copyIn(2)), "alpha");
    // The same place twice: the version line is replaced, not doubled.
    EXPECT_EQ(savedVersions().size(), 2);
}

TEST_F(RotationTest, AnUnwritableFolderAmongAllDestinationsFailsOnlyItself)
{
    makeSet({1, 1, 1}, 2);
    const QString blocker = programFile("blocker");
    ASSERT_TRUE(test::writeFile(blocker, "a regular file"));
    set.Dest[2].LocalFolder = blocker + "/backup";

    const engine::FinalStatus status = run();

    const QString failure = "(Destination1 LAN = Success) Could not create folder: " + blocker + "/backup";
    // The last destination arrived, but the run failed: the set says so, and keeps the version.
    EXPECT_EQ(mainWindow.shownStatuses,
              QStringList({"Success", "FAILURE " + failure,
                           "FAILURE (Destination1 LAN = Success) (Destination2 LAN = FAILURE) (Destination3 LAN = "
                           "Success)"}));
    EXPECT_EQ(saved("Status"), mainWindow.shownStatuses.last());
    EXPECT_FALSE(status.succeeded());
    EXPECT_EQ(status.statusText, failure);
    EXPECT_EQ(test::readFile(copyIn(1)), "alpha");
    EXPECT_EQ(test::readFile(copyIn(3)), "alpha");
    EXPECT_EQ(saved("CurrentDestination"), "1");
    const QStringList versions = savedVersions();
    ASSERT_EQ(versions.size(), 2);
    EXPECT_TRUE(versions.at(0).startsWith("LAN|" + programFile("backup3") + "/|"));
    EXPECT_TRUE(versions.at(1).startsWith("LAN|" + programFile("backup1") + "/|"));
    EXPECT_TRUE(log().contains("Backup Complete: FAILURE " + failure + "\r\n"));
    EXPECT_EQ(log().count("Moving to next backup"), 3);
    EXPECT_TRUE(log().endsWith("Overall Status: FAILURE\r\n"));
}

TEST_F(RotationTest, AFileGoneSinceTheCollectionShowsInTheFinalStatusOfASuccessfulRun)
{
    makeSet({1}, 1);
    const QString gone = programFile("source/Docs/gone.txt");
    ASSERT_TRUE(test::writeFile(core::setFileListPath("Docs"), (gone + "\r\n" + sourceFile + "\r\n").toUtf8()));

    const engine::FinalStatus status = run();

    EXPECT_TRUE(status.succeeded());
    EXPECT_EQ(status.statusText, "Backup Successful\r\nError 53 File not found\r\nFile: " + gone + "\r\n\r\n");
    EXPECT_EQ(test::readFile(copyIn(1)), "alpha");
    EXPECT_EQ(saved("Status"), "Success (incomplete: 1 file missing)");
    const QStringList versions = savedVersions();
    ASSERT_EQ(versions.size(), 1);
    // Five bytes arrived: the size field is in KiB.
    EXPECT_EQ(versions.at(0).section('|', 4, 4), "0.0048828125");
}

} // namespace
