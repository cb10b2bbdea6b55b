#include "core/WildcardMatch.h"

#include <gtest/gtest.h>

namespace
{
TEST(WildcardMatch, MatchesLikeThePatternOperator)
{
    struct Case
    {
        QString text;
        QString pattern;
        bool matches;
    };
    const Case cases[] = {
        {"/home/a/x.tmp", "*.tmp", true},
        {"/home/a/x.TMP", "*.tmp", false},
        {"/home/a/x.tmp.txt", "*.tmp", false},
        {"", "*", true},
        {"", "", true},
        {"a", "", false},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"file7", "file#", true},
        {"filex", "file#", false},
        {"b", "[a-c]", true},
        {"d", "[a-c]", false},
        {"d", "[!a-c]", true},
        {"-", "[a-]", true},
        {"*", "[*]", true},
        {"x", "[*]", false},
        {"a[b", "a[[]b", true},
        {"ab", "a[]b", true},
        {"a]b", "a]b", true},
        {"abc", "a[bc", false},
        {"/x/cache/y/z", "*/cache/*", true},
        {"aaab", "*a*b", true},
        {"aaa", "*a*b", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(core::likeMatch(c.text, c.pattern), c.matches)
            << qPrintable(c.text) << " like " << qPrintable(c.pattern);
}

TEST(WildcardMatch, ExcludeMasksAreTrimmedAndMatchThePathBeforeTheTab)
{
    EXPECT_TRUE(core::excludeMasks("").isEmpty());
    const QStringList masks = core::excludeMasks(" *.tmp ;*/cache/*;");
    EXPECT_EQ(masks, QStringList({"*.tmp", "*/cache/*", ""}));
    // Commas separate masks as semicolons do.
    EXPECT_EQ(core::excludeMasks("*.tmp, *.log"), QStringList({"*.tmp", "*.log"}));
    EXPECT_EQ(core::excludeMasks("*.bak,*.old; *.tmp"), QStringList({"*.bak", "*.old", "*.tmp"}));
    EXPECT_TRUE(core::isExcluded(u"/a/b.log\t46000\t12", core::excludeMasks("*.tmp, *.log")));
    EXPECT_TRUE(core::isExcluded(u"/a/b.tmp\t46000\t12", masks));
    EXPECT_FALSE(core::isExcluded(u"/a/b.txt\t46000\t1.tmp", masks));
    EXPECT_FALSE(core::isExcluded(u"/a/b.tmp", {}));
}
} // namespace
