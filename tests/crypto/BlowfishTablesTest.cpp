#include "crypto/BlowfishTables.h"

#include <vector>

#include <gtest/gtest.h>

namespace
{

// Fixed-point number: limb 0 the integer part, then 32-bit fraction limbs, most significant first.
using Fixed = std::vector<quint32>;

void divide(Fixed& value, quint32 divisor)
{
    quint64 rest = 0;
    for (quint32& limb : value) {
        const quint64 current = (rest << 32) | limb;
        limb = static_cast<quint32>(current / divisor);
        rest = current % divisor;
    }
}

void addScaled(Fixed& sum, const Fixed& term, qint64 factor)
{
    qint64 carry = 0;
    for (size_t i = term.size(); i-- > 0;) {
        const qint64 current = static_cast<qint64>(sum[i]) + factor * static_cast<qint64>(term[i]) + carry;
        sum[i] = static_cast<quint32>(current);
        carry = (current - static_cast<qint64>(static_cast<quint32>(current))) >> 32;
    }
}

bool isZero(const Fixed& value)
{
    for (quint32 limb : value) {
        if (limb != 0)
            return false;
    }
    return true;
}

// factor * arctan(1/x), added to `sum`.
void addArctanOfInverse(Fixed& sum, quint32 x, qint64 factor)
{
    Fixed power(sum.size(), 0);
    power[0] = 1;
    divide(power, x);
    for (quint32 k = 0; !isZero(power); ++k) {
        Fixed term = power;
        divide(term, 2 * k + 1);
        addScaled(sum, term, k % 2 == 0 ? factor : -factor);
        divide(power, x * x);
    }
}

// Pi by Machin's formula: 16 arctan(1/5) - 4 arctan(1/239), with guard limbs beyond the words wanted.
Fixed pi(size_t fractionWords)
{
    Fixed sum(1 + fractionWords + 4, 0);
    addArctanOfInverse(sum, 5, 16);
    addArctanOfInverse(sum, 239, -4);
    return sum;
}

} // namespace

TEST(BlowfishTablesTest, InitialWordsAreTheHexadecimalFractionOfPi)
{
    const Fixed digits = pi(1042);
    ASSERT_EQ(digits[0], 3u);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(crypto::InitialSubkeys[i], digits[1 + i]) << "subkey " << i;
    for (int box = 0; box < 4; ++box) {
        for (int e = 0; e < 256; ++e)
            EXPECT_EQ(crypto::InitialSBoxes[box][e], digits[1 + 18 + 256 * box + e]) << "box " << box << " entry " << e;
    }
}

TEST(BlowfishTablesTest, PublishedWordsStandInTheirPlaces)
{
    EXPECT_EQ(crypto::InitialSubkeys[0], 0x243F6A88u);
    EXPECT_EQ(crypto::InitialSubkeys[17], 0x8979FB1Bu);
    EXPECT_EQ(crypto::InitialSBoxes[0][0], 0xD1310BA6u);
    EXPECT_EQ(crypto::InitialSBoxes[3][255], 0x3AC372E6u);
}
