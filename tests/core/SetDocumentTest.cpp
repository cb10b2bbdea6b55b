#include "core/SetDocument.h"

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "core/SetText.h"
#include "platform/FileWriter.h"
#include "platform/VersionInfo.h"
#include "support/FailingWriter.h"
#include "support/ProgramFolderTest.h"
#include "support/SmallDisk.h"

using core::state;

namespace
{
const QString appVersion = QStringLiteral("%1.%2.%3")
                               .arg(platform::version::Major)
                               .arg(platform::version::Minor)
                               .arg(platform::version::Revision);

class SetDocumentTest : public test::ProgramFolderTest
{
protected:
    QByteArray document(const QString& name) const { return test::readFile(programFile("data/" + name + ".sbd")); }
    QByteArray backup(const QString& name) const { return test::readFile(programFile("data/" + name + ".sbd.bak")); }

    // A set as the wizard leaves it, with one destination of each kind and an unused slot.
    static core::BackupSetInfo wizardSet()
    {
        core::BackupSetInfo set;
        set.ItemName = "Documents";
        set.Exclude = "*.tmp; *.bak";
        set.Include = "*.*";
        set.ExcludeFolders = true;
        set.LastFolder = "";
        set.BackupType = 1;
        set.UseTimeStamp = true;
        set.Compression = core::CompressionMode::OneArchive;
        set.ProtectData = core::ProtectionMode::Blowfish;
        set.BFPassword = "s=cret";
        set.ZIPName = "docs.zip";
        set.Quality = "5";
        set.Incremental = true;
        set.Schedule.Scheduler = true;
        set.Schedule.StartDate = "10/12/2026";
        set.Schedule.StartTime = "09:30:00";
        set.Schedule.Repeat = true;
        set.Schedule.SAccurancy = 1;
        set.Schedule.Period = "mon,fri";
        set.Accurancy = 2;
        set.TimeStampFormat = "yyyy-mm-dd#hh";
        set.FormatIndex = 3;
        set.DeleteBackups = 1;
        set.KeepVersions = 5;
        set.RotationType = core::RotationMode::OneAtATime;
        set.DestCount = 4;
        set.Dest[1].Type = core::DestinationType::Folder;
        set.Dest[1].LocalFolder = "/mnt/backup";
        set.Dest[2].Type = core::DestinationType::Ftp;
        set.Dest[2].FTPHost = "ftp.example.org";
        set.Dest[2].FTPPort = "21";
        set.Dest[2].FTPUser = "anna";
        set.Dest[2].FTPPass = "abc";
        set.Dest[2].FTPFolder = "/backups";
        set.Dest[2].FTPPassive = true;
        set.Dest[3].Type = core::DestinationType::Email;
        set.Dest[3].EmailID = "anna@example.org";
        set.Dest[3].Subject = "Backup";
        set.Dest[3].Body = "Hello\r\nthere";
        return set;
    }
};

TEST_F(SetDocumentTest, WriteProjectWritesTheDocumentByteForByte)
{
    state().NewBackupSet = wizardSet();
    ASSERT_TRUE(core::WriteProject({"/home/anna/Documents", "/home/anna/notes.txt"}));

    const QString expected = "<STATS>\r\n"
                             "CreationTime=10/12/2026 12:00:00\r\n"
                             "LastRunTime=\r\n"
                             "ItemType=0\r\n"
                             "Ran=0\r\n"
                             "ArchiveCount=0\r\n"
                             "Status=Never ran\r\n"
                             "CurrentDestination=1\r\n"
                             "</STATS>\r\n"
                             "\r\n"
                             "<GENERAL>\r\n"
                             "AppVersion="
        + appVersion
        + "\r\n"
          "ItemName=Documents\r\n"
          "ItemType=0\r\n"
          "Exclude=*.tmp; *.bak\r\n"
          "Include=*.*\r\n"
          "ExcludeFolders=-1\r\n"
          "Destination=0\r\n"
          "LastFolder=\r\n"
          "BackupType=1\r\n"
          "UseTimeStamp=-1\r\n"
          "Compression=1\r\n"
          "ProtectData=1\r\n"
          "BFPassword=s=cret\r\n"
          "ZIPName=docs.zip\r\n"
          "Quality=5\r\n"
          "Incremental=True\r\n"
          "Scheduler=-1\r\n"
          "DestCount=4\r\n"
          "RotationType=1\r\n"
          "</GENERAL>\r\n"
          "\r\n"
          "<TIMESTAMP>\r\n"
          "Accurancy=2\r\n"
          "TimeStampFormat=yyyy-mm-dd#hh\r\n"
          "FormatIndex=3\r\n"
          "DeleteBackups=1\r\n"
          "KeepVersions=5\r\n"
          "</TIMESTAMP>\r\n"
          "\r\n"
          "<SCHEDULER>\r\n"
          "StartDate=10/12/2026\r\n"
          "StartTime=09:30:00\r\n"
          "Repeat=-1\r\n"
          "SAccurancy=1\r\n"
          "Period=mon,fri\r\n"
          "RunOnStart=0\r\n"
          "RunOnEnd=0\r\n"
          "</SCHEDULER>\r\n"
          "\r\n"
          "<FILES>\r\n"
          "/home/anna/Documents\r\n"
          "/home/anna/notes.txt\r\n"
          "</FILES>\r\n"
          "\r\n"
          "<VERSIONS>\r\n"
          "</VERSIONS>\r\n"
          "\r\n"
          "<DEST1>\r\n"
          "Type=1\r\n"
          "LocalFolder=/mnt/backup\r\n"
          "</DEST1>\r\n"
          "\r\n"
          "<DEST2>\r\n"
          "Type=2\r\n"
          "FTPHost=ftp.example.org\r\n"
          "FTPPort=21\r\n"
          "FTPUser=anna\r\n"
          "FTPPass=\xc3\xa1\xc3\xa2\xc3\xa3\r\n"
          "FTPFolder=/backups\r\n"
          "FTPPassive=True\r\n"
          "</DEST2>\r\n"
          "\r\n"
          "<DEST3>\r\n"
          "Type=3\r\n"
          "EmailID=anna@example.org\r\n"
          "Subject=Backup\r\n"
          "Body=Hello there\r\n"
          "</DEST3>\r\n"
          "\r\n"
          "<DEST4>\r\n"
          "</DEST4>\r\n"
          "\r\n";
    EXPECT_EQ(QString::fromUtf8(document("Documents")), expected);
    // The record keeps the password as typed; only the document holds it scrambled.
    EXPECT_EQ(state().NewBackupSet.Dest[2].FTPPass, "abc");
    EXPECT_FALSE(QFileInfo::exists(programFile("data/Documents.sbd.bak")));
    EXPECT_EQ(QFileInfo(programFile("data")).permissions() & 0x0077, QFile::Permissions());
}

TEST_F(SetDocumentTest, WriteProjectWithoutDestinationsEndsAfterTheVersions)
{
    state().NewBackupSet.ItemName = "Empty";
    ASSERT_TRUE(core::WriteProject({}));
    const QByteArray bytes = document("Empty");
    EXPECT_TRUE(bytes.contains("DestCount=0\r\n"));
    EXPECT_FALSE(bytes.contains("<DEST"));
    EXPECT_TRUE(bytes.endsWith("<FILES>\r\n</FILES>\r\n\r\n<VERSIONS>\r\n</VERSIONS>\r\n\r\n"));
}

TEST_F(SetDocumentTest, WriteProjectRefusesWhatCannotBeStored)
{
    struct Case
    {
        const char* what;
        QString name;
        int destCount;
        QStringList paths;
    };
    const Case cases[] = {
        {"31 destinations", "Many", 31, {}},
        {"negative destination count", "Negative", -1, {}},
        {"a path with a tab", "Tab", 0, {"/a\tb"}},
        {"a path with a line break", "Break", 0, {"/a\nb"}},
        {"an empty path", "EmptyPath", 0, {"/a", ""}},
        {"a slash in the name", "a/b", 0, {}},
        {"an empty name", "", 0, {}},
    };
    for (const Case& c : cases) {
        core::resetErrors();
        state().NewBackupSet = core::BackupSetInfo {};
        state().NewBackupSet.ItemName = c.name;
        state().NewBackupSet.DestCount = c.destCount;
        const platform::Result result = core::WriteProject(c.paths);
        EXPECT_FALSE(result) << c.what;
        EXPECT_FALSE(result.reason().isEmpty()) << c.what;
        EXPECT_NE(core::Err().Number, 0) << c.what;
        EXPECT_FALSE(QFileInfo::exists(core::setDocumentPath(c.name))) << c.what;
    }
}

TEST_F(SetDocumentTest, WriteProjectNeverOverwritesAStoredSet)
{
    ASSERT_TRUE(test::writeFile(programFile("data/Work.sbd"), "stored"));
    state().NewBackupSet.ItemName = "Work";
    const platform::Result result = core::WriteProject({"/x"});
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.reason().contains("exists already")) << qPrintable(result.reason());
    EXPECT_EQ(document("Work"), "stored");
}

TEST_F(SetDocumentTest, SaveProjectKeepsThePreviousBytesAsBackup)
{
    ASSERT_TRUE(core::SaveProject("Work", "<STATS>\r\nRan=0\r\n</STATS>\r\n\r\n"));
    EXPECT_FALSE(QFileInfo::exists(programFile("data/Work.sbd.bak"))) << "a new document has no backup";
    const QByteArray first = document("Work");

    ASSERT_TRUE(core::SaveProject("Work", "<STATS>\r\nRan=-1\r\n</STATS>\r\n\r\n"));
    EXPECT_EQ(backup("Work"), first);
    EXPECT_EQ(document("Work"), "<STATS>\r\nRan=-1\r\n</STATS>\r\n\r\n");
}

TEST_F(SetDocumentTest, TheLongestSetNameIsSavedAgainAndAgain)
{
    QString longest(230, 'x');
    while (!core::setNameError(longest + "x"))
        longest += "x";
    ASSERT_FALSE(core::setNameError(longest));
    const QString text = "<STATS>\r\nRan=0\r\n</STATS>\r\n\r\n";
    for (int save = 0; save < 3; ++save)
        ASSERT_TRUE(core::SaveProject(longest, text)) << save;
    EXPECT_TRUE(QFileInfo::exists(programFile("data/" + longest + ".sbd.bak")));
    // The restore list is the set's longest file name, written through a temporary name too.
    QString reason;
    EXPECT_TRUE(platform::fileWriter().replaceFile(programFile("data/" + longest + "RESTORE.lst"), "a\r\n", reason))
        << qPrintable(reason);
}

TEST_F(SetDocumentTest, SaveProjectEndsTheDocumentTheSameWayHoweverTheTextEnds)
{
    const QByteArray stored = "<STATS>\r\nStatus=Success\r\n</STATS>\r\n\r\n";
    for (const QString& text :
         {QString("<STATS>\r\nStatus=Success\r\n</STATS>"), QString("<STATS>\r\nStatus=Success\r\n</STATS>\r\n"),
          QString("<STATS>\r\nStatus=Success\r\n</STATS>\r\n\r\n"),
          QString("<STATS>\r\nStatus=Success\r\n</STATS>\r\n\r\n\r\n")}) {
        ASSERT_TRUE(core::SaveProject("Ends", text));
        EXPECT_EQ(document("Ends"), stored) << qPrintable(text);
        // Saving what was stored gives the same bytes again.
        ASSERT_TRUE(core::SaveProject("Ends", QString::fromUtf8(document("Ends"))));
        EXPECT_EQ(document("Ends"), stored) << qPrintable(text);
    }
}

TEST_F(SetDocumentTest, SavedTextReadsBackCharacterForCharacter)
{
    const QString value = QString::fromUtf8("Zoë – 日本 ") + QChar(0) + QStringLiteral("end");
    ASSERT_TRUE(core::SaveProject("Text", "<GENERAL>\r\nBFPassword=" + value + "\r\n</GENERAL>\r\n\r\n"));
    EXPECT_EQ(core::ExtractItem(QString::fromUtf8(document("Text")), "BFPassword"), value);
}

TEST_F(SetDocumentTest, FailedWritesLeaveTheDocumentUntouchedAndAreReported)
{
    const QByteArray stored = "<STATS>\r\nRan=0\r\n</STATS>\r\n\r\n";
    ASSERT_TRUE(test::writeFile(programFile("data/Work.sbd"), stored));
    ASSERT_TRUE(test::writeFile(programFile("data/Work.sbd.bak"), "older"));

    {
        test::FailingWriter writer(".sbd");
        core::resetErrors();
        const platform::Result result = core::SaveProject("Work", "<STATS>\r\nRan=-1\r\n</STATS>");
        EXPECT_FALSE(result);
        EXPECT_TRUE(result.reason().contains("No space left")) << qPrintable(result.reason());
        EXPECT_EQ(core::Err().Number, core::err::PathFileAccess);
        EXPECT_TRUE(writer.attempted.isEmpty()) << "no backup copy without its document";
    }
    EXPECT_EQ(document("Work"), stored);
    EXPECT_EQ(backup("Work"), "older");

    {
        test::FailingWriter writer(".bak");
        EXPECT_FALSE(core::SaveProject("Work", "<STATS>\r\nRan=-1\r\n</STATS>"));
        EXPECT_TRUE(writer.attempted.isEmpty()) << "no document write after a failed backup";
    }
    EXPECT_EQ(document("Work"), stored);
    EXPECT_EQ(backup("Work"), "older");
}

TEST_F(SetDocumentTest, ASaveOnAFullDiskKeepsTheDocumentAndItsBackupByteForByte)
{
    test::SmallDisk disk(programFile("data"), "64k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (" << disk.error().toStdString()
                     << "); FailedWritesLeaveTheDocumentUntouchedAndAreReported injects the failure instead";
    ASSERT_TRUE(core::SaveProject("Docs", "<STATS>\r\nRan=0\r\n</STATS>"));
    ASSERT_TRUE(core::SaveProject("Docs", "<STATS>\r\nRan=-1\r\n</STATS>"));
    const QByteArray stored = document("Docs");
    const QByteArray older = backup("Docs");
    // Room for the backup copy, not for the document that follows it.
    QString files = "<FILES>\r\n";
    for (int i = 0; i < 400; ++i)
        files += QString("/home/u/documents/report %1.txt\t46000\t1200\r\n").arg(i);
    const QString text = QString::fromUtf8(stored) + files + "</FILES>";
    for (const qint64 room : {0, 8192}) {
        SCOPED_TRACE(room);
        QFile::remove(programFile("data/filler"));
        ASSERT_TRUE(disk.fill(room));

        const platform::Result result = core::SaveProject("Docs", text);

        EXPECT_FALSE(result);
        EXPECT_EQ(result.reason(),
                  "Cannot write \"" + programFile(room ? "data/Docs.sbd" : "data/Docs.sbd.bak")
                      + "\": " + qt_error_string(ENOSPC));
        EXPECT_EQ(document("Docs"), stored);
        EXPECT_EQ(backup("Docs"), older);
        EXPECT_EQ(QDir(programFile("data")).entryList(QDir::Files | QDir::Hidden),
                  (QStringList {"Docs.sbd", "Docs.sbd.bak", "filler"}));
    }
    // Once there is room again the save goes through.
    ASSERT_TRUE(QFile::remove(programFile("data/filler")));
    ASSERT_TRUE(core::SaveProject("Docs", text));
    EXPECT_EQ(backup("Docs"), stored);
    EXPECT_TRUE(document("Docs").contains("report 399.txt"));
}

TEST_F(SetDocumentTest, SaveProjectRefusesAnEmptyTextAndBadNames)
{
    const QByteArray stored = "<STATS>\r\nRan=0\r\n</STATS>\r\n\r\n";
    ASSERT_TRUE(test::writeFile(programFile("data/Work.sbd"), stored));
    for (const QString& empty : {QString(), QString("\r\n"), QString("\r\n\r\n")})
        EXPECT_FALSE(core::SaveProject("Work", empty));
    EXPECT_EQ(document("Work"), stored);
    EXPECT_FALSE(QFileInfo::exists(programFile("data/Work.sbd.bak")));

    ASSERT_TRUE(test::writeFile(programFile("victim.sbd"), "keep"));
    EXPECT_FALSE(core::SaveProject("../victim", "<STATS>\r\n</STATS>"));
    EXPECT_EQ(test::readFile(programFile("victim.sbd")), "keep");
}

} // namespace
