#include "platform/Result.h"

#include <gtest/gtest.h>

using platform::Result;

TEST(ResultTest, OnlyAnExplicitSuccessCountsAsDone)
{
    EXPECT_FALSE(Result().succeeded());
    EXPECT_FALSE(static_cast<bool>(Result()));
    EXPECT_FALSE(Result::failure("disk full").succeeded());
    EXPECT_EQ(Result::failure("disk full").reason(), "disk full");
    EXPECT_FALSE(Result::stop().succeeded());
    EXPECT_TRUE(Result::stop().stopped());
    EXPECT_TRUE(Result::success().succeeded());
}
