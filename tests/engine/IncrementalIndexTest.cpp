#include "engine/IncrementalIndex.h"

#include <unistd.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "core/DirList.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/WorkFolder.h"
#include "platform/DateText.h"
#include "platform/FileWriter.h"
#include "support/FailingWriter.h"
#include "support/FileTimes.h"
#include "support/ProgramFolderTest.h"

using engine::IncrementalIndex;

namespace
{
double dateValue(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    return platform::toDateValue(QDateTime(QDate(y, m, d), QTime(hh, mm, ss)));
}

// Name and selection mark of every candidate, "*" marking the selected ones.
QStringList marked(const IncrementalIndex& index, const QString& prefix)
{
    QStringList out;
    for (const IncrementalIndex::Candidate& item : index.List1())
        out << (item.selected ? QStringLiteral("*") : QString()) + QString(item.name).remove(prefix);
    return out;
}

class IncrementalIndexTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        core::state().LoggingEnabled = true;
        source = programFile("source");
        destination = programFile("backups");
        ASSERT_TRUE(QDir().mkpath(destination));
        core::BackupSetInfo& set = core::state().CurrentSet;
        set.ItemName = "Docs";
        set.ZIPName = "Docs backup.zip";
        set.Incremental = true;
        set.Destination = 0;
        set.DestCount = 1;
        set.CurrentDestination = 1;
        set.Dest[1].Type = core::DestinationType::Folder;
        set.Dest[1].LocalFolder = destination;
        indexFile = destination + "/Docs backup.zip.ndx";
    }

    // A source file modified at that local time.
    void sourceFile(const QString& name, const QDateTime& modified)
    {
        const QString path = source + "/" + name;
        ASSERT_TRUE(test::writeFile(path, "x"));
        ASSERT_TRUE(test::setModified(path, modified));
    }

    QString log() const { return QString::fromUtf8(test::readFile(core::RunLogPath())); }

    QString source;
    QString destination;
    QString indexFile;
};

TEST_F(IncrementalIndexTest, WritesTheGoldenLineFormAndReadsItBack)
{
    IncrementalIndex index;
    const double withTime = dateValue(2026, 12, 10, 13, 45, 7);
    const double midnight = dateValue(2026, 1, 2);
    index.remoteIndexTable.additem("/data/my report, final.txt", 0, withTime);
    index.remoteIndexTable.additem(QString::fromUtf8("/data/Übersicht ñ.txt"), 0, midnight);
    index.remoteIndexTable.additem("/data/zero.txt", 5, 0);
    index.remoteIndexTable.additem("/data/say \"hi\".txt", 0, withTime);
    index.remoteIndexTable.additem("/data/two\nlines.txt", 0, withTime);
    index.remoteIndexTable.additem("/data/Z.txt", 0, dateValue(1999, 12, 31, 0, 0, 1));
    ASSERT_TRUE(index.uploadIndex());

    const QByteArray golden = "\"/data/my report, final.txt\",#2026-12-10 13:45:07#\r\n"
                              "\"/data/\xc3\x9c"
                              "bersicht \xc3\xb1.txt\",#2026-01-02#\r\n"
                              "\"/data/zero.txt\",#00:00:00#\r\n"
                              "\"/data/Z.txt\",#1999-12-31 00:00:01#\r\n";
    EXPECT_EQ(test::readFile(indexFile), golden);
    EXPECT_TRUE(log().contains("\"/data/say \"hi\".txt\" holds a double quote or a line break and is left out."));
    EXPECT_TRUE(log().contains("\"/data/two lines.txt\" holds a double quote"));

    IncrementalIndex reader;
    ASSERT_TRUE(reader.getRemoteIndex());
    const engine::clsFileInfo& rows = reader.remoteIndexTable;
    ASSERT_EQ(rows.RowCount(), 4);
    const QStringList names
        = {"/data/my report, final.txt", QString::fromUtf8("/data/Übersicht ñ.txt"), "/data/zero.txt", "/data/Z.txt"};
    const double dates[] = {withTime, midnight, 0.0, dateValue(1999, 12, 31, 0, 0, 1)};
    for (qsizetype j = 0; j < 4; ++j) {
        EXPECT_EQ(rows.Filename(j), names.at(j));
        EXPECT_DOUBLE_EQ(rows.OldDate(j), dates[j]);
        EXPECT_DOUBLE_EQ(rows.NewDate(j), dates[j]);
    }
}

TEST_F(IncrementalIndexTest, AFailedWriteLeavesTheOldIndexWhole)
{
    const QByteArray old = "\"/data/a.txt\",#2026-12-10 13:45:07#\r\n";
    ASSERT_TRUE(test::writeFile(indexFile, old));
    IncrementalIndex index;
    index.remoteIndexTable.additem("/data/b.txt", 0, dateValue(2026, 12, 11));
    {
        test::FailingWriter full;
        EXPECT_FALSE(index.uploadIndex());
    }
    EXPECT_EQ(test::readFile(indexFile), old);
    EXPECT_EQ(QDir(destination).entryList(QDir::Files), QStringList {"Docs backup.zip.ndx"});
    EXPECT_TRUE(log().contains("No space left on device"));
}

TEST_F(IncrementalIndexTest, SkipsDamagedLinesAndReadsTheRest)
{
    ASSERT_TRUE(test::writeFile(indexFile,
                                "\"/data/a.txt\",#2026-12-10 13:45:07#\r\n"
                                "/data/no quotes.txt,#2026-12-10#\r\n"
                                "\"/data/unterminated.txt,#2026-12-10#\r\n"
                                "\"/data/bad date.txt\",#2026-13-40#\r\n"
                                "\"/data/bad time.txt\",#2026-12-10 25:00:00#\r\n"
                                "\"/data/no hashes.txt\",2026-12-10\r\n"
                                "\"/data/run together.txt\",#2026-12-1013:00:00#\r\n"
                                "\"/data/time only.txt\",#12:00:00#\n"
                                "\"/data/b.txt\",#2026-12-11#"));
    IncrementalIndex index;
    ASSERT_TRUE(index.getRemoteIndex());
    const engine::clsFileInfo& rows = index.remoteIndexTable;
    ASSERT_EQ(rows.RowCount(), 3);
    EXPECT_EQ(rows.Filename(0), "/data/a.txt");
    EXPECT_EQ(rows.Filename(1), "/data/time only.txt");
    EXPECT_DOUBLE_EQ(rows.OldDate(1), 0.5);
    EXPECT_EQ(rows.Filename(2), "/data/b.txt");
    EXPECT_DOUBLE_EQ(rows.OldDate(2), dateValue(2026, 12, 11));
    for (const int line : {2, 3, 4, 5, 6, 7})
        EXPECT_TRUE(log().contains(QStringLiteral("line %1 cannot be read and is skipped.").arg(line))) << line;
}

TEST_F(IncrementalIndexTest, SelectsNewAndChangedFilesAgainstTheIndex)
{
    const QDateTime t0(QDate(2026, 12, 1), QTime(9, 0, 0));
    const QDateTime t1(QDate(2026, 12, 5), QTime(9, 30, 15));
    sourceFile("same.txt", t1);
    sourceFile("newer.txt", t1);
    sourceFile("new.txt", t1);
    sourceFile("Same.txt", t1);
    ASSERT_TRUE(QDir().mkpath(source + "/sub"));
    const double local = platform::localDateValue(t1);
    const double earlier = platform::localDateValue(t0);

    // The last run saw same.txt as it is now and newer.txt before its change; gone.txt is gone.
    IncrementalIndex first;
    first.remoteIndexTable.additem(source + "/gone.txt", 0, earlier);
    first.remoteIndexTable.additem(source + "/newer.txt", 0, earlier);
    first.remoteIndexTable.additem(source + "/same.txt", 0, local);
    ASSERT_TRUE(first.uploadIndex());

    IncrementalIndex index;
    index.IncrementalBackupList(source + "/*.*\r\n\r\n");
    EXPECT_EQ(marked(index, source + "/"),
              (QStringList {"*new.txt", "*newer.txt", "same.txt", "*Same.txt", "*sub/*.*"}));
    qsizetype n = 0;
    ASSERT_TRUE(index.remoteIndexTable.Exists(source + "/newer.txt", n));
    EXPECT_DOUBLE_EQ(index.remoteIndexTable.OldDate(n), earlier);
    EXPECT_DOUBLE_EQ(index.remoteIndexTable.NewDate(n), local);
    ASSERT_TRUE(index.remoteIndexTable.Exists(source + "/new.txt", n));
    EXPECT_EQ(index.remoteIndexTable.OldDate(n), 0.0);
    EXPECT_DOUBLE_EQ(index.remoteIndexTable.NewDate(n), local);
    ASSERT_TRUE(index.uploadIndex());

    // The next run finds nothing new; the same object starts afresh.
    index.IncrementalBackupList(source + "/*.*");
    EXPECT_EQ(marked(index, source + "/"), (QStringList {"new.txt", "newer.txt", "same.txt", "Same.txt", "sub/*.*"}));
    EXPECT_TRUE(index.remoteIndexTable.Exists(source + "/gone.txt", n));
    EXPECT_EQ(index.remoteIndexTable.RowCount(), 6);

    // A changed file is picked up again.
    sourceFile("same.txt", t1.addSecs(1));
    IncrementalIndex next;
    next.IncrementalBackupList(source + "/*.TXT");
    EXPECT_EQ(marked(next, source + "/"), (QStringList {"new.txt", "newer.txt", "*same.txt", "Same.txt"}));
}

TEST_F(IncrementalIndexTest, ListsNeitherItsOwnIndexFileNorDanglingLinks)
{
    core::state().CurrentSet.Dest[1].LocalFolder = source;
    sourceFile("a.txt", QDateTime(QDate(2026, 12, 5), QTime(9, 0, 0)));
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(source + "/dangling.txt").constData()), 0);
    IncrementalIndex index;
    index.IncrementalBackupList(source + "/*.*");
    ASSERT_TRUE(index.uploadIndex());
    ASSERT_TRUE(QFile::exists(source + "/Docs backup.zip.ndx"));

    index.IncrementalBackupList(source + "/*.*");
    EXPECT_EQ(marked(index, source + "/"), QStringList {"a.txt"});
}

TEST_F(IncrementalIndexTest, SelectsEveryFileWhereNoIndexIsKept)
{
    sourceFile("a.txt", QDateTime(QDate(2026, 12, 5), QTime(9, 0, 0)));
    sourceFile("b.doc", QDateTime(QDate(2026, 12, 5), QTime(9, 0, 0)));
    const QByteArray known = "\"" + (source + "/a.txt").toUtf8() + "\",#2026-12-05 09:00:00#\r\n" + "\""
        + (source + "/b.doc").toUtf8() + "\",#2026-12-05 09:00:00#\r\n";

    const struct
    {
        const char* label;
        std::function<void(core::BackupSetInfo&)> change;
        bool indexBeside;
    } cases[] = {
        {"no index yet", [](core::BackupSetInfo&) {}, false},
        {"incremental off", [](core::BackupSetInfo& set) { set.Incremental = false; }, true},
        {"FTP destination", [](core::BackupSetInfo& set) { set.Destination = 1; }, true},
        {"FTP slot",
         [](core::BackupSetInfo& set) {
             set.Dest[1].Type = core::DestinationType::Ftp;
             set.Dest[1].FTPFolder = "/backups";
         },
         true},
        {"archive name with a folder", [](core::BackupSetInfo& set) { set.ZIPName = "../Docs backup.zip"; }, true},
        {"no current slot", [](core::BackupSetInfo& set) { set.CurrentDestination = 2; }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QFile::remove(indexFile);
        if (c.indexBeside) {
            ASSERT_TRUE(test::writeFile(indexFile, known));
        }
        core::BackupSetInfo saved = core::state().CurrentSet;
        c.change(core::state().CurrentSet);
        // A copy left in the work folder is never read either.
        ASSERT_TRUE(test::writeFile(core::WinTmpDir() + "Docs backup.zip.ndx", known));
        ASSERT_TRUE(test::writeFile(programFile("backups/../Docs backup.zip.ndx"), known));

        IncrementalIndex index;
        EXPECT_FALSE(index.getRemoteIndex());
        index.IncrementalBackupList(source + "/*.*");
        EXPECT_EQ(marked(index, source + "/"), (QStringList {"*a.txt", "*b.doc"}));
        EXPECT_TRUE(index.uploadIndex());
        // Only where the index is kept is it written; elsewhere the copy there stays as it was.
        if (c.indexBeside) {
            EXPECT_EQ(test::readFile(indexFile), known);
        } else {
            EXPECT_TRUE(QFile::exists(indexFile));
        }
        core::state().CurrentSet = saved;
    }
}

TEST_F(IncrementalIndexTest, RecordsEachEntryUnderItsOwnPath)
{
    IncrementalIndex index;
    const QString search = source + "/*.txt";
    const struct
    {
        const char* name;
        bool folder;
    } entries[] = {{".", true}, {"..", true}, {"a.txt", false}, {"notes.txt", true}, {"", false}};
    double date = 1.0;
    for (const auto& e : entries) {
        core::cDirItem item;
        item.Filename = e.name;
        item.Directory = e.folder;
        item.LastWriteTime = date++;
        index.addLocalFile(item, search);
    }
    core::cDirItem padded;
    padded.Filename = QStringLiteral("b.txt") + QChar(0) + "junk";
    padded.LastWriteTime = 9.0;
    index.addLocalFile(padded, search);

    const engine::clsFileInfo& rows = index.localFileTable;
    ASSERT_EQ(rows.RowCount(), 3);
    EXPECT_EQ(rows.Filename(0), source + "/a.txt");
    EXPECT_EQ(rows.OldDate(0), 3.0);
    EXPECT_EQ(rows.NewDate(0), 0.0);
    EXPECT_EQ(rows.Filename(1), source + "/notes.txt/*.*");
    EXPECT_EQ(rows.Filename(2), source + "/b.txt");
}

TEST_F(IncrementalIndexTest, SkipsPatternLinesWithoutAFolderAndMissingFolders)
{
    IncrementalIndex index;
    index.IncrementalBackupList("*.txt\r\n" + programFile("missing") + "/*.*");
    EXPECT_TRUE(index.List1().empty());
    EXPECT_TRUE(log().contains("\"*.txt\" names no folder; skipped."));
    EXPECT_TRUE(log().contains("the folder \"" + programFile("missing") + "/\" cannot be read."));
}

TEST_F(IncrementalIndexTest, VerifyLocalIndexDropsRowsTheScanDidNotFind)
{
    IncrementalIndex index;
    for (const char* name : {"/a", "/b", "/c"})
        index.localFileTable.additem(name, 0, 0);
    for (const char* name : {"/gone1", "/a", "/gone2", "/gone3", "/b", "/A", "/c", "/gone4"})
        index.localIndexTable.additem(name, 0, 0);
    index.verifyLocalIndex();
    const engine::clsFileInfo& rows = index.localIndexTable;
    ASSERT_EQ(rows.RowCount(), 3);
    EXPECT_EQ(rows.Filename(0), "/a");
    EXPECT_EQ(rows.Filename(1), "/b");
    EXPECT_EQ(rows.Filename(2), "/c");
}

} // namespace
