#include "restore/RestoreRun.h"

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include "VersionFixtures.h"
#include "core/ProgramState.h"
#include "core/WorkFolder.h"
#include "platform/MirrorPath.h"
#include "platform/PendingFile.h"
#include "restore/RestoreList.h"
#include "support/OpenFiles.h"
#include "support/RecordingRun.h"
#include "support/ZipFixtures.h"

using restore::OverwriteAnswer;
using restore::RestoreRun;
using restore::RestoreSummary;

namespace
{
QString mirrored(const QString& path)
{
    return platform::mirrorRelativePath(path).value_or(QString());
}

using test::writingBelow;

class RestoreRunTest : public test::VersionTest
{
protected:
    // Nothing of a restore is left in the work folder.
    void expectNoWorkLeft()
    {
        EXPECT_EQ(QDir(programFile("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList());
    }
    bool logged(const QString& line) const { return logLines().contains(line); }
    static QString restoreComplete() { return "================Restore Complete=============="; }
};
} // namespace

TEST_F(RestoreRunTest, EveryLayoutRoundTripsToEitherPlace)
{
    struct Maker
    {
        const char* name;
        int mode;
        bool infoZip;
    };
    const Maker makers[] = {
        {"copies", 0, false}, {"one archive", 1, false}, {"archive per file", 2, false}, {"Info-ZIP archive", 1, true}};
    writeRestoreList(paths);
    int n = 0;
    for (const Maker& maker : makers) {
        for (const bool isProtected : {false, true}) {
            for (const bool newFolder : {false, true}) {
                SCOPED_TRACE(testing::Message() << maker.name << (isProtected ? ", protected" : ", plain")
                                                << (newFolder ? ", new folder" : ", previous location"));
                const QString folder = disk(QString("backup/%1 Docs").arg(++n));
                const QString version = makeVersion(folder, maker.mode, isProtected, maker.infoZip);
                const QString target = newFolder ? disk("restored here") : QString();
                QMap<QString, QByteArray> expected = everything();
                if (newFolder) {
                    for (const QString& path : std::as_const(paths))
                        expected["scratch/restored here/" + mirrored(path)] = originals[path];
                } else {
                    ASSERT_TRUE(QDir(disk("src")).removeRecursively());
                }
                question = test::ScriptedQuestion();

                RestoreSummary summary;
                EXPECT_EQ(restore(request(version, target), &summary), RestoreRun::Outcome::Completed);
                EXPECT_EQ(summary.restored, paths.size());
                EXPECT_EQ(summary.statusText(), "Done!\r\nFiles restored: 6, skipped: 0, missing: 0, failed: 0.");
                EXPECT_TRUE(question.asked.isEmpty());
                // Byte for byte, with its folders, and nothing anywhere else.
                EXPECT_EQ(everything(), expected);
                expectNoWorkLeft();
                EXPECT_TRUE(logged(restoreComplete()));

                ASSERT_TRUE(QDir(folder).removeRecursively());
                if (newFolder) {
                    ASSERT_TRUE(QDir(target).removeRecursively());
                }
            }
        }
    }
}

TEST_F(RestoreRunTest, ScriptedAnswersDecideWhichFilesAreReplaced)
{
    // Three targets exist with other content; the fourth is gone.
    const QStringList chosen
        = {source("docs/a.txt"), source("docs/deep/b.txt"), source("my file.txt"), source("ünï/çødé.txt")};
    const QString version = makeVersion(disk("backup/Docs"), 0, false);
    writeRestoreList(chosen);

    struct Case
    {
        const char* name;
        std::initializer_list<test::ScriptedQuestion::Answer> script;
        int prompts;
        // "new", "old" or "" (absent) for each chosen path.
        QStringList expected;
        qint64 restored, skipped, notRestored;
        bool cancelled;
    };
    const Case cases[] = {
        {"yes, no, yes",
         {OverwriteAnswer::Yes, OverwriteAnswer::No, OverwriteAnswer::Yes},
         3,
         {"new", "old", "new", "new"},
         3,
         1,
         0,
         false},
        {"yes to all", {OverwriteAnswer::YesToAll}, 1, {"new", "new", "new", "new"}, 4, 0, 0, false},
        {"no to all", {OverwriteAnswer::No, OverwriteAnswer::NoToAll}, 2, {"old", "old", "old", "new"}, 1, 3, 0, false},
        {"cancel", {OverwriteAnswer::No, OverwriteAnswer::Cancel}, 2, {"old", "old", "old", ""}, 0, 1, 3, true},
        // What the window's count-down and close box answer.
        {"no, yes, no",
         {OverwriteAnswer::No, OverwriteAnswer::Yes, OverwriteAnswer::No},
         3,
         {"old", "new", "old", "new"},
         2,
         2,
         0,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(test::writeFile(chosen[i], "old"));
        QFile::remove(chosen[3]);
        question = test::ScriptedQuestion(c.script);

        RestoreSummary summary;
        EXPECT_EQ(restore(request(version), &summary), RestoreRun::Outcome::Completed);
        EXPECT_EQ(question.asked.size(), c.prompts);
        EXPECT_FALSE(question.ranOut);
        for (int i = 0; i < chosen.size(); ++i) {
            const QString& expected = c.expected[i];
            if (expected.isEmpty())
                EXPECT_FALSE(QFileInfo::exists(chosen[i])) << i;
            else
                EXPECT_EQ(test::readFile(chosen[i]), expected == "new" ? originals[chosen[i]] : "old") << i;
        }
        EXPECT_EQ(summary.restored, c.restored);
        EXPECT_EQ(summary.skipped, c.skipped);
        EXPECT_EQ(summary.cancelled, c.cancelled);
        EXPECT_EQ(summary.notRestored, c.notRestored);
        EXPECT_EQ(summary.statusText().section("\r\n", 0, 0), c.cancelled ? "Restore cancelled." : "Done!");
        expectNoWorkLeft();
    }
    // A blanket answer of one restore does not carry over to the next.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(test::writeFile(chosen[i], "old"));
    QFile::remove(chosen[3]);
    core::state().ReplaceAnswer = restore::AnswerNoToAll;
    question = test::ScriptedQuestion({OverwriteAnswer::Yes, OverwriteAnswer::Yes, OverwriteAnswer::Yes});
    restore(request(version));
    EXPECT_EQ(question.asked.size(), 3);
}

TEST_F(RestoreRunTest, DamagedInputIsReportedAndNeverPlaced)
{
    const QString a = source("docs/a.txt");
    const QString b = source("docs/deep/b.txt");
    struct Case
    {
        const char* name;
        int mode;
        bool isProtected;
        bool infoZip;
        // Damages the version in its folder; may change the version line.
        std::function<void(const QString& folder, QString& line)> damage;
        qint64 restored, missing, failed;
        // Texts the completion must show.
        QStringList reported;
        // Paths whose existing target must stay untouched.
        QStringList untouched;
    };
    const auto archiveOf
        = [this](const QString& folder, bool isProtected) { return versionFile(folder, QString(), 1, isProtected); };
    const Case cases[] = {
        {"truncated archive",
         1,
         false,
         false,
         [&](const QString& folder, QString&) {
             const QString archive = archiveOf(folder, false);
             ASSERT_TRUE(test::truncateFile(archive, QFileInfo(archive).size() / 2));
         },
         0,
         0,
         6,
         {"damaged archive"},
         {a, b}},
        {"bad CRC in the archive",
         1,
         false,
         true,
         [&](const QString& folder, QString&) {
             ASSERT_TRUE(test::flipStoredCrc(archiveOf(folder, false), mirrored(a)));
         },
         5,
         0,
         1,
         {a + " ("},
         {a}},
        {"bad CRC in a file's archive",
         2,
         false,
         false,
         [&](const QString& folder, QString&) {
             ASSERT_TRUE(test::flipStoredCrc(versionFile(folder, a, 2, false), mirrored(a)));
         },
         5,
         0,
         1,
         {a + " ("},
         {a}},
        // Central sizes of 0: the reader would hand back an empty file, which unzip -t does not see.
        {"short entry in the archive",
         1,
         false,
         true,
         [&](const QString& folder, QString&) {
             ASSERT_TRUE(test::setCentralSizes(archiveOf(folder, false), mirrored(a), 0));
         },
         5,
         0,
         1,
         {a + " ("},
         {a}},
        {"short entry in a file's archive",
         2,
         false,
         false,
         [&](const QString& folder, QString&) {
             ASSERT_TRUE(test::setCentralSizes(versionFile(folder, a, 2, false), mirrored(a), 0, 0));
         },
         5,
         0,
         1,
         {a + " ("},
         {a}},
        {"bad size descriptor",
         0,
         true,
         false,
         [&](const QString& folder, QString&) {
             QFile file(versionFile(folder, a, 0, true));
             ASSERT_TRUE(file.open(QIODevice::Append));
             file.write(QByteArray(8, '\0'));
         },
         5,
         0,
         1,
         {a + " (Wrong password or damaged file)"},
         {a}},
        {"wrong password",
         0,
         true,
         false,
         [&](const QString&, QString& line) { line.replace(QString("|") + Password, "|guess"); },
         0,
         0,
         6,
         {a + " (Wrong password or damaged file)", b + " (Wrong password or damaged file)"},
         {a, b}},
        {"wrong password for the archive",
         1,
         true,
         false,
         [&](const QString&, QString& line) { line.replace(QString("|") + Password, "|guess"); },
         0,
         0,
         6,
         {"(Wrong password or damaged file)"},
         {a, b}},
        {"entries ../x and /abs",
         1,
         false,
         true,
         [&](const QString& folder, QString&) {
             const QString archive = archiveOf(folder, false);
             ASSERT_TRUE(test::renameEntry(archive, mirrored(a), "../" + QString(mirrored(a).size() - 3, 'x')));
             ASSERT_TRUE(test::renameEntry(archive, mirrored(b), "/" + QString(mirrored(b).size() - 1, 'y')));
         },
         4,
         2,
         0,
         {"../" + QString(mirrored(a).size() - 3, 'x'), "/" + QString(mirrored(b).size() - 1, 'y'),
          a + " (not in the archive)", b + " (not in the archive)"},
         {a, b}},
        {"a file missing from the version",
         0,
         false,
         false,
         [&](const QString& folder, QString&) { ASSERT_TRUE(QFile::remove(versionFile(folder, a, 0, false))); },
         5,
         1,
         0,
         {"(file not found error):\r\n" + versionFile(disk("backup/Docs"), a, 0, false)},
         {a}},
        {"the archive missing",
         1,
         true,
         false,
         [&](const QString& folder, QString&) { ASSERT_TRUE(QFile::remove(archiveOf(folder, true))); },
         0,
         6,
         0,
         {archiveOf(disk("backup/Docs"), true)},
         {a, b}},
    };
    writeRestoreList(paths);
    const QString newFolder = disk("restored");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = disk("backup/Docs");
        QString line = makeVersion(folder, c.mode, c.isProtected, c.infoZip);
        c.damage(folder, line);
        for (const QString& path : c.untouched)
            ASSERT_TRUE(test::writeFile(newFolder + "/" + mirrored(path), "existing"));
        const QMap<QString, QByteArray> before = everything();
        question = test::ScriptedQuestion();

        RestoreSummary summary;
        EXPECT_EQ(restore(request(line, newFolder), &summary), RestoreRun::Outcome::Completed);
        EXPECT_EQ(summary.restored, c.restored);
        EXPECT_EQ(summary.missing, c.missing);
        EXPECT_EQ(summary.failed, c.failed);
        const QString status = summary.statusText();
        EXPECT_TRUE(status.startsWith("Restore finished with problems.\r\n")) << status.toStdString();
        for (const QString& text : c.reported)
            EXPECT_TRUE(status.contains(text)) << text.toStdString() << "\n" << status.toStdString();
        EXPECT_TRUE(question.asked.isEmpty());
        for (const QString& path : c.untouched)
            EXPECT_EQ(test::readFile(newFolder + "/" + mirrored(path)), "existing") << path.toStdString();
        // Only new targets were written, each whole.
        const QMap<QString, QByteArray> after = everything();
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            if (before.contains(it.key())) {
                EXPECT_EQ(it.value(), before[it.key()]) << it.key().toStdString();
            } else {
                EXPECT_TRUE(it.key().startsWith("scratch/restored/")) << it.key().toStdString();
            }
        }
        for (const QString& path : std::as_const(paths)) {
            const QString target = newFolder + "/" + mirrored(path);
            if (!before.contains("scratch/restored/" + mirrored(path)) && QFileInfo::exists(target)) {
                EXPECT_EQ(test::readFile(target), originals[path]) << path.toStdString();
            }
        }
        expectNoWorkLeft();
        EXPECT_TRUE(logged(restoreComplete()));

        ASSERT_TRUE(QDir(folder).removeRecursively());
        ASSERT_TRUE(QDir(newFolder).removeRecursively());
    }
}

TEST_F(RestoreRunTest, RestoreListLinesAreCheckedOneByOne)
{
    const QString a = source("docs/a.txt");
    const QString version = makeVersion(disk("backup/Docs"), 0, false);
    ASSERT_TRUE(QFile::remove(a));
    // Blank lines are skipped; a path chosen twice is restored once; paths that could lead
    // anywhere are refused.
    writeRestoreList({"", " ", a, "  ", a, "docs/a.txt", disk("src/../../outside.txt")});

    RestoreSummary summary;
    EXPECT_EQ(restore(request(version), &summary), RestoreRun::Outcome::Completed);
    EXPECT_EQ(test::readFile(a), originals[a]);
    EXPECT_EQ(summary.restored, 1);
    EXPECT_EQ(summary.failed, 3);
    EXPECT_EQ(
        summary.failedList,
        (QStringList {"   (not a full path, so it has no previous location)",
                      "docs/a.txt (not a full path, so it has no previous location)",
                      disk("src/../../outside.txt") + " (a path with \"..\" or without a name is never restored)"}));
    EXPECT_FALSE(QFileInfo::exists(disk("../outside.txt")));

    // Below a new folder a stored relative or Windows path has a place; ".." still has none.
    writeRestoreList({"C:\\" + mirrored(a).replace('/', '\\'), "/x/../y.txt"});
    EXPECT_EQ(restore(request(version, disk("new")), &summary), RestoreRun::Outcome::Completed);
    EXPECT_EQ(test::readFile(disk("new/" + mirrored(a))), originals[a]);
    EXPECT_EQ(summary.restored, 1);
    EXPECT_EQ(summary.failed, 1);
}

TEST_F(RestoreRunTest, NoLimitOnTheRestoreListsLength)
{
    const QString a = source("docs/a.txt");
    const QString version = makeVersion(disk("backup/Docs"), 0, false);
    QStringList lines(50500, " ");
    lines << a;
    writeRestoreList(lines);
    QStringList statuses;
    RestoreSummary summary;
    test::RecordingRun run;
    run.onStatus = [&](const QString& text) {
        if (text.startsWith("[Building"))
            statuses << text;
    };
    restore(request(version, disk("new")), &summary, run);
    EXPECT_EQ(summary.restored, 1);
    EXPECT_EQ(test::readFile(disk("new/" + mirrored(a))), originals[a]);
    // The dots go round every 500 lines.
    EXPECT_EQ(statuses.mid(0, 5),
              (QStringList {"[Building Restore List]", "[Building Restore List].", "[Building Restore List]..",
                            "[Building Restore List]...", "[Building Restore List]"}));
}

TEST_F(RestoreRunTest, AStopEndsTheRunQuietlyAndRemovesItsWork)
{
    struct Case
    {
        const char* name;
        int mode;
        // The status at which the stop is requested.
        QString stopAt;
        int placed;
    };
    const Case cases[] = {
        {"placing copies", 0, "[Restoring Files]\r\n" + paths[2], 2},
        {"unzipping the archive", 1, "Status: Unzipping Files...", 0},
        {"placing from the archive", 1, "[Restoring Files]\r\n" + paths[1], 1},
        {"reading the list", 2, "[Building Restore List]", 0},
    };
    writeRestoreList(paths);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(programFile("status.log"));
        const QString version = makeVersion(disk("backup/Docs"), c.mode, false);
        const QString newFolder = disk("new");
        test::RecordingRun run;
        run.onStatus = [&](const QString& text) {
            if (text == c.stopAt)
                run.requestStop();
        };
        EXPECT_EQ(restore(request(version, newFolder), nullptr, run), RestoreRun::Outcome::Stopped);
        EXPECT_EQ(filesBelow(newFolder).size(), c.placed);
        EXPECT_FALSE(logged(restoreComplete()));
        expectNoWorkLeft();
        ASSERT_TRUE(QDir(disk("backup")).removeRecursively());
        ASSERT_TRUE(QDir(newFolder).removeRecursively());
    }
}

TEST_F(RestoreRunTest, VersionsThatCannotBeRestoredSaySo)
{
    const QString version = makeVersion(disk("backup/Docs"), 0, false);
    struct Case
    {
        const char* name;
        QString line;
        QString newFolder;
        bool writeList;
        QString error;
        QString loadedSet = "Docs";
    };
    const Case cases[] = {
        {"another set loaded since the choice", version, "", true,
         "The set \"Docs\" is no longer the set loaded in the main window, so nothing was restored.", "Other"},
        {"version folder gone", QString(version).replace(disk("backup/Docs"), disk("unplugged/Docs")), "", true,
         "The version's folder \"" + disk("unplugged/Docs") + "\" cannot be found."},
        {"relative new folder", version, "restored/here", true,
         "The folder to restore to, \"restored/here\", is not a full path."},
        {"no restore list", version, "", false, "The restore list " + restore::restoreListPath("Docs")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::state().CurrentSet.ItemName = c.loadedSet;
        QFile::remove(restore::restoreListPath("Docs"));
        if (c.writeList)
            writeRestoreList(paths);
        for (const QString& path : std::as_const(paths))
            QFile::remove(path);
        const QMap<QString, QByteArray> before = everything();
        RestoreSummary summary;
        EXPECT_EQ(restore(request(c.line, c.newFolder), &summary), RestoreRun::Outcome::Completed);
        EXPECT_TRUE(summary.error.startsWith(c.error)) << summary.error.toStdString();
        EXPECT_TRUE(summary.statusText().startsWith("Nothing was restored.\r\n"));
        EXPECT_EQ(everything(), before);
        expectNoWorkLeft();
    }
}

TEST_F(RestoreRunTest, AnEmptyListStillFetchesAndUnpacksTheArchive)
{
    const QString version = makeVersion(disk("backup/Docs"), 1, true);
    writeRestoreList({});
    RestoreSummary summary;
    EXPECT_EQ(restore(request(version), &summary), RestoreRun::Outcome::Completed);
    EXPECT_EQ(summary.statusText(), "Done!\r\nFiles restored: 0, skipped: 0, missing: 0, failed: 0.");
    const QStringList log = logLines();
    EXPECT_TRUE(log.contains("Decrypting File"));
    EXPECT_TRUE(log.contains("Unzipping Files"));
    expectNoWorkLeft();
}

TEST_F(RestoreRunTest, ASetLoadedWhileTheRunYieldsDoesNotChangeIt)
{
    writeRestoreList(paths);
    const QString version = makeVersion(disk("backup/Docs"), 1, true);
    const restore::RestoreRequest chosen = request(version, disk("restored"));
    // The run queue loads another set while the restore shows its progress.
    test::RecordingRun loadAnother;
    loadAnother.onStatus = [](const QString&) {
        core::state().CurrentSet.ItemName = "Other";
        core::state().CurrentSet.ZIPName = "other.zip";
    };
    RestoreSummary summary;
    EXPECT_EQ(restore(chosen, &summary, loadAnother), RestoreRun::Outcome::Completed);
    EXPECT_EQ(summary.restored, paths.size());
    for (const QString& path : std::as_const(paths))
        EXPECT_EQ(test::readFile(disk("restored/" + mirrored(path))), originals[path]) << path.toStdString();
}

TEST_F(RestoreRunTest, ALinkBelowTheNewFolderIsNeverFollowed)
{
    const QString a = source("docs/a.txt");
    const QString b = source("docs/deep/b.txt");
    writeRestoreList(paths);
    const QString newFolder = disk("restored");
    const QString elsewhere = disk("elsewhere");
    for (const int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        const QString version = makeVersion(disk("backup/Docs"), mode, true);
        // Someone left a link where the restore will make the folder of a and b.
        const QString docs = newFolder + "/" + mirrored(disk("src/docs"));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(docs).path()));
        ASSERT_TRUE(QDir().mkpath(elsewhere));
        ASSERT_TRUE(QFile::link(elsewhere, docs));
        question = test::ScriptedQuestion();

        RestoreSummary summary;
        EXPECT_EQ(restore(request(version, newFolder), &summary), RestoreRun::Outcome::Completed);
        EXPECT_TRUE(question.asked.isEmpty());
        EXPECT_EQ(filesBelow(elsewhere), (QMap<QString, QByteArray> {}));
        EXPECT_EQ(summary.restored, paths.size() - 2);
        EXPECT_EQ(summary.failed, 2);
        EXPECT_EQ(summary.failedList, (QStringList {a + " (" + docs + " is a link)", b + " (" + docs + " is a link)"}));
        for (const QString& path : std::as_const(paths)) {
            if (path != a && path != b) {
                EXPECT_EQ(test::readFile(newFolder + "/" + mirrored(path)), originals[path]) << path.toStdString();
            }
        }
        expectNoWorkLeft();
        ASSERT_TRUE(QDir(disk("backup")).removeRecursively());
        ASSERT_TRUE(QDir(newFolder).removeRecursively());
    }
}

TEST_F(RestoreRunTest, AWorkFolderLeftByAnEarlierRestoreGoes)
{
    // A restore that never ended (the program was killed) left a decrypted copy behind; a run's work
    // folder and other files stay.
    ASSERT_TRUE(test::writeFile(programFile("tmp/restore-AbC123/files/home/u/secret.txt"), "decrypted"));
    ASSERT_TRUE(
        QFile::setPermissions(programFile("tmp/restore-AbC123/files/home/u/secret.txt"), QFileDevice::ReadOwner));
    ASSERT_TRUE(test::writeFile(programFile("tmp/work-XyZ789/a.zip"), "a run's"));
    ASSERT_TRUE(test::writeFile(programFile("tmp/restore-notes.txt"), "not a folder"));
    const QString version = makeVersion(disk("backup/Docs"), 0, true);
    writeRestoreList({paths[0]});

    RestoreSummary summary;
    EXPECT_EQ(restore(request(version, disk("new")), &summary), RestoreRun::Outcome::Completed);
    EXPECT_EQ(summary.restored, 1);
    EXPECT_EQ(QDir(programFile("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList {"restore-notes.txt", "work-XyZ789"}));
    EXPECT_EQ(test::readFile(programFile("tmp/work-XyZ789/a.zip")), "a run's");
}

TEST_F(RestoreRunTest, AnyArchiveNameRestores)
{
    writeRestoreList(paths);
    // Names of the work folder's own parts too.
    for (const QString name : {"unpacked", "archive", "files"}) {
        for (const bool isProtected : {false, true}) {
            SCOPED_TRACE(name.toStdString() + (isProtected ? ", protected" : ", plain"));
            core::state().CurrentSet.ZIPName = name;
            const QString version = makeVersion(disk("backup/Docs"), 1, isProtected);
            RestoreSummary summary;
            EXPECT_EQ(restore(request(version, disk("new")), &summary), RestoreRun::Outcome::Completed);
            EXPECT_EQ(summary.statusText(), "Done!\r\nFiles restored: 6, skipped: 0, missing: 0, failed: 0.");
            for (const QString& path : std::as_const(paths))
                EXPECT_EQ(test::readFile(disk("new/" + mirrored(path))), originals[path]) << path.toStdString();
            expectNoWorkLeft();
            ASSERT_TRUE(QDir(disk("backup")).removeRecursively());
            ASSERT_TRUE(QDir(disk("new")).removeRecursively());
        }
    }
}

TEST_F(RestoreRunTest, AnEntryThatFailsPartWayLeavesTheFileThereAndNoTemporary)
{
    // big.bin is more than one chunk: part of it is written before its end shows the fault.
    const QString big = source("big.bin");
    writeRestoreList(paths);
    const QString newFolder = disk("restored");
    const QString there = newFolder + "/" + mirrored(big);
    struct Case
    {
        const char* name;
        int mode;
        bool damaged;
    };
    const Case cases[] = {
        {"bad CRC in the archive", 1, true},
        {"bad CRC in the file's archive", 2, true},
        {"stop part-way in the archive", 1, false},
        {"stop part-way in the file's archive", 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = disk("backup/Docs");
        const QString version = makeVersion(folder, c.mode, false);
        if (c.damaged)
            ASSERT_TRUE(test::flipStoredCrc(versionFile(folder, big, c.mode, false), mirrored(big)));
        ASSERT_TRUE(test::writeFile(there, "existing"));
        // The stop comes while part of big.bin is written beside the file there.
        test::RecordingRun run;
        run.stopWhen = [&] { return !c.damaged && writingBelow(QFileInfo(there).path(), there); };
        question = test::ScriptedQuestion();

        RestoreSummary summary;
        EXPECT_EQ(restore(request(version, newFolder), &summary, run),
                  c.damaged ? RestoreRun::Outcome::Completed : RestoreRun::Outcome::Stopped);
        EXPECT_EQ(test::readFile(there), "existing");
        // No temporary file is left anywhere below the folder.
        for (const QString& file : filesBelow(newFolder).keys())
            EXPECT_FALSE(QFileInfo(file).fileName().startsWith('.')) << file.toStdString();
        EXPECT_TRUE(question.asked.isEmpty());
        if (c.damaged) {
            EXPECT_EQ(summary.failed, 1);
            EXPECT_EQ(summary.restored, paths.size() - 1);
            EXPECT_TRUE(summary.failedList.value(0).startsWith(big + " ("))
                << summary.failedList.value(0).toStdString();
        }
        expectNoWorkLeft();
        ASSERT_TRUE(QDir(folder).removeRecursively());
        ASSERT_TRUE(QDir(newFolder).removeRecursively());
    }
}

namespace
{
// Kills the process the first time it yields while a restored file is being written for `target`.
class KilledWhileWriting : public test::RecordingRun
{
public:
    explicit KilledWhileWriting(QString target)
        : m_target(std::move(target))
    { }
    void yield() override
    {
        if (writingBelow(QFileInfo(m_target).path(), m_target))
            ::kill(::getpid(), SIGKILL);
    }

private:
    QString m_target;
};

// Kills the process when it asks; answers Yes otherwise.
class KilledWhileAsking : public restore::OverwriteQuestion
{
public:
    bool kills = true;
    std::optional<OverwriteAnswer> ask(const QString&, const QString&, platform::RunContext&) override
    {
        if (kills)
            ::kill(::getpid(), SIGKILL);
        return OverwriteAnswer::Yes;
    }
};
} // namespace

TEST_F(RestoreRunTest, AKilledRestoreLeavesNothingInTheTargetFolderOnceTheProgramStartsAgain)
{
    const QString big = source("big.bin");
    writeRestoreList({big});
    const restore::RestoreRequest requests[]
        = {request(makeVersion(disk("backup/each"), 0, false)), request(makeVersion(disk("backup/one"), 1, false))};
    const auto restore = qScopeGuard([] { platform::PendingFile::offerUnnamedFiles(true); });
    struct Case
    {
        const char* name;
        int version;
        bool unnamed;
        bool whileAsking;
        // Files the kill leaves beside the user's until the program starts again.
        int leftUntilStart;
    };
    const Case cases[] = {
        // A copy from the work folder begins only once the question is answered; an archive entry
        // is unpacked for its target before the question.
        {"copy, asking", 0, true, true, 0},
        {"copy, writing", 0, true, false, 0},
        {"archive entry, asking", 1, true, true, 0},
        {"archive entry, writing", 1, true, false, 0},
        // Where the file system offers no unnamed files, the work folder names what was left.
        {"copy, asking, hidden name", 0, false, true, 0},
        {"copy, writing, hidden name", 0, false, false, 1},
        {"archive entry, asking, hidden name", 1, false, true, 1},
        {"archive entry, writing, hidden name", 1, false, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(test::writeFile(big, "the user's own copy"));
        const auto inSource
            = [&] { return QDir(disk("src")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); };
        const QStringList before = inSource();

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // No test assertion here: the child ends by its kill, or says how far it came.
            platform::PendingFile::offerUnnamedFiles(c.unnamed);
            KilledWhileWriting run(big);
            KilledWhileAsking question;
            question.kills = c.whileAsking;
            restore::RestoreRun restoreRun(requests[c.version], run, question);
            restoreRun.run();
            ::_exit(3);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
        EXPECT_EQ(test::readFile(big), "the user's own copy");
        EXPECT_EQ(inSource().size(), before.size() + c.leftUntilStart) << inSource().join(", ").toStdString();

        // What the program does when it starts.
        core::removeAbandonedWorkFiles();

        EXPECT_EQ(inSource(), before);
        EXPECT_EQ(test::readFile(big), "the user's own copy");
        expectNoWorkLeft();
    }
}
