#include "engine/FileCollection.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/FileSystemHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "platform/FileWriter.h"
#include "support/EveryPass.h"
#include "support/FailingWriter.h"
#include "support/Outcome.h"
#include "support/ProgramFolderTest.h"
#include "support/RecordingRun.h"

namespace
{
using test::Outcome;

class FileCollectionTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        core::state().LoggingEnabled = true;
        root = programFile("tree");
        const QStringList files = {
            "Docs/A.txt",
            "Docs/a.txt",
            "Docs/.hidden.txt",
            "Docs/my report.doc",
            "Docs/\u00dcbersicht.txt",
            "Docs/notes.TXT",
            "Docs/Makefile",
            "Docs/dirmatch.txt/inner.txt",
            "Docs/sub/b.tmp",
            "Docs/sub/b.TMP",
            "Docs/sub/deep/z.txt",
            "single.log",
        };
        for (const QString& file : files)
            ASSERT_TRUE(test::writeFile(root + "/" + file, "x"));
        ASSERT_TRUE(test::writeFile(root + "/Docs/empty.dat", ""));
        // A loop back to the top, a link to a file and a link that leads nowhere.
        ASSERT_EQ(::symlink("..", QFile::encodeName(root + "/Docs/sub/loop").constData()), 0);
        ASSERT_EQ(::symlink("../A.txt", QFile::encodeName(root + "/Docs/sub/link.txt").constData()), 0);
        ASSERT_EQ(::symlink("gone.txt", QFile::encodeName(root + "/Docs/sub/dangling.txt").constData()), 0);

        set.ItemName = "Docs";
        filesLines = {root + "/Docs",
                      "",
                      root + "/single.log\t46000\t1",
                      root + "/missing.txt",
                      "relative/Docs",
                      root + "/Docs/sub/deep/z.txt"};
    }

    QByteArray listOf(const QStringList& relative) const
    {
        QByteArray bytes;
        for (const QString& path : relative)
            bytes += (root + "/" + path).toUtf8() + "\r\n";
        return bytes;
    }

    QString root;
    core::BackupSetInfo set;
    QStringList filesLines;
};

TEST_F(FileCollectionTest, WritesTheSetFileListThroughIncludeAndExcludeMasks)
{
    struct Case
    {
        QString include;
        QString exclude;
        QStringList expected;
    };
    const QStringList everything = {
        "Docs/.hidden.txt",
        "Docs/A.txt",
        "Docs/a.txt",
        "Docs/empty.dat",
        "Docs/Makefile",
        "Docs/my report.doc",
        "Docs/notes.TXT",
        "Docs/\u00dcbersicht.txt",
        "Docs/dirmatch.txt/inner.txt",
        "Docs/sub/b.TMP",
        "Docs/sub/b.tmp",
        "Docs/sub/link.txt",
        "Docs/sub/deep/z.txt",
        "single.log",
        "Docs/sub/deep/z.txt",
    };
    const Case cases[] = {
        {"", "", everything},
        {"*.*", " ; ", everything},
        {"*.*", "Thumbs.db;a.txt", everything},
        {"*.txt",
         "",
         {"Docs/.hidden.txt", "Docs/A.txt", "Docs/a.txt", "Docs/notes.TXT", "Docs/\u00dcbersicht.txt",
          "Docs/dirmatch.txt/inner.txt", "Docs/sub/link.txt", "Docs/sub/deep/z.txt", "single.log",
          "Docs/sub/deep/z.txt"}},
        {"*.doc, *.txt;*.dat",
         "",
         {"Docs/my report.doc", "Docs/.hidden.txt", "Docs/A.txt", "Docs/a.txt", "Docs/notes.TXT",
          "Docs/\u00dcbersicht.txt", "Docs/empty.dat", "Docs/dirmatch.txt/inner.txt", "Docs/sub/link.txt",
          "Docs/sub/deep/z.txt", "single.log", "Docs/sub/deep/z.txt"}},
        {"*.TXT;*.*",
         "",
         {"Docs/.hidden.txt", "Docs/A.txt", "Docs/a.txt", "Docs/notes.TXT", "Docs/\u00dcbersicht.txt", "Docs/empty.dat",
          "Docs/Makefile", "Docs/my report.doc", "Docs/dirmatch.txt/inner.txt", "Docs/sub/link.txt", "Docs/sub/b.TMP",
          "Docs/sub/b.tmp", "Docs/sub/deep/z.txt", "single.log", "Docs/sub/deep/z.txt"}},
        {"?.txt;makefile;",
         "",
         {"Docs/A.txt", "Docs/a.txt", "Docs/Makefile", "Docs/sub/deep/z.txt", "single.log", "Docs/sub/deep/z.txt"}},
        {"*.tmp", "*.tmp", {"Docs/sub/b.TMP", "single.log", "Docs/sub/deep/z.txt"}},
        {"",
         "*/a.txt; *.TXT ;*/deep/*;*.log",
         {"Docs/.hidden.txt", "Docs/A.txt", "Docs/empty.dat", "Docs/Makefile", "Docs/my report.doc",
          "Docs/\u00dcbersicht.txt", "Docs/dirmatch.txt/inner.txt", "Docs/sub/b.TMP", "Docs/sub/b.tmp",
          "Docs/sub/link.txt"}},
        // Excludes are separated by commas as well, as the sources page tells the user.
        {"",
         "*/a.txt, *.TXT ,*/deep/*;*.log",
         {"Docs/.hidden.txt", "Docs/A.txt", "Docs/empty.dat", "Docs/Makefile", "Docs/my report.doc",
          "Docs/\u00dcbersicht.txt", "Docs/dirmatch.txt/inner.txt", "Docs/sub/b.TMP", "Docs/sub/b.tmp",
          "Docs/sub/link.txt"}},
        {"*.none", "", {"single.log", "Docs/sub/deep/z.txt"}},
    };
    for (const Case& c : cases) {
        set.Include = c.include;
        set.Exclude = c.exclude;
        engine::FileCollector collector;
        const engine::CollectionResult result = collector.collect(set, filesLines);
        EXPECT_EQ(test::outcomeOf(result), Outcome::Succeeded) << qPrintable(result.reason());
        EXPECT_EQ(result.listed, c.expected.size());
        EXPECT_EQ(test::readFile(core::setFileListPath("Docs")), listOf(c.expected))
            << "include " << qPrintable(c.include) << ", exclude " << qPrintable(c.exclude);
    }
}

TEST_F(FileCollectionTest, LogsTheStepsAndShowsProgress)
{
    set.Exclude = "*.tmp";
    test::RecordingRun run;
    engine::FileCollector collector(run);
    ASSERT_EQ(test::outcomeOf(collector.collect(set, filesLines)), Outcome::Succeeded);
    const QStringList& shown = run.statuses;

    const QString log = QString::fromUtf8(test::readFile(core::RunLogPath()));
    EXPECT_TRUE(log.contains(" Getting Files\r\n"));
    EXPECT_TRUE(log.contains(" Applying Exclude Filter\r\n"));
    EXPECT_LT(log.indexOf("Getting Files"), log.indexOf("Applying Exclude Filter"));
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first(), "[Organizing files]");
    EXPECT_TRUE(shown.contains("[Indexing Files]\n" + root + "/Docs/sub/deep"));
    EXPECT_EQ(shown.last(), "[Creating Index File]");
    // The stored default stands in for empty include masks, in memory only.
    EXPECT_EQ(set.Include, "*.*;");
}

TEST_F(FileCollectionTest, PathsThatAreGoneAreLoggedAndReturned)
{
    engine::FileCollector collector;
    const engine::CollectionResult result = collector.collect(set, filesLines);
    ASSERT_EQ(test::outcomeOf(result), Outcome::Succeeded);
    EXPECT_EQ(result.missing, QStringList({root + "/missing.txt", "relative/Docs"}));
    EXPECT_EQ(result.unreadable, QStringList());
    const QString log = QString::fromUtf8(test::readFile(core::RunLogPath()));
    EXPECT_TRUE(log.contains(" Not found: " + root + "/missing.txt\r\n"));
    EXPECT_TRUE(log.contains(" Not found: relative/Docs\r\n"));
}

TEST_F(FileCollectionTest, TheProgramsOwnWorkFilesAreNeverCollected)
{
    // A folder above the program folder, as when a whole home folder is backed up; also through a
    // link to it.
    ASSERT_TRUE(test::writeFile(programFile("tmp/left over.txt"), "x"));
    const QString link = programFile("tree/to-program");
    ASSERT_EQ(::symlink(QFile::encodeName(home.path()).constData(), QFile::encodeName(link).constData()), 0);
    for (const QString& folder : {home.path(), link}) {
        SCOPED_TRACE(folder.toStdString());
        engine::FileCollector collector;
        const engine::CollectionResult result = collector.collect(set, {folder});
        ASSERT_EQ(test::outcomeOf(result), Outcome::Succeeded);
        const QString list = QString::fromUtf8(test::readFile(core::setFileListPath("Docs")));
        EXPECT_TRUE(list.contains(folder + "/tree/single.log\r\n"));
        EXPECT_FALSE(list.contains(folder + "/tmp/")) << list.toStdString();
    }
}

TEST_F(FileCollectionTest, TheSetsOwnDestinationsAreNeverCollected)
{
    // Folder destinations inside the listed folder: the backups made before must not be backed up
    // again. Other kinds of destination name no folder here.
    set.DestCount = 3;
    set.Dest[1].Type = core::DestinationType::Folder;
    set.Dest[1].LocalFolder = root + "/Docs/sub/";
    set.Dest[2].Type = core::DestinationType::Ftp;
    set.Dest[2].LocalFolder = root + "/Docs/dirmatch.txt";
    set.Dest[3].Type = core::DestinationType::Folder;
    set.Dest[3].LocalFolder = root + "/not made yet";
    engine::FileCollector collector;
    ASSERT_EQ(test::outcomeOf(collector.collect(set, {root + "/Docs"})), Outcome::Succeeded);
    EXPECT_EQ(
        test::readFile(core::setFileListPath("Docs")),
        listOf({"Docs/.hidden.txt", "Docs/A.txt", "Docs/a.txt", "Docs/empty.dat", "Docs/Makefile", "Docs/my report.doc",
                "Docs/notes.TXT", "Docs/\u00dcbersicht.txt", "Docs/dirmatch.txt/inner.txt"}));
}

TEST_F(FileCollectionTest, StatusDotsMoveOnceEveryFiftyFiles)
{
    for (int i = 0; i < 160; ++i)
        ASSERT_TRUE(test::writeFile(QStringLiteral("%1/Many/f%2").arg(root).arg(i), ""));
    for (int i = 0; i < 45; ++i)
        ASSERT_TRUE(test::writeFile(QStringLiteral("%1/Few/f%2").arg(root).arg(i), ""));
    test::RecordingRun run;
    engine::FileCollector collector(run);
    QStringList shown;
    run.onStatus = [&](const QString& text) {
        if (text.startsWith("[Creating"))
            shown << text;
    };
    ASSERT_EQ(test::outcomeOf(collector.collect(set, {root + "/Many", root + "/Few"})), Outcome::Succeeded);
    // The count runs on across folders: the tenth line after the last step of Many and 40 of Few.
    EXPECT_EQ(shown,
              QStringList({"[Creating Index File]", "[Creating Index File].", "[Creating Index File]..",
                           "[Creating Index File]...", "[Creating Index File]", "[Creating Index File]."}));

    EXPECT_EQ(engine::advanceDots("Done."), "Done..");
    EXPECT_EQ(engine::advanceDots("a..b..."), "a..b");
}

TEST_F(FileCollectionTest, IncludeMasksReachTheSearchAsOneList)
{
    const std::pair<QString, QString> cases[] = {
        {"", "*.*|"},
        {"   ", "*.*|"},
        {"*.doc, *.txt;*.xls", "*.doc|*.txt|*.xls"},
        {"my file.txt;", "myfile.txt|"},
    };
    for (const auto& [include, patterns] : cases) {
        set.Include = include;
        EXPECT_EQ(engine::includePatternList(set), patterns) << qPrintable(include);
    }
}

TEST_F(FileCollectionTest, StopKeepsThePreviousListAndSeesTheRequestAtTheNextEntry)
{
    const QByteArray previous = "/earlier/run.txt\r\n";
    ASSERT_TRUE(test::writeFile(core::setFileListPath("Docs"), previous));
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(test::writeFile(QStringLiteral("%1/Docs/many/f%2").arg(root).arg(i), ""));

    // The request comes from a timer, as a Cancel click would, armed while the walk or the writing
    // of the list is under way; once a pass of the event loop has delivered it, the next entry must
    // not be handled. Every yield is a pass here, so that pass comes at the next yield.
    const test::EveryPass everyPass;
    struct Case
    {
        QString armAt;
        int entriesAfter;
    };
    const Case cases[] = {{"[Indexing Files]\n" + root + "/Docs/many/f12", 0}, {"[Creating Index File]", 0}};
    for (const Case& c : cases) {
        core::state().bStopBackup = false;
        QString collectedList;
        int entriesAfter = -1;
        {
            test::RecordingRun run;
            engine::FileCollector collector(run);
            run.onStatus = [&](const QString& text) {
                if (entriesAfter >= 0 && text.startsWith("[Indexing"))
                    ++entriesAfter;
                if (text == c.armAt) {
                    entriesAfter = 0;
                    QTimer::singleShot(0, [] { core::state().bStopBackup = true; });
                }
            };
            EXPECT_EQ(test::outcomeOf(collector.collect(set, filesLines)), Outcome::Stopped) << qPrintable(c.armAt);
            collectedList = collector.collectedListPath();
            ASSERT_TRUE(QFileInfo::exists(collectedList));
            // No more than the line under way when the timer ran.
            EXPECT_LE(test::readFile(collectedList).count("\r\n"), 1) << qPrintable(c.armAt);
        }
        EXPECT_EQ(entriesAfter, c.entriesAfter) << qPrintable(c.armAt);
        EXPECT_EQ(test::readFile(core::setFileListPath("Docs")), previous);
        // The working lists go with the collector.
        EXPECT_FALSE(QFileInfo::exists(collectedList));
        EXPECT_TRUE(QFileInfo(collectedList).absolutePath().startsWith(programFile("tmp/")));
    }
}

TEST_F(FileCollectionTest, AListThatCannotBeWrittenFailsAndKeepsThePreviousOne)
{
    const QByteArray previous = "/earlier/run.txt\r\n";
    ASSERT_TRUE(test::writeFile(core::setFileListPath("Docs"), previous));
    {
        test::FailingWriter writer;
        engine::FileCollector collector;
        const engine::CollectionResult result = collector.collect(set, filesLines);
        EXPECT_EQ(test::outcomeOf(result), Outcome::Failed);
        EXPECT_TRUE(result.reason().contains("No space left on device"));
    }
    EXPECT_EQ(test::readFile(core::setFileListPath("Docs")), previous);

    // Nor does a collection that found nothing.
    {
        set.Exclude = "*";
        engine::FileCollector collector;
        const engine::CollectionResult result = collector.collect(set, filesLines);
        EXPECT_EQ(test::outcomeOf(result), Outcome::Failed);
        EXPECT_EQ(result.reason(), "None of the set's files was found; nothing was backed up.");
        set.Exclude.clear();
    }
    EXPECT_EQ(test::readFile(core::setFileListPath("Docs")), previous);

    // Nor does a set whose name cannot name a file list.
    set.ItemName = "../Docs";
    engine::FileCollector collector;
    const engine::CollectionResult result = collector.collect(set, filesLines);
    EXPECT_EQ(test::outcomeOf(result), Outcome::Failed);
    EXPECT_FALSE(result.reason().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(programFile("Docs.lst")));
}

TEST_F(FileCollectionTest, UnreadableFoldersAndNamesWithLineBreaksAreLoggedAndLeftOut)
{
    ASSERT_TRUE(test::writeFile(root + "/Docs/locked/secret.txt", "x"));
    ASSERT_TRUE(QFile::setPermissions(root + "/Docs/locked", QFileDevice::WriteOwner));
    ASSERT_TRUE(test::writeFile(root + "/Docs/two\nlines.txt", "x"));
    engine::FileCollector collector;
    const engine::CollectionResult result = collector.collect(set, {root + "/Docs"});
    ASSERT_EQ(test::outcomeOf(result), Outcome::Succeeded);
    QFile::setPermissions(root + "/Docs/locked",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const QByteArray list = test::readFile(core::setFileListPath("Docs"));
    EXPECT_FALSE(list.contains("lines.txt"));
    EXPECT_TRUE(list.contains("/Docs/A.txt\r\n"));
    const QString log = QString::fromUtf8(test::readFile(core::RunLogPath()));
    EXPECT_TRUE(log.contains("Left out (line break in the name): " + root + "/Docs/two lines.txt"));
    if (::geteuid() != 0) {
        EXPECT_FALSE(list.contains("secret.txt"));
        EXPECT_TRUE(log.contains("Cannot read " + root + "/Docs/locked/"));
        EXPECT_EQ(result.unreadable, QStringList({root + "/Docs/locked/"}));
    }
}

TEST_F(FileCollectionTest, ExcludeMasksMatchCollectedPathsWholeThoughANameHoldsATab)
{
    // Cut at the TAB as a FILES line is, the first would pass "*.tmp" and the second be taken for one.
    ASSERT_TRUE(test::writeFile(root + "/tabs/x\ty.tmp", "x"));
    ASSERT_TRUE(test::writeFile(root + "/tabs/a.tmp\tb.txt", "x"));
    set.Exclude = "*.tmp";
    engine::FileCollector collector;
    const engine::CollectionResult result = collector.collect(set, {root + "/tabs"});
    ASSERT_EQ(test::outcomeOf(result), Outcome::Succeeded) << qPrintable(result.reason());
    EXPECT_EQ(test::readFile(core::setFileListPath("Docs")), listOf({"tabs/a.tmp\tb.txt"}));
}
} // namespace
