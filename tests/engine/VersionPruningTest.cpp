#include "engine/VersionPruning.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/ScramblePassword.h"
#include "core/SetText.h"
#include "ftp/FtpDestinationFields.h"
#include "peers/PeerProcess.h"
#include "support/FakeMainWindow.h"
#include "support/ProgramFolderTest.h"

namespace
{
using engine::VersionPruning;

QString folderLine(const QString& folder, int compression = 1)
{
    return QStringLiteral("LAN|%1|%1/Docs Backup.zip|10/12/2026 12:00:00|1|%2|0|").arg(folder).arg(compression);
}

QString folderLine(const QString& folder, const QString& archive)
{
    return QStringLiteral("LAN|%1|%2|10/12/2026 12:00:00|1|1|0|").arg(folder, archive);
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
        core::state().LoggingEnabled = true;
    }

    // What the pruning wrote to the log since the last call.
    QString logged()
    {
        const QString text = QString::fromUtf8(test::readFile(core::RunLogPath()));
        const QString added = text.mid(m_logRead);
        m_logRead = text.size();
        return added;
    }

    // Prunes `lines` down to `keep`; the lines left in the text.
    QStringList prune(const QStringList& lines, int keep)
    {
        QString text = textWith(lines);
        int quantity = int(lines.size());
        test::FakeMainWindow window;
        window.versions = lines;
        VersionPruning(set).prune(lines, keep, quantity, text);
        QStringList left = core::sectionLines(text, "VERSIONS");
        left.removeAll(QString());
        EXPECT_EQ(quantity, left.size());
        // The window stops offering the versions that went.
        QStringList shown = window.versions;
        shown.removeAll(QString());
        EXPECT_EQ(shown, left);
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

    void link(const QString& target, const QString& relative)
    {
        ASSERT_TRUE(QFile::link(target, root.path() + "/" + relative)) << relative.toStdString();
    }

    QTemporaryDir root;
    QString dest;
    core::BackupSetInfo set;

private:
    qsizetype m_logRead = 0;
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
        {"a line outside every destination deletes nothing and goes",
         {folderLine(s3), folderLine(s2), folderLine(outside)},
         2,
         {folderLine(s3), folderLine(s2)},
         everything},
        {"a line of the destination itself deletes nothing and goes",
         {folderLine(s3), folderLine(dest + "/")},
         1,
         {folderLine(s3)},
         everything},
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

TEST_F(VersionPruningTest, HostileFolderLinesDeleteNothing)
{
    struct Case
    {
        QString line;
        // Kept when it names the version just delivered, removed otherwise.
        bool kept;
    };
    const QString r = root.path();
    const QString newest = folderLine(dest + "/May 3");
    set.LastFolder = "May 3";
    QStringList tree = {"dest/",
                        "dest/May 1/",
                        "dest/May 1/Docs_Backup.zip",
                        "dest/May 3/",
                        "dest/May 3/Docs_Backup.zip",
                        "dest/May 3/sub/",
                        "dest/May 3/sub/s.txt",
                        "dest/link",
                        "dest/notes.txt",
                        "elsewhere/",
                        "elsewhere/May 1/",
                        "elsewhere/May 1/precious.txt",
                        "elsewhere/e.txt",
                        "important.zip",
                        "other/",
                        "other/x.txt"};
    tree.sort();
    const Case cases[] = {
        {folderLine(dest + "/.."), false},
        {folderLine(dest + "/."), false},
        {folderLine(dest + "/May 1/../.."), false},
        {folderLine("/"), false},
        {folderLine(dest + "/May 1", r + "/important.zip"), false},
        {folderLine(dest + "/May 1", r + "/other/x.txt"), false},
        {folderLine(dest + "/May 1", dest + "/May 1/../../important.zip"), false},
        {folderLine(dest + "/link"), false},
        {folderLine(dest + "/link/May 1"), false},
        {folderLine(dest + "/May 3/sub"), false},
        {folderLine(dest + "/May 3/."), true},
        {folderLine(dest + "/x/../May 3"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        QDir(dest).removeRecursively();
        QDir(r + "/elsewhere").removeRecursively();
        for (const QString& entry : tree)
            if (!entry.endsWith('/') && entry != "dest/link")
                make(entry);
        link("../elsewhere", "dest/link");
        logged();

        const QStringList expected = c.kept ? QStringList {newest, c.line} : QStringList {newest};
        EXPECT_EQ(prune({newest, c.line}, 1), expected);
        EXPECT_EQ(entriesBelow(r), tree);
        EXPECT_EQ(logged().contains("deletes nothing"), !c.kept);
    }
}

class FtpPruningTest : public VersionPruningTest
{
protected:
    void SetUp() override
    {
        VersionPruningTest::SetUp();
        ASSERT_TRUE(
            peer.start("ftp_peer.py",
                       QStringList {"--root", root.path(), "--user", "user", "--password", "secret", "--anonymous"}
                           + extraPeerArguments()))
            << peer.error().toStdString();
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
        probe.close();
        // The server for its user and for anonymous logins, and a server that is down.
        set.DestCount = 3;
        setFtpDestination(1, peer.port(), "user", "secret");
        setFtpDestination(2, peer.port(), "", "");
        setFtpDestination(3, closedPort, "user", "secret");
    }

    virtual QStringList extraPeerArguments() const { return {}; }

    void setFtpDestination(int d, quint16 port, const QString& user, const QString& password)
    {
        set.Dest[d].Type = core::DestinationType::Ftp;
        set.Dest[d].FTPHost = "127.0.0.1";
        set.Dest[d].FTPPort = QString::number(port);
        set.Dest[d].FTPUser = user;
        set.Dest[d].FTPPass = password;
        set.Dest[d].FTPFolder = "/backup";
        set.Dest[d].FTPPassive = true;
    }

    // A line as a delivery records it; `archive` replaces the archive path it records.
    QString ftpLine(const QString& folder, int compression, const QString& user = "user",
                    const QString& password = "secret", quint16 port = 0, const QString& archive = {}) const
    {
        return QStringLiteral("FTP|%1|%2|127.0.0.1|%3|%4|%5|10/12/2026 12:00:00|1|%6|0|")
            .arg(user, core::ScramblePassword(password))
            .arg(port ? port : peer.port())
            .arg(folder, archive.isEmpty() ? ftp::joinFtpFolder(folder, "Docs Backup.zip") : archive)
            .arg(compression);
    }

    // Writes the files of `tree` below the served folder afresh; entries ending in "/" are folders.
    void makeTree(const QStringList& tree, const QStringList& links = {})
    {
        for (const QString& top : QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            if (!QDir(root.path() + "/" + top).removeRecursively())
                QFile::remove(root.path() + "/" + top);
        for (const QString& entry : tree) {
            if (entry.endsWith('/'))
                QDir().mkpath(root.path() + "/" + entry);
            else if (!links.contains(entry))
                make(entry);
        }
    }

    test::PeerProcess peer;
    quint16 closedPort = 0;
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
    const quint16 closed = closedPort;
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
        {"a line of the remote folder itself deletes nothing and goes",
         {newest, ftpLine("/backup", 1)},
         {newest},
         tree},
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
        makeTree(tree, {"backup/May 1/home/link"});
        link("../../../keep", "backup/May 1/home/link");

        EXPECT_EQ(prune(c.lines, 1), c.linesLeft);
        EXPECT_EQ(entriesBelow(root.path()), c.entriesLeft);
    }
}

TEST_F(FtpPruningTest, HostileServerLinesDeleteNothing)
{
    // The same files behind another port: a line naming it is no destination of the set.
    test::PeerProcess other;
    ASSERT_TRUE(other.start("ftp_peer.py", {"--root", root.path(), "--user", "user", "--password", "secret"}))
        << other.error().toStdString();
    struct Case
    {
        QString line;
        // Kept when it names the version just delivered, removed otherwise.
        bool kept;
    };
    set.LastFolder = "May 3";
    const QString newest = ftpLine("/backup/May 3", 0);
    QStringList tree = {"backup/",
                        "backup/May 1/",
                        "backup/May 1/Docs_Backup.zip",
                        "backup/May 1/home/",
                        "backup/May 1/home/a.txt",
                        "backup/May 3/",
                        "backup/May 3/home/",
                        "backup/May 3/home/b.txt",
                        "backup/lnk",
                        "backup/notes.txt",
                        "important.zip",
                        "keep/",
                        "keep/May 1/",
                        "keep/May 1/k.txt",
                        "other/",
                        "other/x.txt"};
    tree.sort();
    const Case cases[] = {
        {ftpLine("/backup/..", 0), false},
        {ftpLine("/backup/.", 0), false},
        {ftpLine("/backup/.", 1), false},
        {ftpLine("/backup/May 1/../..", 0), false},
        {ftpLine("/backup/May 1", 1, "user", "secret", 0, "/important.zip"), false},
        {ftpLine("/backup/May 1", 1, "user", "secret", 0, "/other/x.txt"), false},
        {ftpLine("/backup/May 1", 0, "user", "secret", other.port()), false},
        {ftpLine("/backup/lnk", 0), false},
        {ftpLine("/backup/lnk/May 1", 0), false},
        {ftpLine("/backup/lnk/May 1", 1), false},
        {ftpLine("/backup/May 3/home", 0), false},
        {ftpLine("/backup/May 3/.", 0), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        makeTree(tree, {"backup/lnk"});
        link("../keep", "backup/lnk");
        logged();

        const QStringList expected = c.kept ? QStringList {newest, c.line} : QStringList {newest};
        EXPECT_EQ(prune({newest, c.line}, 1), expected);
        EXPECT_EQ(entriesBelow(root.path()), tree);
        EXPECT_EQ(logged().contains("deletes nothing"), !c.kept);
    }
}

class RelativeFtpPruningTest : public FtpPruningTest
{
protected:
    QStringList extraPeerArguments() const override { return {"--login-folder", "/home/user"}; }
};

TEST_F(RelativeFtpPruningTest, RelativeFoldersPruneBelowTheLoginFolder)
{
    struct Case
    {
        QString what;
        QString ftpFolder;
        QString folder;
        int compression;
        // The folder that is gone afterwards; none when the line deletes nothing and goes.
        QString gone;
    };
    set.LastFolder = "May 3";
    QStringList tree = {"home/",
                        "home/other.txt",
                        "home/user/",
                        "home/user/May 1/",
                        "home/user/May 1/home/",
                        "home/user/May 1/home/a.txt",
                        "home/user/May 2/",
                        "home/user/May 2/Docs_Backup.zip",
                        "home/user/May 3/",
                        "home/user/May 3/Docs_Backup.zip",
                        "home/user/backup/",
                        "home/user/backup/May 1/",
                        "home/user/backup/May 1/home/",
                        "home/user/backup/May 1/home/a.txt",
                        "home/user/backup/May 2/",
                        "home/user/backup/May 2/Docs_Backup.zip",
                        "home/user/notes.txt",
                        "important.zip"};
    tree.sort();
    const Case cases[] = {
        {"the login folder: a version of single files goes", "", "May 1", 0, "home/user/May 1/"},
        {"the login folder: an archive version goes", "", "May 2", 1, "home/user/May 2/"},
        {"a folder without \"/\": a version of single files goes", "backup", "backup/May 1", 0,
         "home/user/backup/May 1/"},
        {"a folder without \"/\": an archive version goes", "backup", "backup/May 2", 1, "home/user/backup/May 2/"},
        {"a \"..\" line at the login folder", "", "..", 0, {}},
        {"a line that climbs above the login folder", "", "May 1/../..", 0, {}},
        {"a line that climbs out of the destination", "backup", "backup/../May 1", 0, {}},
        {"a full path for a relative destination", "", "/home/user/May 1", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        for (int d = 1; d <= set.DestCount; ++d)
            set.Dest[d].FTPFolder = c.ftpFolder;
        const QString newest = ftpLine(ftp::joinFtpFolder(c.ftpFolder, "May 3"), 1);
        makeTree(tree);
        logged();

        const QStringList expected = {newest};
        EXPECT_EQ(prune({newest, ftpLine(c.folder, c.compression)}, 1), expected);
        QStringList left = tree;
        if (!c.gone.isEmpty())
            left.removeIf([&c](const QString& entry) { return entry.startsWith(c.gone); });
        EXPECT_EQ(entriesBelow(root.path()), left);
        EXPECT_EQ(logged().contains("deletes nothing"), c.gone.isEmpty());
    }
}

} // namespace
