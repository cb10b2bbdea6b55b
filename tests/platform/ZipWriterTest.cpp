#include "platform/ZipWriter.h"
#include "platform/ZipReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/FileTimes.h"
#include "support/ProgramFolderTest.h"
#include "support/RecordingRun.h"
#include "support/SmallDisk.h"
#include "support/ZipFixtures.h"

using namespace platform;

namespace
{

QByteArray textBytes(qsizetype size)
{
    static const QByteArray words("backup set archive folder version restore schedule destination protect ");
    QByteArray bytes;
    bytes.reserve(size);
    for (int line = 0; bytes.size() < size; ++line)
        bytes += words.mid(line % 17) + QByteArray::number(line) + '\n';
    bytes.truncate(size);
    return bytes;
}

class ZipWriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sources.isValid());
        ASSERT_TRUE(target.isValid());
    }

    QString source(const QString& relative) const { return sources.path() + QLatin1Char('/') + relative; }
    QString archive() const { return target.path() + QStringLiteral("/set.zip"); }

    // A source file and its entry, mirrored below the sources folder.
    ZipEntrySource file(const QString& relative, const QByteArray& bytes)
    {
        EXPECT_TRUE(test::writeFile(source(relative), bytes));
        return {source(relative), QStringLiteral("src/") + relative, false};
    }

    static void setModified(const QString& path, const QDateTime& when) { ASSERT_TRUE(test::setModified(path, when)); }

    // The archive is sound by Info-ZIP and holds exactly these entries with these sources' bytes.
    void expectArchiveHolds(const QList<ZipEntrySource>& entries) const
    {
        QString output;
        EXPECT_TRUE(test::unzipTestsOk(archive(), &output)) << output.toStdString();
        QStringList names;
        for (const ZipEntrySource& entry : entries)
            names << entry.entryName + (entry.folder ? QStringLiteral("/") : QString());
        EXPECT_EQ(test::unzipNames(archive()), names);
        for (const ZipEntrySource& entry : entries) {
            if (!entry.folder) {
                EXPECT_EQ(test::unzipEntry(archive(), entry.entryName), test::readFile(entry.sourcePath))
                    << entry.entryName.toStdString();
            }
        }
    }

    // A bit of everything: small files of each kind, files of several chunks that deflate and that do
    // not, one whose head is random and whose rest deflates, an empty file. (No folder: its entry takes
    // the time of the build.)
    QList<ZipEntrySource> mixedTree()
    {
        QList<ZipEntrySource> entries;
        for (int i = 0; i < 40; ++i) {
            const QByteArray bytes = i % 3 == 0 ? test::noisyBytes(1000 + i * 997, i) : textBytes(100 + i * 3001);
            entries << file(QStringLiteral("folder/small %1.txt").arg(i), bytes);
        }
        entries << file(QStringLiteral("big text.txt"), textBytes(ZipChunkSize * 7 / 2));
        entries << file(QStringLiteral("big random.bin"), test::noisyBytes(ZipChunkSize * 5 / 2));
        entries << file(QStringLiteral("random head.bin"), test::noisyBytes(20000) + textBytes(ZipChunkSize * 2));
        entries << file(QStringLiteral("text head.bin"), textBytes(ZipChunkSize) + test::noisyBytes(ZipChunkSize));
        entries << file(QStringLiteral("empty.txt"), QByteArray());
        entries << file(QStringLiteral("exactly two chunks.txt"), textBytes(ZipChunkSize * 2));
        return entries;
    }

    QStringList targetFolderFiles() const { return QDir(target.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir sources;
    QTemporaryDir target;
};

TEST_F(ZipWriterTest, PacksEachKindOfFileSoundlyAndStoresWhatDoesNotShrink)
{
    struct Case
    {
        QString name;
        QByteArray bytes;
        const char* method;
    };
    const Case cases[] = {
        {QStringLiteral("text.txt"), textBytes(200000), "defN"},
        {QStringLiteral("random.bin"), test::noisyBytes(200000), "stor"},
        {QStringLiteral("empty.txt"), QByteArray(), "stor"},
        {QStringLiteral("one byte"), QByteArray("x"), "stor"},
        // Larger than one chunk: judged and streamed chunk by chunk.
        {QStringLiteral("big text.txt"), textBytes(ZipChunkSize * 5 / 2), "defN"},
        {QStringLiteral("big random.bin"), test::noisyBytes(ZipChunkSize * 5 / 2), "stor"},
        {QStringLiteral("exactly one chunk.txt"), textBytes(ZipChunkSize), "defN"},
        {QStringLiteral("mostly random.bin"), test::noisyBytes(ZipChunkSize + 10) + textBytes(ZipChunkSize), "stor"},
        {QStringLiteral("projekt \u00e4rger/\u65e5\u672c.txt"), textBytes(5000), "defN"},
    };
    QList<ZipEntrySource> entries;
    for (const Case& c : cases)
        entries << file(c.name, c.bytes);
    entries.insert(1, {source(QStringLiteral("projekt \u00e4rger")), QStringLiteral("src/projekt \u00e4rger"), true});

    const ZipWriteResult result = writeZipArchive(archive(), entries);

    ASSERT_TRUE(result.succeeded()) << result.reason().toStdString();
    EXPECT_TRUE(result.skipped.isEmpty());
    EXPECT_EQ(result.packed, entries.size());
    expectArchiveHolds(entries);
    for (const Case& c : cases) {
        const QString line = test::zipinfoLine(archive(), QStringLiteral("src/") + c.name);
        EXPECT_TRUE(line.contains(QLatin1Char(' ') + QLatin1String(c.method) + QLatin1Char(' '))) << line.toStdString();
    }
    EXPECT_EQ(targetFolderFiles(), QStringList {QStringLiteral("set.zip")});
}

TEST_F(ZipWriterTest, KeepsModesAndTimesAndFlagsNamesAsUtf8)
{
    const ZipEntrySource script = file(QStringLiteral("run.sh"), "echo hi\n");
    const ZipEntrySource accented = file(QStringLiteral("r\u00e9sum\u00e9.txt"), "cv\n");
    ASSERT_TRUE(QFile::setPermissions(script.sourcePath,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                          | QFile::ExeGroup));
    setModified(script.sourcePath, QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30)));

    ASSERT_TRUE(writeZipArchive(archive(), {script, accented}).succeeded());

    const QString line = test::zipinfoLine(archive(), script.entryName);
    EXPECT_TRUE(line.startsWith(QStringLiteral("-rwxr-x---"))) << line.toStdString();
    EXPECT_TRUE(line.contains(QStringLiteral(" 20240305.102030 "))) << line.toStdString();
    const auto flags = test::centralDirectoryFlags(archive());
    ASSERT_EQ(flags.size(), 2);
    EXPECT_EQ(flags[1].first, accented.entryName);
    EXPECT_TRUE(flags[1].second & 0x0800) << "non-ASCII names carry the UTF-8 flag";
}

TEST_F(ZipWriterTest, KeepsOddSecondsOfTheModificationTime)
{
    // The entry's own DOS time only holds even seconds; the extended time stamp keeps the rest.
    const ZipEntrySource odd = file(QStringLiteral("odd.txt"), "odd\n");
    const QDateTime when(QDate(2025, 7, 8), QTime(9, 10, 11));
    setModified(odd.sourcePath, when);
    ASSERT_TRUE(writeZipArchive(archive(), {odd}).succeeded());

    platform::ZipReader reader;
    ASSERT_TRUE(reader.open(archive()));
    ASSERT_EQ(reader.entries().size(), 1);
    EXPECT_EQ(reader.entries().first().modified, when);
    EXPECT_TRUE(test::zipinfoLine(archive(), odd.entryName).contains(QStringLiteral(" 20250708.091011 ")));
}

TEST_F(ZipWriterTest, LeavesOutWhatCannotBePackedAndBuildsTheRest)
{
    const ZipEntrySource kept = file(QStringLiteral("kept.txt"), "kept\n");
    ASSERT_TRUE(QDir().mkpath(source(QStringLiteral("a folder"))));
    struct Case
    {
        ZipEntrySource entry;
        QString reason;
    };
    const Case cases[] = {
        {{source(QStringLiteral("gone.txt")), QStringLiteral("src/gone.txt")}, QStringLiteral("it no longer exists")},
        {{source(QStringLiteral("a folder")), QStringLiteral("src/a folder")},
         QStringLiteral("it is not a regular file")},
        {{kept.sourcePath, QStringLiteral("../kept.txt")}, QStringLiteral("it has no safe name inside an archive")},
        {{kept.sourcePath, QStringLiteral("/abs.txt")}, QStringLiteral("it has no safe name inside an archive")},
        {{kept.sourcePath, QStringLiteral("C:/drive.txt")}, QStringLiteral("it has no safe name inside an archive")},
        {{kept.sourcePath, QStringLiteral("src\\win.txt")}, QStringLiteral("it has no safe name inside an archive")},
        {{kept.sourcePath, QStringLiteral("src//twice.txt")}, QStringLiteral("it has no safe name inside an archive")},
        {{kept.sourcePath, QStringLiteral("src/./dot.txt")}, QStringLiteral("it has no safe name inside an archive")},
        {{kept.sourcePath, QStringLiteral("src/..")}, QStringLiteral("it has no safe name inside an archive")},
        {{kept.sourcePath, QStringLiteral("")}, QStringLiteral("it has no safe name inside an archive")},
        {{kept.sourcePath, kept.entryName}, QStringLiteral("another file is packed under the same name")},
        {{archive(), QStringLiteral("set.zip")}, QStringLiteral("it is the archive being written")},
    };
    ASSERT_TRUE(test::writeFile(archive(), "an older archive"));
    QList<ZipEntrySource> entries {kept};
    for (const Case& c : cases)
        entries << c.entry;

    const ZipWriteResult result = writeZipArchive(archive(), entries);

    ASSERT_TRUE(result.succeeded()) << result.reason().toStdString();
    ASSERT_EQ(result.skipped.size(), std::size(cases));
    for (qsizetype i = 0; i < result.skipped.size(); ++i) {
        EXPECT_EQ(result.skipped[i].sourcePath, cases[i].entry.sourcePath);
        EXPECT_EQ(result.skipped[i].reason, cases[i].reason);
    }
    expectArchiveHolds({kept});
}

TEST_F(ZipWriterTest, AFileThatChangesOrVanishesWhileTheArchiveIsWrittenIsLeftOut)
{
    enum class Change
    {
        Grows,
        Shrinks,
        Vanishes
    };
    for (const Change change : {Change::Grows, Change::Shrinks, Change::Vanishes}) {
        const ZipEntrySource first = file(QStringLiteral("first.txt"), textBytes(1000));
        const ZipEntrySource big = file(QStringLiteral("big.txt"), textBytes(ZipChunkSize * 3));
        const ZipEntrySource last = file(QStringLiteral("last.txt"), textBytes(2000));
        // Stop checks come before each file and before each further chunk: the third is the big file's
        // second chunk; the first comes before the big file is opened.
        int checks = 0;
        ZipWriteOptions options;
        test::RecordingRun run;
        options.run = &run;
        run.stopWhen = [&] {
            ++checks;
            QFile bigFile(big.sourcePath);
            if (change == Change::Vanishes && checks == 1) {
                EXPECT_TRUE(bigFile.remove());
            }
            if (change == Change::Grows && checks == 3 && bigFile.open(QIODevice::Append))
                bigFile.write("more");
            if (change == Change::Shrinks && checks == 3) {
                EXPECT_TRUE(bigFile.resize(ZipChunkSize + 10));
            }
            return false;
        };

        const ZipWriteResult result = writeZipArchive(archive(), {first, big, last}, options);

        ASSERT_TRUE(result.succeeded()) << result.reason().toStdString();
        ASSERT_EQ(result.skipped.size(), 1);
        EXPECT_EQ(result.skipped[0].sourcePath, big.sourcePath);
        EXPECT_EQ(result.skipped[0].reason,
                  change == Change::Vanishes ? QStringLiteral("it no longer exists")
                                             : QStringLiteral("it changed while it was being packed"));
        expectArchiveHolds({first, last});
        EXPECT_EQ(targetFolderFiles(), QStringList {QStringLiteral("set.zip")});
    }
}

TEST_F(ZipWriterTest, AStopEndsTheBuildWithinAChunkAndLeavesTheEarlierArchive)
{
    const ZipEntrySource big = file(QStringLiteral("big.bin"), test::noisyBytes(ZipChunkSize * 4));
    ASSERT_TRUE(test::writeFile(archive(), "the earlier archive"));
    int checks = 0;
    ZipWriteOptions options;
    test::RecordingRun run;
    run.stopWhen = [&] { return ++checks == 2; };
    options.run = &run;

    const ZipWriteResult result = writeZipArchive(archive(), {big}, options);

    EXPECT_TRUE(result.stopped());
    EXPECT_EQ(checks, 2) << "asked once before the file and once before its second chunk";
    EXPECT_EQ(test::readFile(archive()), QByteArray("the earlier archive"));
    EXPECT_EQ(targetFolderFiles(), QStringList {QStringLiteral("set.zip")});
}

TEST_F(ZipWriterTest, WorkersWriteTheArchiveOneThreadWrites)
{
    const QList<ZipEntrySource> entries = mixedTree();
    ZipWriteOptions one;
    one.workers = 1;
    ASSERT_TRUE(writeZipArchive(archive(), entries, one).succeeded());
    expectArchiveHolds(entries);
    const QByteArray oneThread = test::readFile(archive());

    for (const int workers : {2, 3, 8}) {
        ZipWriteOptions options;
        options.workers = workers;
        const ZipWriteResult result = writeZipArchive(archive(), entries, options);
        ASSERT_TRUE(result.succeeded()) << result.reason().toStdString();
        EXPECT_EQ(result.packed, entries.size());
        EXPECT_TRUE(test::unzipTestsOk(archive()));
        EXPECT_TRUE(test::readFile(archive()) == oneThread) << workers << " workers";
    }
}

TEST_F(ZipWriterTest, WorkersLeaveOutFilesThatFailMidWayAsOneThreadDoes)
{
    // Before any file is read, one file vanishes and another turns into a folder; later, between its
    // first and second chunk, the big file shrinks. Each failure rebuilds the archive without the file.
    QByteArray archives[2];
    const int workerCounts[2] = {1, 4};
    for (int run = 0; run < 2; ++run) {
        QList<ZipEntrySource> entries;
        for (int i = 0; i < 6; ++i)
            entries << file(QStringLiteral("a%1.txt").arg(i), textBytes(50000 + i));
        const ZipEntrySource vanishes = entries[1];
        const ZipEntrySource becomesFolder = entries[3];
        const ZipEntrySource big = file(QStringLiteral("big.txt"), textBytes(ZipChunkSize * 3));
        entries.insert(4, big);
        // Written afresh for each count: the same times make the same archive.
        for (const ZipEntrySource& entry : entries)
            setModified(entry.sourcePath, QDateTime(QDate(2025, 5, 6), QTime(7, 8, 9)));
        ZipWriteOptions options;
        options.workers = workerCounts[run];
        test::RecordingRun recording;
        options.run = &recording;
        int checks = 0;
        recording.stopWhen = [&] {
            ++checks;
            if (checks == 1) {
                EXPECT_TRUE(QFile::remove(vanishes.sourcePath));
                EXPECT_TRUE(QFile::remove(becomesFolder.sourcePath));
                EXPECT_TRUE(QDir().mkpath(becomesFolder.sourcePath));
            }
            // Third build: a0, a2, big, then big's second chunk.
            if (checks == 2 + 3 + 4) {
                EXPECT_TRUE(QFile::resize(big.sourcePath, ZipChunkSize + 10));
            }
            return false;
        };

        const ZipWriteResult result = writeZipArchive(archive(), entries, options);

        ASSERT_TRUE(result.succeeded()) << result.reason().toStdString();
        ASSERT_EQ(result.skipped.size(), 3);
        EXPECT_EQ(result.skipped[0].sourcePath, vanishes.sourcePath);
        EXPECT_EQ(result.skipped[0].reason, QStringLiteral("it no longer exists"));
        EXPECT_EQ(result.skipped[1].sourcePath, becomesFolder.sourcePath);
        EXPECT_EQ(result.skipped[1].reason, QStringLiteral("it is not a regular file"));
        EXPECT_EQ(result.skipped[2].sourcePath, big.sourcePath);
        EXPECT_EQ(result.skipped[2].reason, QStringLiteral("it changed while it was being packed"));
        expectArchiveHolds({entries[0], entries[2], entries[5], entries[6]});
        archives[run] = test::readFile(archive());
        ASSERT_TRUE(QDir(becomesFolder.sourcePath).removeRecursively());
    }
    EXPECT_TRUE(archives[0] == archives[1]);
}

TEST_F(ZipWriterTest, AStopWithWorkersAheadEndsTheBuildAndLeavesTheEarlierArchive)
{
    QList<ZipEntrySource> entries;
    for (int i = 0; i < 30; ++i)
        entries << file(QStringLiteral("f%1.txt").arg(i), textBytes(300000 + i));
    entries << file(QStringLiteral("big.txt"), textBytes(ZipChunkSize * 6));
    ASSERT_TRUE(test::writeFile(archive(), "the earlier archive"));
    for (const int stopAt : {2, 33}) {
        ZipWriteOptions options;
        options.workers = 4;
        test::RecordingRun run;
        run.stopWhen = [&] { return run.stopQuestions == stopAt; };
        options.run = &run;

        const ZipWriteResult result = writeZipArchive(archive(), entries, options);

        EXPECT_TRUE(result.stopped());
        EXPECT_EQ(run.stopQuestions, stopAt) << "nothing more is asked once a stop is seen";
        EXPECT_EQ(test::readFile(archive()), QByteArray("the earlier archive"));
        EXPECT_EQ(targetFolderFiles(), QStringList {QStringLiteral("set.zip")});
    }
}

TEST_F(ZipWriterTest, AFreshArchiveHoldsOnlyTheNewEntries)
{
    const ZipEntrySource a = file(QStringLiteral("a.txt"), "a\n");
    const ZipEntrySource b = file(QStringLiteral("b.txt"), "b\n");
    ASSERT_TRUE(writeZipArchive(archive(), {a, b}).succeeded());
    ASSERT_TRUE(QFile::remove(b.sourcePath));

    ASSERT_TRUE(writeZipArchive(archive(), {a}).succeeded());

    expectArchiveHolds({a});
}

TEST_F(ZipWriterTest, FailuresLeaveTheEarlierArchiveAsItWas)
{
    const ZipEntrySource a = file(QStringLiteral("a.txt"), "a\n");
    ASSERT_TRUE(writeZipArchive(archive(), {a}).succeeded());
    const QByteArray earlier = test::readFile(archive());

    struct Case
    {
        QList<ZipEntrySource> entries;
        ZipWriteFailure failure;
    };
    const Case cases[] = {
        {{}, ZipWriteFailure::NothingToPack},
        {{{source(QStringLiteral("gone.txt")), QStringLiteral("src/gone.txt")}}, ZipWriteFailure::NothingToPack},
    };
    for (const Case& c : cases) {
        const ZipWriteResult result = writeZipArchive(archive(), c.entries);
        EXPECT_FALSE(result.succeeded() || result.stopped());
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_FALSE(result.reason().isEmpty());
        EXPECT_EQ(test::readFile(archive()), earlier);
    }

    const QString nowhere = target.path() + QStringLiteral("/missing folder/set.zip");
    const ZipWriteResult result = writeZipArchive(nowhere, {a});
    EXPECT_FALSE(result.succeeded() || result.stopped());
    EXPECT_EQ(result.failure, ZipWriteFailure::CannotWrite);
    EXPECT_TRUE(result.reason().contains(nowhere)) << result.reason().toStdString();
    EXPECT_EQ(targetFolderFiles(), QStringList {QStringLiteral("set.zip")});
}

TEST_F(ZipWriterTest, AFullDiskFailsTheBuildWithTheSystemsReason)
{
    test::SmallDisk disk(target.path(), "256k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error().toStdString();
    const ZipEntrySource a = file(QStringLiteral("a.txt"), "a\n");
    const ZipEntrySource big = file(QStringLiteral("big.bin"), test::noisyBytes(ZipChunkSize));
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "an earlier archive" : "a new archive");
        if (earlier)
            ASSERT_TRUE(writeZipArchive(archive(), {a}).succeeded());
        const QByteArray before = test::readFile(archive());

        const ZipWriteResult result = writeZipArchive(archive(), {a, big});

        EXPECT_FALSE(result.succeeded() || result.stopped());
        EXPECT_EQ(result.failure, ZipWriteFailure::CannotWrite);
        EXPECT_EQ(result.writeError, ENOSPC);
        EXPECT_EQ(result.reason(),
                  QStringLiteral("The archive %1 could not be written: %2").arg(archive(), qt_error_string(ENOSPC)));
        EXPECT_EQ(test::readFile(archive()), before);
        EXPECT_EQ(targetFolderFiles(), earlier ? QStringList {QStringLiteral("set.zip")} : QStringList());
    }
}

TEST_F(ZipWriterTest, UpdatingReplacesNewerFilesAndKeepsTheOthers)
{
    const ZipEntrySource changed = file(QStringLiteral("changed.txt"), "old\n");
    const ZipEntrySource same = file(QStringLiteral("same.txt"), "same\n");
    const ZipEntrySource kept = file(QStringLiteral("kept.txt"), "kept\n");
    const QDateTime before(QDate(2025, 1, 1), QTime(8, 0, 0));
    for (const ZipEntrySource& entry : {changed, same, kept})
        setModified(entry.sourcePath, before);
    ASSERT_TRUE(writeZipArchive(archive(), {changed, same, kept}).succeeded());

    ASSERT_TRUE(test::writeFile(changed.sourcePath, "new\n"));
    setModified(changed.sourcePath, before.addSecs(60));
    // Changed without a newer time: an update keeps the packed copy.
    ASSERT_TRUE(test::writeFile(same.sourcePath, "SAME\n"));
    setModified(same.sourcePath, before);
    const ZipEntrySource added = file(QStringLiteral("added.txt"), "added\n");
    ZipWriteOptions update;
    update.updateExisting = true;

    const ZipWriteResult result = writeZipArchive(archive(), {changed, same, added}, update);

    ASSERT_TRUE(result.succeeded()) << result.reason().toStdString();
    EXPECT_EQ(result.packed, 2);
    ASSERT_TRUE(test::unzipTestsOk(archive()));
    EXPECT_EQ(test::unzipNames(archive()),
              (QStringList {changed.entryName, same.entryName, kept.entryName, added.entryName}));
    EXPECT_EQ(test::unzipEntry(archive(), changed.entryName), QByteArray("new\n"));
    EXPECT_EQ(test::unzipEntry(archive(), same.entryName), QByteArray("same\n"));
    EXPECT_EQ(test::unzipEntry(archive(), added.entryName), QByteArray("added\n"));
}

TEST_F(ZipWriterTest, UpdatingSomethingThatIsNotAnArchiveLeavesItAlone)
{
    const ZipEntrySource a = file(QStringLiteral("a.txt"), "a\n");
    ASSERT_TRUE(test::writeFile(archive(), QByteArray(100, 'x')));
    ZipWriteOptions update;
    update.updateExisting = true;

    const ZipWriteResult result = writeZipArchive(archive(), {a}, update);

    EXPECT_FALSE(result.succeeded() || result.stopped());
    EXPECT_EQ(result.failure, ZipWriteFailure::NotAnArchive);
    EXPECT_EQ(test::readFile(archive()), QByteArray(100, 'x'));
}

} // namespace
