#include "core/RunOutcome.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <map>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/SetText.h"
#include "core/VersionLine.h"
#include "support/FileTimes.h"
#include "support/ProgramFolderTest.h"

namespace
{
const QString documentTemplate = "<STATS>\r\n"
                                 "CreationTime=01/12/2026 08:00:00\r\n"
                                 "LastRunTime=\r\n"
                                 "ItemType=0\r\n"
                                 "Ran=0\r\n"
                                 "ArchiveCount=0\r\n"
                                 "Status=Never ran\r\n"
                                 "CurrentDestination=1\r\n"
                                 "</STATS>\r\n"
                                 "\r\n"
                                 "<GENERAL>\r\n"
                                 "ItemName=Docs\r\n"
                                 "LastFolder=\r\n"
                                 "</GENERAL>\r\n"
                                 "\r\n"
                                 "<FILES>\r\n"
                                 "%1\r\n"
                                 "%2\t1\t1\r\n"
                                 "%3\r\n"
                                 "%4\r\n"
                                 "</FILES>\r\n"
                                 "\r\n"
                                 "<VERSIONS>\r\n"
                                 "LAN|/mnt/old|/mnt/old/docs.zip|01/12/2026 08:00:00|1|1|0|\r\n"
                                 "</VERSIONS>\r\n"
                                 "\r\n";

class RunOutcomeTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        const QString tree = programFile("tree");
        file = tree + "/notes.txt";
        folder = tree + "/Pictures";
        missing = tree + "/gone.txt";
        sparse = tree + "/disk.img";
        ASSERT_TRUE(test::writeFile(file, "hello"));
        ASSERT_TRUE(test::writeFile(folder + "/a.jpg", "abc"));
        ASSERT_TRUE(test::writeFile(folder + "/sub/b.jpg", "defg"));
        QFile image(sparse);
        ASSERT_TRUE(image.open(QIODevice::WriteOnly));
        ASSERT_TRUE(image.resize(5LL << 30));
        image.close();
        const QDateTime december(QDate(2026, 12, 1), QTime(6, 0));
        const QDateTime november(QDate(2026, 11, 2), QTime(18, 0));
        ASSERT_TRUE(test::setModified(file, december));
        ASSERT_TRUE(test::setModified(sparse, december));
        ASSERT_TRUE(test::setModified(folder, november));

        original = documentTemplate.arg(file, folder, missing, sparse);
        text = original;

        set.ItemName = "Docs";
        set.LastFolder = "/mnt/backup/2026-12-10";
        set.CurrentDestination = 2;
        set.Compression = core::CompressionMode::OneArchive;
        set.ZIPName = "docs.zip";
    }

    // The document after a successful run: statistics of what still exists, the new version first.
    QString recorded(const QString& versionLine) const
    {
        QString expected = original;
        expected.replace("Ran=0", "Ran=-1")
            .replace("LastRunTime=\r\n", "LastRunTime=10/12/2026 12:00:00\r\n")
            .replace("Status=Never ran\r\n", "Status=Success\r\nCurrentDestination=2\r\nDuration=00:00:07\r\n")
            .replace("CurrentDestination=1\r\n", "")
            .replace("LastFolder=\r\n", "LastFolder=/mnt/backup/2026-12-10\r\n")
            .replace(file + "\r\n", file + "\t46357.25\t5\r\n")
            .replace(folder + "\t1\t1\r\n", folder + "\t46328.75\t7\r\n")
            .replace(sparse + "\r\n", sparse + "\t46357.25\t5368709120\r\n")
            .replace("<VERSIONS>\r\n", "<VERSIONS>\r\n" + versionLine + "\r\n");
        return expected;
    }

    QString file, folder, missing, sparse;
    QString original;
    QString text;
    core::BackupSetInfo set;
};

TEST_F(RunOutcomeTest, AFailureRecordsOnlyTheRunItself)
{
    set.RunDestType = core::DestinationType::Folder;
    set.RunLanFolder = "/mnt/backup";
    const std::pair<QString, QString> cases[] = {
        {"FAILURE Cannot reach\r\nthe server", "FAILURE Cannot reach the server"},
        // A reason that happens to end in the word is still a failure.
        {"FAILURE Could not create folder: /mnt/Success", "FAILURE Could not create folder: /mnt/Success"},
    };
    for (const auto& [status, recorded] : cases) {
        text = original;
        ASSERT_TRUE(core::ReplaceProjectValues(set, text, status, "00:00:03", 2048));

        QString expected = original;
        expected.replace("Ran=0", "Ran=-1")
            .replace("LastRunTime=\r\n", "LastRunTime=10/12/2026 12:00:00\r\n")
            .replace("Status=Never ran", "Status=" + recorded)
            .replace("</STATS>", "Duration=00:00:03\r\n</STATS>");
        EXPECT_EQ(text, expected) << qPrintable(recorded);
    }
}

TEST_F(RunOutcomeTest, ASuccessRecordsStatisticsAndTheVersionLine)
{
    struct Case
    {
        const char* what;
        int destType;
        int protect;
        qint64 bytes;
        QString versionLine;
    };
    const Case cases[] = {
        {"folder", 1, 0, 2048,
         "LAN|/mnt/backup/2026-12-10/|/mnt/backup/2026-12-10/docs.zip|10/12/2026 12:00:00|2|1|0|"},
        {"folder, protected", 1, 1, 5LL << 30,
         "LAN|/mnt/backup/2026-12-10/|/mnt/backup/2026-12-10/docs.zip.bf|10/12/2026 12:00:00|5242880|1|1|pw"},
        {"FTP", 2, 0, 1536,
         "FTP|anna|\u00e1\u00e2\u00e3|ftp.example.org|21|/backups|/backups/docs.zip|10/12/2026 12:00:00|1.5|1|0|"},
        {"FTP, protected", 2, 1, 0,
         "FTP|anna|\u00e1\u00e2\u00e3|ftp.example.org|21|/backups|/backups/docs.zip.bf|10/12/2026 12:00:00|0|1|1|pw"},
    };
    for (const Case& c : cases) {
        text = original;
        set.RunDestType = core::fromStoredCode<core::DestinationType>(c.destType);
        set.ProtectData = core::fromStoredCode<core::ProtectionMode>(c.protect);
        set.BFPassword = c.protect ? "pw" : "";
        set.RunLanFolder = "/mnt/backup/2026-12-10/";
        set.RunFtpUser = "anna";
        set.RunFtpPassword = "abc";
        set.RunFtpHost = "ftp.example.org";
        set.RunFtpPort = "21";
        set.RunFtpFolder = "/backups";
        ASSERT_TRUE(core::ReplaceProjectValues(set, text, "Success", "00:00:07", c.bytes)) << c.what;
        EXPECT_EQ(text, recorded(c.versionLine)) << c.what;
    }
    EXPECT_EQ(set.RunFtpPassword, "abc") << "the record keeps the password as typed";
}

TEST_F(RunOutcomeTest, AnEmailDeliveryRecordsNoVersion)
{
    set.RunDestType = core::DestinationType::Email;
    ASSERT_TRUE(core::ReplaceProjectValues(set, text, "Destination1 success", "00:00:07", 100));
    EXPECT_EQ(core::ExtractItem(text, "Status"), "Destination1 success");
    EXPECT_EQ(core::sectionLines(text, "VERSIONS").size(), 1);
    EXPECT_EQ(core::sectionLines(text, "FILES").at(0), file + "\t46357.25\t5");
}

TEST_F(RunOutcomeTest, APasswordMayHoldTheSeparatorButNoOtherFieldMay)
{
    // The set's password closes the line, so the reader takes the rest of the line as the password.
    set.RunDestType = core::DestinationType::Folder;
    set.RunLanFolder = "/mnt/backup";
    set.ProtectData = core::ProtectionMode::Blowfish;
    set.BFPassword = "pa|ss|";
    ASSERT_TRUE(core::ReplaceProjectValues(set, text, "Success", "", 2048));
    const std::optional<core::VersionLine> version
        = core::VersionLine::parse(core::sectionLines(text, "VERSIONS").value(0));
    ASSERT_TRUE(version);
    EXPECT_EQ(version->password(), "pa|ss|");
    EXPECT_EQ(version->archivePath(), "/mnt/backup/docs.zip.bf");

    // Any other field holding it would shift the fields after it: the line is refused, and the
    // reason names the field without repeating a password.
    const struct
    {
        int destType;
        QString folder;
        QString zipName;
        QString ftpPassword;
        QString field;
    } cases[] = {
        {1, "/mnt/back|up", "docs.zip", "", "its folder holds"},
        {1, "/mnt/backup", "a|b.zip", "", "its archive path holds"},
        // "|" is the scrambled form of U+00FC.
        {2, "/backups", "docs.zip", "k\u00fcrbis", "its FTP password holds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        text = original;
        core::resetErrors();
        set.RunDestType = core::fromStoredCode<core::DestinationType>(c.destType);
        set.RunLanFolder = c.folder;
        set.RunFtpFolder = c.folder;
        set.RunFtpHost = "ftp.example.org";
        set.RunFtpUser = "anna";
        set.RunFtpPort = "21";
        set.RunFtpPassword = c.ftpPassword;
        set.ZIPName = c.zipName;
        const platform::Result result = core::ReplaceProjectValues(set, text, "Success", "", 10);
        EXPECT_FALSE(result);
        EXPECT_TRUE(result.reason().contains(c.field)) << qPrintable(result.reason());
        EXPECT_TRUE(core::Err().Description.contains("modGeneral.ReplaceProjectValues(sStatus='Success')"));
        for (const QString& shown : {result.reason(), core::Err().Description}) {
            EXPECT_FALSE(shown.contains("pa|ss")) << qPrintable(shown);
            EXPECT_FALSE(shown.contains("k\u00fcrbis")) << qPrintable(shown);
        }
        EXPECT_EQ(core::ExtractItem(text, "Status"), "Success");
        EXPECT_EQ(core::sectionLines(text, "VERSIONS"),
                  QStringList {"LAN|/mnt/old|/mnt/old/docs.zip|01/12/2026 08:00:00|1|1|0|"});
    }
}

class FakeMainWindow : public core::MainWindowServices
{
public:
    FakeMainWindow() { core::setMainWindowServices(this); }
    ~FakeMainWindow() override { core::setMainWindowServices(nullptr); }

    bool setSetRowCell(const QString& setName, int subItem, const QString& text) override
    {
        if (!rows.contains(setName))
            return false;
        rows[setName][subItem] = text;
        return true;
    }
    void showFileList(const QStringList& lines, const QList<bool>& excluded) override
    {
        shownLines = lines;
        shownExcluded = excluded;
        ++fileListShown;
    }
    QStringList& globalVersions() override { return versions; }

    QMap<QString, std::map<int, QString>> rows;
    QStringList versions;
    QStringList shownLines;
    QList<bool> shownExcluded;
    int fileListShown = 0;
};

class RefreshBackupSetRowTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        mainWindow.rows["Docs"] = {{1, "Backup"}, {4, "Local/LAN"}, {7, "00:00:01"}};
        mainWindow.rows["Other"] = {};
        set.ItemName = "Docs";
        set.Exclude = "*.tmp; */cache/*";
        set.DestCount = 2;
        set.Dest[1].Type = core::DestinationType::Folder;
        set.Dest[2].Type = core::DestinationType::Ftp;
        set.CurrentDestination = 2;
        core::state().CurrentSet = set;
        ASSERT_TRUE(test::writeFile(programFile("data/Docs.sbd"),
                                    "<FILES>\r\n/a/x.txt\t1\t2\r\n\r\n/a/y.tmp\r\n/a/cache/z\r\n</FILES>\r\n\r\n"));
    }

    FakeMainWindow mainWindow;
    core::BackupSetInfo set;
};

TEST_F(RefreshBackupSetRowTest, ShowsTheOutcomeInTheSetsRowAndFileList)
{
    ASSERT_TRUE(core::RefreshBackupSetRow(set, "Success", "00:00:07"));
    const std::map<int, QString> expected {
        {1, "Backup"}, {2, "10/12/2026 12:00:00"}, {4, "FTP"}, {5, "Success"}, {7, "00:00:07"}};
    EXPECT_EQ(mainWindow.rows["Docs"], expected);
    EXPECT_EQ(mainWindow.shownLines, QStringList({"/a/x.txt\t1\t2", "/a/y.tmp", "/a/cache/z"}));
    EXPECT_EQ(mainWindow.shownExcluded, QList<bool>({false, true, true}));

    // A set that delivers to every destination shows them all, as the rebuilt list does.
    set.RotationType = core::RotationMode::EveryDestination;
    ASSERT_TRUE(core::RefreshBackupSetRow(set, "Success", "00:00:07"));
    EXPECT_EQ(mainWindow.rows["Docs"][4], "All (LAN, FTP)");
    EXPECT_EQ(mainWindow.rows["Docs"][4], core::nextLocation(set));
}

TEST_F(RefreshBackupSetRowTest, LeavesWhatItHasNoNewsFor)
{
    set.CurrentDestination = 3; // beyond DestCount: the next location stays as shown
    ASSERT_TRUE(core::RefreshBackupSetRow(set, "FAILURE x", ""));
    EXPECT_EQ(mainWindow.rows["Docs"][4], "Local/LAN");
    EXPECT_EQ(mainWindow.rows["Docs"][7], "00:00:01");
    EXPECT_EQ(mainWindow.rows["Docs"][5], "FAILURE x");

    // A set that is not the loaded one keeps its files out of the file view.
    mainWindow.fileListShown = 0;
    core::BackupSetInfo other;
    other.ItemName = "Other";
    ASSERT_TRUE(core::RefreshBackupSetRow(other, "Success", ""));
    EXPECT_EQ(mainWindow.rows["Other"][5], "Success");
    EXPECT_EQ(mainWindow.fileListShown, 0);
}

TEST_F(RefreshBackupSetRowTest, FailsWithoutARowOrADocument)
{
    core::BackupSetInfo unknown;
    unknown.ItemName = "Unknown";
    EXPECT_FALSE(core::RefreshBackupSetRow(unknown, "Success", ""));

    ASSERT_TRUE(QFile::remove(programFile("data/Docs.sbd")));
    const platform::Result result = core::RefreshBackupSetRow(set, "Success", "");
    EXPECT_FALSE(result);
    EXPECT_EQ(core::Err().Number, core::err::FileNotFound);
    EXPECT_EQ(mainWindow.fileListShown, 0);
}

} // namespace
