#include "restore/cUnzip.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "ScriptedQuestion.h"
#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "support/FileTimes.h"
#include "support/ProgramFolderTest.h"
#include "support/RecordingRun.h"
#include "support/ZipFixtures.h"

using restore::cUnzip;
using restore::UnzipOutcome;
using restore::UnzipResult;
using Answer = restore::OverwriteAnswer;

namespace
{
constexpr qint64 kChunk = 1024 * 1024;

// Source trees zipped by Info-ZIP the way a run lays out its entries (paths relative to "/").
class cUnzipTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        big = test::noisyBytes(3 * kChunk + 7);
        put("home/u/docs/a.txt", "alpha\r\n");
        put("home/u/docs/deep/b.txt", "bravo");
        put("home/u/big.bin", big);
        put("home/u/my file.txt", "blank in the name");
        ASSERT_TRUE(QDir().mkpath(path("src/home/u/empty")));
    }

    QString path(const QString& relative) const { return dir.path() + "/" + relative; }
    void put(const QString& relative, const QByteArray& bytes)
    {
        ASSERT_TRUE(test::writeFile(path("src/" + relative), bytes));
    }
    // Zips the source tree (or the named paths in it) with zip's own options.
    QString zip(const QString& name, QStringList arguments = {"-r"}, const QStringList& paths = {"home"})
    {
        const QString archive = path(name);
        EXPECT_TRUE(test::runZip(path("src"), arguments << archive << paths));
        return archive;
    }
    // Every file below a folder, relative to it.
    QStringList filesBelow(const QString& folder) const
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(folder).relativeFilePath(it.next());
        files.sort();
        return files;
    }
    const UnzipResult* resultFor(const cUnzip& unzip, const QString& entry) const
    {
        for (const UnzipResult& result : unzip.Results()) {
            if (result.entry == entry)
                return &result;
        }
        return nullptr;
    }

    QTemporaryDir dir;
    QByteArray big;
};
} // namespace

TEST_F(cUnzipTest, FreshObjectAndItsProperties)
{
    cUnzip unzip;
    EXPECT_EQ(unzip.FileCount(), 0);
    EXPECT_EQ(unzip.ZipFile(), "");
    EXPECT_EQ(unzip.UnzipFolder(), "");
    EXPECT_EQ(unzip.MessageLevel(), 0);

    struct Flag
    {
        const char* name;
        bool (cUnzip::*get)() const;
        void (cUnzip::*set)(bool);
    };
    const Flag flags[] = {
        {"ExtractOnlyNewer", &cUnzip::ExtractOnlyNewer, &cUnzip::setExtractOnlyNewer},
        {"SpaceToUnderScore", &cUnzip::SpaceToUnderScore, &cUnzip::setSpaceToUnderScore},
        {"PromptToOverwrite", &cUnzip::PromptToOverwrite, &cUnzip::setPromptToOverwrite},
        {"TestZip", &cUnzip::TestZip, &cUnzip::setTestZip},
        {"UseFolderNames", &cUnzip::UseFolderNames, &cUnzip::setUseFolderNames},
        {"OverwriteExisting", &cUnzip::OverwriteExisting, &cUnzip::setOverwriteExisting},
        {"ConvertCRToCRLF", &cUnzip::ConvertCRToCRLF, &cUnzip::setConvertCRToCRLF},
        {"CaseSensitiveFileNames", &cUnzip::CaseSensitiveFileNames, &cUnzip::setCaseSensitiveFileNames},
    };
    for (const Flag& flag : flags) {
        EXPECT_FALSE((unzip.*flag.get)()) << flag.name;
        (unzip.*flag.set)(true);
        // Each option has a slot of its own.
        for (const Flag& other : flags)
            EXPECT_EQ((unzip.*other.get)(), &other == &flag) << flag.name << " / " << other.name;
        (unzip.*flag.set)(false);
    }
    unzip.setMessageLevel(2);
    EXPECT_EQ(unzip.MessageLevel(), 2);

    // No archive: nothing is done.
    EXPECT_FALSE(unzip.Unzip());
    EXPECT_TRUE(unzip.Results().isEmpty());
}

TEST_F(cUnzipTest, UnpacksAnInfoZipArchiveWithItsFolders)
{
    const QString archive = zip("t.zip");
    cUnzip unzip;
    unzip.setZipFile(archive);
    unzip.setUnzipFolder(path("work"));
    unzip.setUseFolderNames(true);
    test::RecordingRun run;
    const platform::Result unpacked = unzip.Unzip(run);
    ASSERT_TRUE(unpacked.succeeded()) << unpacked.reason().toStdString();
    const QStringList& progress = run.statuses;

    const QStringList files = filesBelow(path("src"));
    EXPECT_EQ(filesBelow(path("work")), files);
    for (const QString& file : files) {
        EXPECT_EQ(test::readFile(path("work/" + file)), test::readFile(path("src/" + file))) << file.toStdString();
        EXPECT_EQ(QFileInfo(path("work/" + file)).lastModified().toSecsSinceEpoch(),
                  QFileInfo(path("src/" + file)).lastModified().toSecsSinceEpoch())
            << file.toStdString();
    }
    EXPECT_TRUE(QFileInfo(path("work/home/u/empty")).isDir());
    for (const UnzipResult& result : unzip.Results())
        EXPECT_EQ(result.outcome, UnzipOutcome::Written) << result.entry.toStdString();
    EXPECT_TRUE(progress.contains("  inflating: " + path("work/home/u/docs/deep/b.txt")));

    // Without folder names every file lands in the folder itself.
    unzip.setUnzipFolder(path("flat"));
    unzip.setUseFolderNames(false);
    ASSERT_TRUE(unzip.Unzip());
    EXPECT_EQ(filesBelow(path("flat")), (QStringList {"a.txt", "b.txt", "big.bin", "my file.txt"}));

    // Blanks can become underscores.
    unzip.setUnzipFolder(path("under"));
    unzip.setSpaceToUnderScore(true);
    ASSERT_TRUE(unzip.Unzip());
    EXPECT_EQ(test::readFile(path("under/my_file.txt")), "blank in the name");
}

TEST_F(cUnzipTest, ListingAndSelection)
{
    cUnzip unzip;
    unzip.setZipFile(zip("t.zip"));
    EXPECT_EQ(unzip.Directory(), 0);
    // Folders are not listed.
    ASSERT_EQ(unzip.FileCount(), 4);
    QStringList listed;
    for (qint64 i = 1; i <= unzip.FileCount(); ++i) {
        listed << unzip.FileDirectory(i) + "|" + unzip.Filename(i);
        EXPECT_TRUE(unzip.FileSelected(i));
        EXPECT_FALSE(unzip.FileEncrypted(i));
        if (unzip.Filename(i) == "big.bin") {
            EXPECT_EQ(unzip.FileSize(i), big.size());
            EXPECT_EQ(unzip.FileCompressionMethod(i), "Deflated");
            EXPECT_GT(unzip.FilePackedSize(i), 0);
            EXPECT_GE(unzip.FileCompressionRatio(i), 99);
            EXPECT_NE(unzip.FileCRC(i), 0u);
            EXPECT_EQ(unzip.FileDate(i).toSecsSinceEpoch(),
                      QFileInfo(path("src/home/u/big.bin")).lastModified().toSecsSinceEpoch());
        }
    }
    listed.sort();
    EXPECT_EQ(listed,
              (QStringList {"home/u/docs/deep|b.txt", "home/u/docs|a.txt", "home/u|big.bin", "home/u|my file.txt"}));

    // Only the chosen entries are unpacked.
    for (qint64 i = 1; i <= unzip.FileCount(); ++i)
        unzip.setFileSelected(i, unzip.Filename(i) == "b.txt");
    unzip.setUnzipFolder(path("work"));
    unzip.setUseFolderNames(true);
    ASSERT_TRUE(unzip.Unzip());
    EXPECT_EQ(filesBelow(path("work")), QStringList {"home/u/docs/deep/b.txt"});

    // A second listing replaces the first; a new archive drops it.
    unzip.Directory();
    EXPECT_EQ(unzip.FileCount(), 4);
    unzip.setZipFile(path("t.zip"));
    EXPECT_EQ(unzip.FileCount(), 0);
}

TEST_F(cUnzipTest, IndexesOutsideTheListingFail)
{
    cUnzip unzip;
    unzip.setZipFile(zip("t.zip"));
    unzip.Directory();
    for (const qint64 index : {qint64(0), qint64(5), qint64(-1)}) {
        core::resetErrors();
        EXPECT_EQ(unzip.Filename(index), "");
        EXPECT_EQ(core::Err().Number, core::err::SubscriptOutOfRange) << index;
        core::resetErrors();
        unzip.setFileSelected(index, false);
        EXPECT_EQ(core::Err().Number, core::err::SubscriptOutOfRange) << index;
    }
    core::resetErrors();
    unzip.FileSize(4);
    EXPECT_EQ(core::Err().Number, 0);
}

TEST_F(cUnzipTest, NothingIsWrittenOutsideTheFolder)
{
    put("aa/x.txt", "dotdot");
    put("zabs.txt", "absolute");
    put("Cq/drive.txt", "drive");
    put("bb/y.txt", "backslash");
    put("good.txt", "good");
    ASSERT_TRUE(QFile::link("/etc/hostname", path("src/ln")));
    ASSERT_TRUE(QFile::link("..", path("src/up")));
    const QString archive
        = zip("bad.zip", {"-y"}, {"aa/x.txt", "zabs.txt", "Cq/drive.txt", "bb/y.txt", "ln", "up", "good.txt"});
    ASSERT_TRUE(test::renameEntry(archive, "aa/x.txt", "../x.txt"));
    ASSERT_TRUE(test::renameEntry(archive, "zabs.txt", "/abs.txt"));
    ASSERT_TRUE(test::renameEntry(archive, "Cq/drive.txt", "C:/drive.txt"));
    ASSERT_TRUE(test::renameEntry(archive, "bb/y.txt", "..\\y.txt"));

    // The extraction folder sits in a sandbox that must stay as it is.
    ASSERT_TRUE(QDir().mkpath(path("box/work")));
    cUnzip unzip;
    unzip.setZipFile(archive);
    unzip.setUnzipFolder(path("box/work"));
    unzip.setUseFolderNames(true);
    EXPECT_FALSE(unzip.Unzip());

    const std::pair<QString, UnzipOutcome> expected[] = {
        {"../x.txt", UnzipOutcome::Refused},     {"/abs.txt", UnzipOutcome::Refused},
        {"C:/drive.txt", UnzipOutcome::Refused}, {"..\\y.txt", UnzipOutcome::Refused},
        {"ln", UnzipOutcome::Refused},           {"up", UnzipOutcome::Refused},
        {"good.txt", UnzipOutcome::Written},
    };
    ASSERT_EQ(unzip.Results().size(), std::size(expected));
    for (const auto& [entry, outcome] : expected) {
        const UnzipResult* result = resultFor(unzip, entry);
        ASSERT_NE(result, nullptr) << entry.toStdString();
        EXPECT_EQ(result->outcome, outcome) << entry.toStdString();
        EXPECT_EQ(result->reason.isEmpty(), outcome == UnzipOutcome::Written) << entry.toStdString();
    }
    EXPECT_EQ(filesBelow(path("box")), QStringList {"work/good.txt"});
    EXPECT_FALSE(QFileInfo::exists("/abs.txt"));
}

TEST_F(cUnzipTest, AnEntryTooLargeForTheDiskIsNotBegun)
{
    // Zip64 headers, where an entry may record a size no disk holds.
    const QString archive = zip("t.zip", {"-r", "-fz"});
    ASSERT_TRUE(test::setRecordedSize(archive, "home/u/big.bin", quint64(1) << 60));
    cUnzip unzip;
    unzip.setZipFile(archive);
    unzip.setUnzipFolder(path("work"));
    unzip.setUseFolderNames(true);
    EXPECT_FALSE(unzip.Unzip());
    const UnzipResult* tooLarge = resultFor(unzip, "home/u/big.bin");
    ASSERT_NE(tooLarge, nullptr);
    EXPECT_EQ(tooLarge->outcome, UnzipOutcome::Failed);
    EXPECT_TRUE(tooLarge->reason.contains("its 1152921504606846976 bytes do not fit in the"))
        << tooLarge->reason.toStdString();
    // Nothing of it was written, not even a temporary file; the other entries are whole.
    EXPECT_EQ(filesBelow(path("work")),
              (QStringList {"home/u/docs/a.txt", "home/u/docs/deep/b.txt", "home/u/my file.txt"}));
}

TEST_F(cUnzipTest, LinksAlreadyInTheFolderAreNotFollowed)
{
    const QString archive = zip("t.zip");
    ASSERT_TRUE(QDir().mkpath(path("outside")));
    ASSERT_TRUE(QDir().mkpath(path("work/home")));
    ASSERT_TRUE(QFile::link(path("outside"), path("work/home/u")));
    ASSERT_TRUE(test::writeFile(path("outside/a.bin"), "outside"));
    ASSERT_TRUE(QFile::link(path("outside/a.bin"), path("work/a.bin")));
    put("a.bin", "through a link");
    ASSERT_TRUE(test::runZip(path("src"), {archive, "a.bin"}));

    cUnzip unzip;
    unzip.setZipFile(archive);
    unzip.setUnzipFolder(path("work"));
    unzip.setUseFolderNames(true);
    unzip.setOverwriteExisting(true);
    EXPECT_FALSE(unzip.Unzip());
    EXPECT_EQ(resultFor(unzip, "home/u/big.bin")->outcome, UnzipOutcome::Refused);
    EXPECT_EQ(resultFor(unzip, "a.bin")->outcome, UnzipOutcome::Refused);
    EXPECT_EQ(filesBelow(path("outside")), QStringList {"a.bin"});
    EXPECT_EQ(test::readFile(path("outside/a.bin")), "outside");
}

TEST_F(cUnzipTest, DamagedEntriesLeaveNoPartialFile)
{
    const QString archive = zip("t.zip");
    ASSERT_TRUE(test::flipStoredCrc(archive, "home/u/big.bin"));
    cUnzip unzip;
    unzip.setZipFile(archive);
    unzip.setUnzipFolder(path("work"));
    unzip.setUseFolderNames(true);
    EXPECT_FALSE(unzip.Unzip());
    const UnzipResult* damaged = resultFor(unzip, "home/u/big.bin");
    ASSERT_NE(damaged, nullptr);
    EXPECT_EQ(damaged->outcome, UnzipOutcome::Damaged);
    EXPECT_FALSE(damaged->reason.isEmpty());
    EXPECT_EQ(damaged->target, path("work/home/u/big.bin"));
    // The other entries are whole; of the damaged one nothing is left, not even a temporary file.
    EXPECT_EQ(filesBelow(path("work")),
              (QStringList {"home/u/docs/a.txt", "home/u/docs/deep/b.txt", "home/u/my file.txt"}));

    // Testing finds the same entry and writes nothing.
    unzip.setTestZip(true);
    unzip.setUnzipFolder(path("tested"));
    EXPECT_FALSE(unzip.Unzip());
    EXPECT_EQ(resultFor(unzip, "home/u/big.bin")->outcome, UnzipOutcome::Damaged);
    EXPECT_EQ(resultFor(unzip, "home/u/docs/a.txt")->outcome, UnzipOutcome::Tested);
    EXPECT_FALSE(QFileInfo::exists(path("tested")));

    // A truncated archive cannot be read at all.
    const QString cut = zip("cut.zip");
    ASSERT_TRUE(test::truncateFile(cut, QFileInfo(cut).size() - 30));
    unzip.setTestZip(false);
    unzip.setZipFile(cut);
    unzip.setUnzipFolder(path("cut"));
    EXPECT_FALSE(unzip.Unzip());
    EXPECT_FALSE(unzip.ArchiveError().isEmpty());
    EXPECT_TRUE(unzip.Results().isEmpty());
    EXPECT_TRUE(filesBelow(path("cut")).isEmpty());
}

TEST_F(cUnzipTest, AStopRequestIsSeenWithinAnEntry)
{
    const QString archive = zip("t.zip", {"-r"}, {"home/u/big.bin", "home/u/docs"});
    cUnzip unzip;
    unzip.setZipFile(archive);
    unzip.setUnzipFolder(path("work"));
    unzip.setUseFolderNames(true);
    // The stop request comes in through the event loop.
    test::RecordingRun run;
    QTimer::singleShot(0, [&] { run.requestStop(); });

    const platform::Result unpacked = unzip.Unzip(run);
    EXPECT_TRUE(unpacked.stopped());
    // Asked before the entry and after its first chunk, when the request had arrived.
    EXPECT_EQ(run.stopQuestions, 2);
    ASSERT_EQ(unzip.Results().size(), 1);
    EXPECT_EQ(unzip.Results().first().outcome, UnzipOutcome::Stopped);
    EXPECT_TRUE(filesBelow(path("work")).isEmpty());
}

TEST_F(cUnzipTest, ExistingFilesByTheOverwriteOptions)
{
    const QString archive = zip("t.zip", {}, {"home/u/docs/a.txt", "home/u/docs/deep/b.txt"});
    using Answers = QList<test::ScriptedQuestion::Answer>;
    enum Option
    {
        None,
        Overwrite,
        Prompt,
        Newer
    };
    struct Case
    {
        const char* name;
        Option option;
        // Nothing: no question to ask.
        std::optional<Answers> answers;
        bool olderInPlace;
        int expectedPrompts;
        QByteArray expectedA;
        QByteArray expectedB;
    };
    const Case cases[] = {
        {"kept by default", None, std::nullopt, true, 0, "old a", "old b"},
        {"overwritten", Overwrite, std::nullopt, true, 0, "alpha\r\n", "bravo"},
        {"prompt without a question keeps", Prompt, std::nullopt, true, 0, "old a", "old b"},
        {"prompt unanswered keeps", Prompt, Answers {}, true, 2, "old a", "old b"},
        {"prompt yes then no", Prompt, Answers {Answer::Yes, Answer::No}, true, 2, "alpha\r\n", "old b"},
        {"prompt all", Prompt, Answers {Answer::YesToAll}, true, 1, "alpha\r\n", "bravo"},
        {"prompt none", Prompt, Answers {Answer::NoToAll}, true, 1, "old a", "old b"},
        {"prompt cancel or stop keeps", Prompt, Answers {Answer::Cancel, std::nullopt}, true, 2, "old a", "old b"},
        {"only newer: older file replaced", Newer, std::nullopt, true, 0, "alpha\r\n", "bravo"},
        {"only newer: newer file kept", Newer, std::nullopt, false, 0, "old a", "old b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString work = path(QString("work-%1").arg(&c - cases));
        const QDateTime stamp
            = c.olderInPlace ? QDateTime(QDate(2001, 1, 1), QTime(0, 0)) : QDateTime::currentDateTime().addDays(1);
        for (const auto& [file, bytes] :
             {std::pair<QString, QByteArray> {"home/u/docs/a.txt", "old a"}, {"home/u/docs/deep/b.txt", "old b"}}) {
            ASSERT_TRUE(test::writeFile(work + "/" + file, bytes));
            ASSERT_TRUE(test::setModified(work + "/" + file, stamp));
        }

        cUnzip unzip;
        unzip.setZipFile(archive);
        unzip.setUnzipFolder(work);
        unzip.setUseFolderNames(true);
        unzip.setOverwriteExisting(c.option == Overwrite);
        unzip.setPromptToOverwrite(c.option == Prompt);
        unzip.setExtractOnlyNewer(c.option == Newer);
        test::ScriptedQuestion question(c.answers.value_or(Answers {}));
        if (c.answers)
            unzip.setOverwriteQuestion(&question);
        EXPECT_TRUE(unzip.Unzip());
        const QStringList& prompted = question.asked;
        EXPECT_EQ(prompted.size(), c.expectedPrompts);
        if (!prompted.isEmpty()) {
            EXPECT_EQ(prompted.first(), work + "/home/u/docs/a.txt");
        }
        EXPECT_EQ(test::readFile(work + "/home/u/docs/a.txt"), c.expectedA);
        EXPECT_EQ(test::readFile(work + "/home/u/docs/deep/b.txt"), c.expectedB);
        EXPECT_EQ(filesBelow(work), (QStringList {"home/u/docs/a.txt", "home/u/docs/deep/b.txt"}));
    }
}

TEST_F(cUnzipTest, EncryptedEntriesAskForThePassword)
{
    const QString archive = zip("p.zip", {"-r", "-P", "secret"}, {"home/u/docs"});
    struct Case
    {
        const char* name;
        QString answer;
        bool cancel;
        int expectedRequests;
        bool written;
    };
    const Case cases[] = {
        {"no handler", QString(), false, 0, false},
        {"blanks are no password", "   ", false, 1, false},
        {"cancelled", "secret", true, 1, false},
        {"trimmed password", "  secret ", false, 1, true},
        {"wrong password asks again", "wrong", false, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString work = path(QString("work-%1").arg(&c - cases));
        cUnzip unzip;
        unzip.setZipFile(archive);
        unzip.setUnzipFolder(work);
        unzip.setUseFolderNames(true);
        int requests = 0;
        if (&c != cases) {
            QObject::connect(&unzip, &cUnzip::PasswordRequest, [&](QString& password, bool& cancel) {
                EXPECT_EQ(password, "");
                EXPECT_FALSE(cancel);
                ++requests;
                password = c.answer;
                cancel = c.cancel;
            });
        }
        EXPECT_EQ(unzip.Unzip().succeeded(), c.written);
        EXPECT_EQ(requests, c.expectedRequests);
        if (c.written) {
            EXPECT_EQ(test::readFile(work + "/home/u/docs/a.txt"), "alpha\r\n");
            EXPECT_EQ(test::readFile(work + "/home/u/docs/deep/b.txt"), "bravo");
        } else {
            EXPECT_TRUE(filesBelow(work).isEmpty());
            EXPECT_EQ(resultFor(unzip, "home/u/docs/a.txt")->outcome, UnzipOutcome::Damaged);
        }
    }
}

TEST_F(cUnzipTest, MessageLevelQuietsTheProgress)
{
    const QString archive = zip("t.zip", {"-r"}, {"home/u/docs"});
    ASSERT_TRUE(test::flipStoredCrc(archive, "home/u/docs/a.txt"));
    for (const auto& [level, expected] : {std::pair {0, 4}, std::pair {1, 1}, std::pair {2, 0}}) {
        cUnzip unzip;
        unzip.setZipFile(archive);
        unzip.setUnzipFolder(path(QString("work-%1").arg(level)));
        unzip.setUseFolderNames(true);
        unzip.setMessageLevel(level);
        test::RecordingRun run;
        unzip.Unzip(run);
        EXPECT_EQ(run.statuses.size(), expected) << level;
    }
}
