#include "core/ScramblePassword.h"

#include <gtest/gtest.h>

TEST(ScramblePassword, IsItsOwnInverseForEveryLatin1Character)
{
    QString all;
    for (char16_t c = 0; c <= 0xFF; ++c)
        all.append(QChar(c));
    const QString scrambled = core::ScramblePassword(all);
    EXPECT_NE(scrambled, all);
    EXPECT_EQ(scrambled.at(0x41), QChar(0xC1));
    EXPECT_EQ(core::ScramblePassword(scrambled), all);
}

TEST(ScramblePassword, LeavesItsArgumentAndWiderCharactersAlone)
{
    const QString password = QStringLiteral("pa\u20ACss");
    const QString scrambled = core::ScramblePassword(password);
    EXPECT_EQ(password, QStringLiteral("pa\u20ACss"));
    EXPECT_EQ(scrambled.at(2), QChar(0x20AC));
    EXPECT_EQ(scrambled.at(0), QChar('p' ^ 0x80));
}
