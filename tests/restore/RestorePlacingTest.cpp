#include "restore/RestorePlacing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include "RestoreTest.h"
#include "ScriptedQuestion.h"
#include "platform/FileCopy.h"
#include "platform/PendingFile.h"
#include "support/ZipFixtures.h"

using restore::OverwriteAnswer;
using restore::PlaceOutcome;

namespace
{
class RestorePlacingTest : public test::RestoreTest
{
protected:
    QString work(const QString& name) const { return programFile("tmp/work/" + name); }
    QString target(const QString& name) const { return programFile("target/" + name); }
    QStringList filesIn(const QString& folder) const { return QDir(folder).entryList(QDir::Files); }
    restore::PlaceResult place(const QString& workFile, const QString& target, bool finalCopy = false)
    {
        return restore::PlaceFile(workFile, target, question, run, finalCopy);
    }

    test::ScriptedQuestion question;
    platform::RunContext run;
};
} // namespace

TEST_F(RestorePlacingTest, ANewTargetIsCopiedWithItsFolders)
{
    const QDateTime stamp(QDate(2025, 5, 6), QTime(7, 8, 9));
    for (const bool finalCopy : {false, true}) {
        SCOPED_TRACE(finalCopy);
        QFile::remove(programFile("status.log"));
        const QString name = finalCopy ? "f.txt" : "c.txt";
        ASSERT_TRUE(test::writeFile(work(name), "restored"));
        ASSERT_TRUE(platform::setFileDateAndMode(work(name), stamp));
        const QString to = target("deep/er/" + name);

        const restore::PlaceResult result = place(work(name), to, finalCopy);
        EXPECT_EQ(result.outcome(), PlaceOutcome::Placed);
        EXPECT_TRUE(result.succeeded());
        EXPECT_EQ(test::readFile(to), "restored");
        EXPECT_EQ(QFileInfo(to).lastModified(), stamp);
        EXPECT_FALSE(QFileInfo::exists(work(name)));
        EXPECT_EQ(logLines(), QStringList {(finalCopy ? "Final Copy: " : "Copying File: ") + work(name) + " > " + to});
    }
}

TEST_F(RestorePlacingTest, ScriptedAnswersDecideWhatIsReplaced)
{
    struct Case
    {
        const char* name;
        std::initializer_list<test::ScriptedQuestion::Answer> script;
        int expectedPrompts;
        // "new" or "old" for each of the three targets.
        QStringList expected;
        int answerAfter;
        QStringList expectedLog;
    };
    const QString a = "a.txt", b = "b.txt", c = "c.txt";
    const auto copying = [&](const QString& n) { return "Copying File: " + work(n) + " > " + target(n); };
    const Case cases[] = {
        {"yes, no, yes",
         {OverwriteAnswer::Yes, OverwriteAnswer::No, OverwriteAnswer::Yes},
         3,
         {"new", "old", "new"},
         0,
         {copying(a), "Skipping File (User): " + target(b), copying(c)}},
        // What the window's count-down and close box answer.
        {"no, yes, no",
         {OverwriteAnswer::No, OverwriteAnswer::Yes, OverwriteAnswer::No},
         3,
         {"old", "new", "old"},
         0,
         {"Skipping File (User): " + target(a), copying(b), "Skipping File (User): " + target(c)}},
        {"yes to all",
         {OverwriteAnswer::No, OverwriteAnswer::YesToAll},
         2,
         {"old", "new", "new"},
         8,
         {"Skipping File (User): " + target(a), copying(b)}},
        {"no to all",
         {OverwriteAnswer::NoToAll},
         1,
         {"old", "old", "old"},
         9,
         {"Skipping File (NoToAll): " + target(a)}},
    };
    for (const Case& cs : cases) {
        SCOPED_TRACE(cs.name);
        core::state().ReplaceAnswer = 0;
        QFile::remove(programFile("status.log"));
        for (const QString& n : {a, b, c}) {
            ASSERT_TRUE(test::writeFile(target(n), "old " + n.toUtf8()));
            ASSERT_TRUE(test::writeFile(work(n), "new " + n.toUtf8()));
        }
        question = test::ScriptedQuestion(cs.script);
        for (const QString& n : {a, b, c}) {
            const restore::PlaceResult result = place(work(n), target(n));
            EXPECT_TRUE(result.outcome() == PlaceOutcome::Placed || result.outcome() == PlaceOutcome::Skipped);
            EXPECT_TRUE(result.succeeded());
        }
        // The question names the file in place and the one that would replace it.
        EXPECT_EQ(question.asked, QStringList({target(a), target(b), target(c)}).mid(0, cs.expectedPrompts));
        EXPECT_EQ(question.replacements, QStringList({work(a), work(b), work(c)}).mid(0, cs.expectedPrompts));
        EXPECT_FALSE(question.ranOut);
        for (int i = 0; i < 3; ++i) {
            const QString n = QStringList {a, b, c}.at(i);
            EXPECT_EQ(test::readFile(target(n)), cs.expected.at(i).toUtf8() + " " + n.toUtf8()) << n.toStdString();
            // The work file is used up either way.
            EXPECT_FALSE(QFileInfo::exists(work(n)));
        }
        EXPECT_EQ(filesIn(programFile("target")), (QStringList {a, b, c}));
        EXPECT_EQ(core::state().ReplaceAnswer, cs.answerAfter);
        EXPECT_EQ(logLines(), cs.expectedLog);
    }
}

TEST_F(RestorePlacingTest, CancelLeavesTheWorkFileAndTheTarget)
{
    ASSERT_TRUE(test::writeFile(target("a.txt"), "old"));
    ASSERT_TRUE(test::writeFile(work("a.txt"), "new"));
    question = test::ScriptedQuestion({OverwriteAnswer::Cancel});
    const restore::PlaceResult result = place(work("a.txt"), target("a.txt"));
    EXPECT_EQ(result.outcome(), PlaceOutcome::Cancelled);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(test::readFile(target("a.txt")), "old");
    EXPECT_EQ(test::readFile(work("a.txt")), "new");
    EXPECT_EQ(core::state().ReplaceAnswer, restore::AnswerCancel);
    EXPECT_EQ(logLines(), QStringList {"========Replace File Cancel Button Pressed by User=========="});
}

TEST_F(RestorePlacingTest, AStopDuringTheQuestionLeavesBothFiles)
{
    ASSERT_TRUE(test::writeFile(target("a.txt"), "old"));
    ASSERT_TRUE(test::writeFile(work("a.txt"), "new"));
    question = test::ScriptedQuestion({std::nullopt});
    const restore::PlaceResult result = place(work("a.txt"), target("a.txt"));
    EXPECT_EQ(result.outcome(), PlaceOutcome::Stopped);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(test::readFile(target("a.txt")), "old");
    EXPECT_EQ(test::readFile(work("a.txt")), "new");
    EXPECT_EQ(logLines(), QStringList {});
}

TEST_F(RestorePlacingTest, AFailedCopyLeavesTheExistingFileWhole)
{
    const QByteArray big = test::noisyBytes(3 * 1024 * 1024);
    ASSERT_TRUE(test::writeFile(target("a.bin"), "the file in place"));
    ASSERT_TRUE(test::writeFile(work("a.bin"), big));

    // The restore is cancelled while the copy is under way.
    core::state().ReplaceAnswer = restore::AnswerYesToAll;
    QTimer::singleShot(0, [this] { run.requestStop(); });
    restore::PlaceResult result = place(work("a.bin"), target("a.bin"));
    EXPECT_EQ(result.outcome(), PlaceOutcome::Stopped);
    EXPECT_EQ(test::readFile(target("a.bin")), "the file in place");
    EXPECT_EQ(test::readFile(work("a.bin")), big);
    EXPECT_EQ(filesIn(programFile("target")), QStringList {"a.bin"});

    // A work file that cannot be read.
    run = platform::RunContext();
    QFile::remove(work("a.bin"));
    result = place(work("a.bin"), target("a.bin"));
    EXPECT_EQ(result.outcome(), PlaceOutcome::Failed);
    EXPECT_FALSE(result.reason().isEmpty());
    EXPECT_EQ(test::readFile(target("a.bin")), "the file in place");
    EXPECT_EQ(logLines(), QStringList {"Copy Failed: " + target("a.bin") + " (" + result.reason() + ")"});

    // A folder where the file should go.
    ASSERT_TRUE(QDir().mkpath(target("folder")));
    ASSERT_TRUE(test::writeFile(work("folder"), "x"));
    EXPECT_EQ(place(work("folder"), target("folder")).outcome(), PlaceOutcome::Failed);
    EXPECT_TRUE(QFileInfo(target("folder")).isDir());
}

TEST_F(RestorePlacingTest, AFileWrittenForItsTargetTakesItsNameOrGoes)
{
    struct Case
    {
        const char* name;
        std::optional<OverwriteAnswer> answer;
        PlaceOutcome outcome;
        QByteArray expected;
    };
    const Case cases[] = {
        {"yes", OverwriteAnswer::Yes, PlaceOutcome::Placed, "new"},
        {"no", OverwriteAnswer::No, PlaceOutcome::Skipped, "old"},
        {"cancel", OverwriteAnswer::Cancel, PlaceOutcome::Cancelled, "old"},
        {"stop", std::nullopt, PlaceOutcome::Stopped, "old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::state().ReplaceAnswer = 0;
        ASSERT_TRUE(test::writeFile(target("a.txt"), "old"));
        question = test::ScriptedQuestion({c.answer});
        {
            platform::PendingFile pending(target("a.txt"));
            ASSERT_TRUE(pending.open());
            ASSERT_TRUE(pending.write("new", 3));
            const QString written = pending.path();
            EXPECT_EQ(restore::PlaceFile(pending, "work/a.txt", question, run).outcome(), c.outcome);
            // The question is given a path to the written file, whose size and date the dialog shows.
            EXPECT_EQ(question.replacements, QStringList {written});
        }
        EXPECT_EQ(test::readFile(target("a.txt")), c.expected);
        EXPECT_EQ(QDir(programFile("target")).entryList(QDir::Files | QDir::Hidden), QStringList {"a.txt"});
    }

    // A new target needs no question; the log names the file as the caller shows it.
    QFile::remove(programFile("status.log"));
    platform::PendingFile fresh(target("b.txt"));
    ASSERT_TRUE(fresh.open());
    question = test::ScriptedQuestion();
    EXPECT_EQ(restore::PlaceFile(fresh, "work/b.txt", question, run, true).outcome(), PlaceOutcome::Placed);
    EXPECT_TRUE(question.asked.isEmpty());
    EXPECT_TRUE(QFileInfo(target("b.txt")).isFile());
    EXPECT_EQ(logLines(), QStringList {"Final Copy: work/b.txt > " + target("b.txt")});
}
