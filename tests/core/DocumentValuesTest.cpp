#include "core/DocumentValues.h"

#include <gtest/gtest.h>

using namespace core;

namespace
{
constexpr std::optional<int> none = std::nullopt;

TEST(DocumentValuesTest, LeadingNumberReadsTheStartOfTheText)
{
    const struct
    {
        const char* text;
        std::optional<int> expected;
    } cases[] = {
        {"", 0},   {"12", 12}, {"  -1", -1}, {"7 days", 7},         {"3abc", 3},   {"abc", 0},
        {"-", 0},  {"2.5", 2}, {"3.5", 4},   {"-2.5", -2},          {"1e3", 1000}, {"+4", 4},
        {"1e", 1}, {".5x", 0}, {"1.5.3", 2}, {"99999999999", none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadingNumber(c.text), c.expected) << c.text;
}

TEST(DocumentValuesTest, WholeNumberNeedsTheWholeText)
{
    const struct
    {
        const char* text;
        std::optional<int> expected;
    } cases[] = {
        {"1", 1},   {" 30 ", 30}, {"-1", -1},  {"0", 0},         {"2.5", 2},     {"0.5", 0},    {"1.5", 2},
        {"", none}, {" ", none},  {"x", none}, {"3 days", none}, {"1e10", none}, {"nan", none}, {"inf", none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wholeNumber(c.text), c.expected) << c.text;
}

TEST(DocumentValuesTest, TruthValueTakesWordsAndNumbers)
{
    const struct
    {
        const char* text;
        std::optional<bool> expected;
    } cases[] = {
        {"True", true}, {"false", false}, {"TRUE", true},     {"-1", true},          {"0", false},         {"2", true},
        {"0.0", false}, {" True ", true}, {"", std::nullopt}, {"yes", std::nullopt}, {"1x", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(truthValue(c.text), c.expected) << c.text;
}
} // namespace
