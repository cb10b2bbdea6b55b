#include "restore/RestorePlacing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include "RestoreTest.h"
#include "platform/FileCopy.h"
#include "support/ZipFixtures.h"

using restore::PlaceFile;
using restore::PlaceOutcome;
using Action = test::WarningScript::Action;

namespace
{
class RestorePlacingTest : public test::RestoreTest
{
protected:
    QString work(const QString& name) const { return programFile("tmp/work/" + name); }
    QString target(const QString& name) const { return programFile("target/" + name); }
    QStringList filesIn(const QString& folder) const { return QDir(folder).entryList(QDir::Files); }
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

        const restore::PlaceResult result = PlaceFile(work(name), to, finalCopy);
        EXPECT_EQ(result.outcome, PlaceOutcome::Placed);
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
        std::initializer_list<Action> script;
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
         {Action::Yes, Action::No, Action::Yes},
         3,
         {"new", "old", "new"},
         0,
         {"REPLACE? Yes Clicked", copying(a), "REPLACE? No Clicked", "Skipping File (User): " + target(b),
          "REPLACE? Yes Clicked", copying(c)}},
        {"yes to all",
         {Action::No, Action::YesToAll},
         2,
         {"old", "new", "new"},
         8,
         {"REPLACE? No Clicked", "Skipping File (User): " + target(a), "REPLACE? YES TO ALL Clicked", copying(b)}},
        {"no to all",
         {Action::NoToAll},
         1,
         {"old", "old", "old"},
         9,
         {"REPLACE? NO TO ALL Clicked", "Skipping File (NoToAll): " + target(a)}},
        {"time-outs", {Action::TimeOut, Action::TimeOut, Action::TimeOut}, 3, {"old", "old", "old"}, 0, {}},
        {"close box", {Action::CloseBox, Action::Yes, Action::CloseBox}, 3, {"old", "new", "old"}, 0, {}},
    };
    for (const Case& cs : cases) {
        SCOPED_TRACE(cs.name);
        core::state().ReplaceAnswer = 0;
        QFile::remove(programFile("status.log"));
        for (const QString& n : {a, b, c}) {
            ASSERT_TRUE(test::writeFile(target(n), "old " + n.toUtf8()));
            ASSERT_TRUE(test::writeFile(work(n), "new " + n.toUtf8()));
        }
        test::WarningScript script(cs.script);
        for (const QString& n : {a, b, c}) {
            const restore::PlaceResult result = PlaceFile(work(n), target(n));
            EXPECT_TRUE(result.outcome == PlaceOutcome::Placed || result.outcome == PlaceOutcome::Skipped);
        }
        EXPECT_EQ(script.prompts, cs.expectedPrompts);
        EXPECT_FALSE(script.ranOut);
        for (int i = 0; i < 3; ++i) {
            const QString n = QStringList {a, b, c}.at(i);
            EXPECT_EQ(test::readFile(target(n)), cs.expected.at(i).toUtf8() + " " + n.toUtf8()) << n.toStdString();
            // The work file is used up either way.
            EXPECT_FALSE(QFileInfo::exists(work(n)));
        }
        EXPECT_EQ(filesIn(programFile("target")), (QStringList {a, b, c}));
        EXPECT_EQ(core::state().ReplaceAnswer, cs.answerAfter);
        if (!cs.expectedLog.isEmpty()) {
            EXPECT_EQ(logLines(), cs.expectedLog);
        }
    }
}

TEST_F(RestorePlacingTest, TheQuestionShowsBothFiles)
{
    ASSERT_TRUE(test::writeFile(target("a.txt"), "twelve bytes"));
    ASSERT_TRUE(test::writeFile(work("a.txt"), "five!"));
    ASSERT_TRUE(platform::setFileDateAndMode(target("a.txt"), QDateTime(QDate(2026, 2, 1), QTime(8, 30))));
    ASSERT_TRUE(platform::setFileDateAndMode(work("a.txt"), QDateTime(QDate(2026, 1, 3), QTime(17, 45, 10))));
    test::WarningScript script({Action::No});
    PlaceFile(work("a.txt"), target("a.txt"));
    EXPECT_EQ(script.files, QStringList {target("a.txt")});
    EXPECT_EQ(script.sizes, QStringList {"Size: 12 bytes. | Size: 5 bytes"});
    EXPECT_EQ(script.dates, QStringList {"Modified: 01/02/2026 08:30:00 | Modified: 03/01/2026 17:45:10"});
    EXPECT_EQ(core::state().ExistingFilePath, target("a.txt"));
}

TEST_F(RestorePlacingTest, CancelLeavesTheWorkFileAndTheTarget)
{
    ASSERT_TRUE(test::writeFile(target("a.txt"), "old"));
    ASSERT_TRUE(test::writeFile(work("a.txt"), "new"));
    test::WarningScript script({Action::Cancel});
    EXPECT_EQ(PlaceFile(work("a.txt"), target("a.txt")).outcome, PlaceOutcome::Cancelled);
    EXPECT_EQ(test::readFile(target("a.txt")), "old");
    EXPECT_EQ(test::readFile(work("a.txt")), "new");
    EXPECT_EQ(core::state().ReplaceAnswer, restore::AnswerCancel);
    EXPECT_EQ(
        logLines(),
        (QStringList {"REPLACE? CANCEL Clicked", "========Replace File Cancel Button Pressed by User=========="}));
}

TEST_F(RestorePlacingTest, AStopTakesTheQuestionAwayUnanswered)
{
    ASSERT_TRUE(test::writeFile(target("a.txt"), "old"));
    ASSERT_TRUE(test::writeFile(work("a.txt"), "new"));
    // The user stops the countdown to read the question; then the restore is cancelled. Should the
    // question stay, an answer after many looks ends the wait so that the test fails rather than hangs.
    int pollsAfterStop = 0;
    bool answeredToEndTheWait = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* question = qobject_cast<restore::frmWarning*>(window);
            if (!question || !question->isVisible())
                continue;
            if (!core::state().bStopBackup) {
                question->Form_Click();
                core::state().bStopBackup = true;
            } else if (++pollsAfterStop == 1000000) {
                answeredToEndTheWait = true;
                question->cmdNo->click();
            }
        }
    });
    user.start(0);

    EXPECT_EQ(PlaceFile(work("a.txt"), target("a.txt")).outcome, PlaceOutcome::Stopped);
    EXPECT_FALSE(answeredToEndTheWait);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<restore::frmWarning*>(window), nullptr);
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
    QTimer::singleShot(0, [] { core::state().bStopBackup = true; });
    restore::PlaceResult result = PlaceFile(work("a.bin"), target("a.bin"));
    EXPECT_EQ(result.outcome, PlaceOutcome::Stopped);
    EXPECT_EQ(test::readFile(target("a.bin")), "the file in place");
    EXPECT_EQ(test::readFile(work("a.bin")), big);
    EXPECT_EQ(filesIn(programFile("target")), QStringList {"a.bin"});

    // A work file that cannot be read.
    core::state().bStopBackup = false;
    QFile::remove(work("a.bin"));
    result = PlaceFile(work("a.bin"), target("a.bin"));
    EXPECT_EQ(result.outcome, PlaceOutcome::Failed);
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_EQ(test::readFile(target("a.bin")), "the file in place");
    EXPECT_EQ(logLines(), QStringList {"Copy Failed: " + target("a.bin") + " (" + result.reason + ")"});

    // A folder where the file should go.
    ASSERT_TRUE(QDir().mkpath(target("folder")));
    ASSERT_TRUE(test::writeFile(work("folder"), "x"));
    EXPECT_EQ(PlaceFile(work("folder"), target("folder")).outcome, PlaceOutcome::Failed);
    EXPECT_TRUE(QFileInfo(target("folder")).isDir());
}
