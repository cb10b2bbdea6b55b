#include "engine/VersionPruning.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "core/SetText.h"
#include "peers/PeerProcess.h"
#include "support/ProgramFolderTest.h"

namespace
{
using engine::VersionPruning;

QString folderLine(const QString& folder, int compression = 1)
{
    return QStringLiteral("LAN|%1|%1/Docs Backup.zip|10/12/2026 12:00:00|1|%2|0|").arg(folder).arg(compression);
}

QString textWith(const QStringList& lines)
{
    return "<GENERAL>\r\nName=Docs\r\n</GENERAL>\r\n<VERSIONS>\r\n" + lines.join("\r\n") + "\r\n</VERSIONS>\r\n";
}

// The files and folders below `root`, relative, sorted; links are listed, not entered.
QStringList entriesBelow(const QString& root)
{
    QStringList found;
    const QDir top(root);
    std::function<void(const QString&)> walk = [&](const QString& folder) {
        for (const QFileInfo& info :
             QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
            found << top.relativeFilePath(info.filePath()) + (info.isDir() && !info.isSymLink() ? "/" : "");
            if (info.isDir() && !info.isSymLink())
                walk(info.filePath());
        }
    };
    walk(root);
    found.sort();
    return found;
}

class VersionPruningTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        ASSERT_TRUE(root.isValid());
        dest = root.path() + "/dest";
        set.ItemName = "Docs";
        set.ZIPName = "Docs Backup.zip";
        set.RotationType = core::RotationMode::OneAtATime;
        set.DestCount = 1;
        set.CurrentDestination = 1;
        set.LastFolder = "latest";
        set.Dest[1].Type = core::DestinationType::Folder;
        set.Dest[1].LocalFolder = dest;
    }

    // Prunes `lines` down to `keep`; the lines left in the text.
    QStringList prune(const QStringList& lines, int keep)
    {
        QString text = textWith(lines);
        int quantity = int(lines.size());
        VersionPruning(set).prune(lines, keep, quantity, text);
        QStringList left = core::sectionLines(text, "VERSIONS");
        left.removeAll(QString());
        EXPECT_EQ(quantity, left.size());
        return left;
    }

    void make(const QString& relative, const QByteArray& bytes = "x")
    {
        const QString path = root.path() + "/" + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir root;
    QString dest;
    core::BackupSetInfo set;
};

TEST_F(VersionPruningTest, FolderLinesDeleteOnlyWhatLiesBelowADestination)
{
    struct Case
    {
        QString what;
        QStringList lines;
        int keep;
        QStringList linesLeft;
        QStringList entriesLeft;
    };
    const QString s1 = dest + "/May 1", s2 = dest + "/May 2", s3 = dest + "/May 3";
    const QString outside = root.path() + "/elsewhere/May 0";
    const QStringList everything = {"dest/",
                                    "dest/Docs_Backup.zip",
                                    "dest/May 1/",
                                    "dest/May 1/Docs_Backup.zip",
                                    "dest/May 2/",
                                    "dest/May 2/Docs_Backup.zip",
                                    "dest/May 3/",
                                    "dest/May 3/Docs_Backup.zip",
                                    "dest/other.txt",
                                    "elsewhere/",
                                    "elsewhere/May 0/",
                                    "elsewhere/May 0/Docs_Backup.zip"};
    const Case cases[] = {
        {"the oldest goes with its folder",
         {folderLine(s3), folderLine(s2), folderLine(s1)},
         2,
         {folderLine(s3), folderLine(s2)},
         QStringList(everything).filter(QRegularExpression("^(?!dest/May 1)"))},
        {"two go, oldest first",
         {folderLine(s3), folderLine(s2), folderLine(s1)},
         1,
         {folderLine(s3)},
         QStringList(everything).filter(QRegularExpression("^(?!dest/May [12])"))},
        {"a line outside every destination deletes nothing and stays",
         {folderLine(s3), folderLine(s2), folderLine(outside)},
         2,
         {folderLine(s3), folderLine(s2), folderLine(outside)},
         everything},
        {"a line of the destination itself takes only its archive",
         {folderLine(s3), folderLine(dest + "/")},
         1,
         {folderLine(s3)},
         QStringList(everything).filter(QRegularExpression("^(?!dest/Docs_Backup)"))},
        {"a version already gone loses its line",
         {folderLine(s3), folderLine(dest + "/May 9")},
         1,
         {folderLine(s3)},
         everything},
        {"the latest version is never deleted",
         {folderLine(s3), folderLine(dest + "/latest")},
         1,
         {folderLine(s3), folderLine(dest + "/latest")},
         everything},
        {"a keeping number of 0 deletes nothing",
         {folderLine(s3), folderLine(s2), folderLine(s1)},
         0,
         {folderLine(s3), folderLine(s2), folderLine(s1)},
         everything},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        QDir(dest).removeRecursively();
        QDir(root.path() + "/elsewhere").removeRecursively();
        for (const QString& file : everything)
            if (!file.endsWith('/'))
                make(file);
        core::resetErrors();

        EXPECT_EQ(prune(c.lines, c.keep), c.linesLeft);
        EXPECT_EQ(entriesBelow(root.path()), c.entriesLeft);
        EXPECT_EQ(core::Err().Description.contains("keeps 0 versions"), c.keep == 0);
    }
}

class FtpPruningTest : public VersionPruningTest
{
protected:
    void SetUp() override
    {
        VersionPruningTest::SetUp();
        ASSERT_TRUE(
            peer.start("ftp_peer.py", {"--root", root.path(), "--user", "user", "--password", "secret", "--anonymous"}))
            << peer.error().toStdString();
        set.Dest[1].Type = core::DestinationType::Ftp;
        set.Dest[1].FTPHost = "127.0.0.1";
        set.Dest[1].FTPPort = QString::number(peer.port());
        set.Dest[1].FTPFolder = "/backup";
        set.Dest[1].FTPPassive = true;
    }

    QString ftpLine(const QString& folder, int compression, const QString& user = "user",
                    const QString& password = "secret", quint16 port = 0) const
    {
        return QStringLiteral("FTP|%1|%2|127.0.0.1|%3|%4|%4/Docs Backup.zip|10/12/2026 12:00:00|1|%5|0|")
            .arg(user, core::ScramblePassword(password))
            .arg(port ? port : peer.port())
            .arg(folder)
            .arg(compression);
    }

    test::PeerProcess peer;
};

TEST_F(FtpPruningTest, ServerVersionsGoWholeAndLinksAreNeverFollowed)
{
    struct Case
    {
        QString what;
        QStringList lines;
        QStringList linesLeft;
        QStringList entriesLeft;
    };
    const QString newest = ftpLine("/backup/May 3", 1);
    QStringList tree = {"backup/",
                        "backup/May 1/",
                        "backup/May 1/home/",
                        "backup/May 1/home/a.txt",
                        "backup/May 1/home/deep/",
                        "backup/May 1/home/deep/b.txt",
                        "backup/May 1/home/link",
                        "backup/May 2/",
                        "backup/May 2/Docs_Backup.zip",
                        "backup/May 3/",
                        "backup/May 3/Docs_Backup.zip",
                        "backup/Docs_Backup.zip",
                        "keep/",
                        "keep/k.txt"};
    tree.sort();
    const auto without = [&tree](const QString& prefix) {
        QStringList left;
        for (const QString& entry : tree)
            if (!entry.startsWith(prefix))
                left << entry;
        return left;
    };
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 closed = probe.serverPort();
    probe.close();
    const Case cases[] = {
        {"a per-file version goes file by file; its link goes, not what it points to",
         {newest, ftpLine("/backup/May 1", 0)},
         {newest},
         without("backup/May 1")},
        {"an archive version goes with its folder",
         {newest, ftpLine("/backup/May 2", 1)},
         {newest},
         without("backup/May 2")},
        {"an anonymous line logs in anonymously",
         {newest, ftpLine("/backup/May 2", 1, "", "")},
         {newest},
         without("backup/May 2")},
        {"an archive already gone loses its line", {newest, ftpLine("/backup/May 0", 1)}, {newest}, tree},
        {"a line of the remote folder itself takes only its archive",
         {newest, ftpLine("/backup", 1)},
         {newest},
         without("backup/Docs_Backup.zip")},
        {"a refused login keeps the line",
         {newest, ftpLine("/backup/May 2", 1, "user", "wrong")},
         {newest, ftpLine("/backup/May 2", 1, "user", "wrong")},
         tree},
        {"a server that is down keeps the line",
         {newest, ftpLine("/backup/May 2", 1, "user", "secret", closed)},
         {newest, ftpLine("/backup/May 2", 1, "user", "secret", closed)},
         tree},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        QDir(root.path() + "/backup").removeRecursively();
        QDir(root.path() + "/keep").removeRecursively();
        for (const QString& entry : tree)
            if (!entry.endsWith('/') && !entry.endsWith("link"))
                make(entry);
        ASSERT_TRUE(QFile::link("../../../keep", root.path() + "/backup/May 1/home/link"));

        EXPECT_EQ(prune(c.lines, 1), c.linesLeft);
        EXPECT_EQ(entriesBelow(root.path()), c.entriesLeft);
    }
}

} // namespace
