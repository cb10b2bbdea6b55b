#include <gtest/gtest.h>

#include "LocalisationTest.h"
#include "localisation/Languages.h"

using localisation::Languages;

namespace
{

using MessageTable = test::LocalisationTest;

TEST_F(MessageTable, FindsTheFirstMessageOfAKeyIgnoringCaseWithACapital)
{
    EXPECT_EQ(Languages().getMessages("MSG_SIZE"), "");

    Languages().setMessage("MSG_SIZE", "size: ");
    Languages().setMessage("msg_size", "Second registration");
    Languages().setMessage("MSG_BYTES", " bytes.");
    Languages().setMessage("MSG_CAPTION", "[ProgramName] by [CompanyName]");

    EXPECT_EQ(Languages().getMessages("msg_size"), "Size: ");
    EXPECT_EQ(Languages().getMessages("MSG_BYTES"), " bytes.");
    EXPECT_EQ(Languages().getMessages("MSG_CAPTION"), "[ProgramName] by [CompanyName]");
    EXPECT_EQ(Languages().getMessages("MSG_TITLELANGUAGE"), "");
    EXPECT_EQ(Languages().getMessages(""), "");
    // The stored text itself is kept as registered.
    EXPECT_EQ(Languages().messages().at(0).Text, "size: ");
    EXPECT_EQ(Languages().messages().size(), 4);
}

TEST_F(MessageTable, HoldsEveryMessageRegistered)
{
    for (int i = 0; i < 500; ++i)
        Languages().setMessage(QString("MSG_%1").arg(i), QString("Text %1").arg(i));

    EXPECT_EQ(Languages().getMessages("MSG_0"), "Text 0");
    EXPECT_EQ(Languages().getMessages("MSG_201"), "Text 201");
    EXPECT_EQ(Languages().getMessages("MSG_499"), "Text 499");
}

} // namespace
