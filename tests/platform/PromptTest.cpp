#include "platform/Prompt.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(Prompt, UnattendedProgramTakesTheSafeAnswerAndRecordsTheMessage)
{
    // Tests run on the offscreen platform: nobody can see a message box.
    ASSERT_TRUE(platform::isUnattended());
    QStringList recorded;
    platform::setUnattendedSink([&](const QString& line) { recorded << line; });

    platform::Message question;
    question.title = "Quillback";
    question.text = "Delete the set?\r\nThis cannot be undone.";
    question.buttons = platform::Buttons::YesNo;
    EXPECT_EQ(platform::prompt().show(question), platform::Answer::No);

    platform::Message notice;
    notice.text = "Permission denied";
    notice.buttons = platform::Buttons::AbortRetryIgnore;
    EXPECT_EQ(platform::prompt().show(notice), platform::Answer::Ignore);

    notice.unattendedAnswer = platform::Answer::Abort;
    EXPECT_EQ(platform::prompt().show(notice), platform::Answer::Abort);

    ASSERT_EQ(recorded.size(), 3);
    EXPECT_EQ(recorded.at(0), "Quillback: Delete the set? This cannot be undone.");
}
