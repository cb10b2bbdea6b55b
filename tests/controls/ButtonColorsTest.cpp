#include "controls/ButtonColors.h"

#include <vector>

#include <gtest/gtest.h>

using namespace controls;

namespace
{
std::string text(OleColor colour)
{
    return "RGB(" + std::to_string(colour & 0xFF) + ", " + std::to_string((colour >> 8) & 0xFF) + ", "
        + std::to_string((colour >> 16) & 0xFF) + ")";
}

TEST(ButtonColors, ShadeColor)
{
    struct Case
    {
        OleColor colour;
        int amount;
        bool proportional;
        bool soft;
        OleColor expected;
    };
    const std::vector<Case> cases = {
        {rgb(250, 10, 100), 31, false, false, rgb(255, 41, 131)},
        {rgb(10, 10, 10), -64, false, false, rgb(0, 0, 0)},
        {rgb(0, 0, 192), -48, true, false, rgb(0, 0, 144)},
        // Proportional blue truncates towards zero both ways.
        {rgb(10, 20, 101), -48, true, false, rgb(0, 0, 76)},
        {rgb(10, 20, 101), 48, true, false, rgb(58, 68, 126)},
        // A soft bevel halves odd amounts towards zero.
        {rgb(100, 100, 100), -25, false, true, rgb(88, 88, 88)},
        {rgb(100, 100, 100), 47, false, true, rgb(123, 123, 123)},
        {rgb(100, 100, 100), 0, false, false, rgb(100, 100, 100)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(ShadeColor(c.colour, c.amount, c.proportional, c.soft)), text(c.expected))
            << text(c.colour) << " by " << c.amount;
}

TEST(ButtonColors, PaleColor)
{
    EXPECT_EQ(text(PaleColor(rgb(0, 0, 0), 176)), text(rgb(176, 176, 176)));
    EXPECT_EQ(text(PaleColor(rgb(255, 255, 255), 176)), text(rgb(255, 255, 255)));
    EXPECT_EQ(text(PaleColor(rgb(128, 0, 200), 176)), text(rgb(215, 176, 237)));
}

QPalette systemPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(10, 20, 30));
    palette.setColor(QPalette::ButtonText, QColor(1, 2, 3));
    palette.setColor(QPalette::Dark, QColor(40, 40, 40));
    palette.setColor(QPalette::Midlight, QColor(50, 50, 50));
    palette.setColor(QPalette::Light, QColor(60, 60, 60));
    palette.setColor(QPalette::Shadow, QColor(70, 70, 70));
    palette.setColor(QPalette::Highlight, QColor(0, 0, 200));
    return palette;
}

TEST(ButtonColors, DeriveColorsForEachScheme)
{
    ColourInputs in;
    in.system = systemPalette();
    in.parent.setColor(QPalette::Window, QColor(200, 100, 50));
    in.parent.setColor(QPalette::WindowText, QColor(9, 8, 7));
    in.backColor = rgb(100, 120, 140);
    in.foreColor = rgb(1, 1, 1);
    in.foreOver = rgb(2, 2, 2);

    struct Case
    {
        const char* name;
        int scheme;
        int buttonType;
        bool soft;
        ColourSet expected;
    };
    const std::vector<Case> cases = {
        {"system colours",
         1,
         2,
         false,
         {rgb(10, 20, 30), rgb(50, 50, 50), rgb(60, 60, 60), rgb(40, 40, 40), rgb(70, 70, 70), rgb(1, 2, 3),
          rgb(1, 2, 3), rgb(0, 0, 200), rgb(176, 176, 237), rgb(192, 192, 192), rgb(58, 68, 78)}},
        {"an unknown scheme takes the system colours",
         7,
         2,
         false,
         {rgb(10, 20, 30), rgb(50, 50, 50), rgb(60, 60, 60), rgb(40, 40, 40), rgb(70, 70, 70), rgb(1, 2, 3),
          rgb(1, 2, 3), rgb(0, 0, 200), rgb(176, 176, 237), rgb(192, 192, 192), rgb(58, 68, 78)}},
        {"the colour properties",
         2,
         2,
         false,
         {rgb(100, 120, 140), rgb(131, 151, 171), rgb(147, 167, 187), rgb(36, 56, 76), rgb(0, 0, 0), rgb(1, 1, 1),
          rgb(2, 2, 2), rgb(0, 0, 12), rgb(100, 120, 140), rgb(192, 192, 192), rgb(148, 168, 188)}},
        {"soft bevel halves the shifts",
         2,
         2,
         true,
         {rgb(100, 120, 140), rgb(115, 135, 155), rgb(123, 143, 163), rgb(68, 88, 108), rgb(4, 24, 44), rgb(1, 1, 1),
          rgb(2, 2, 2), rgb(36, 56, 76), rgb(100, 120, 140), rgb(192, 192, 192), rgb(124, 144, 164)}},
        {"look 3 tints blue in proportion",
         2,
         3,
         false,
         {rgb(100, 120, 140), rgb(131, 151, 171), rgb(147, 167, 187), rgb(36, 56, 76), rgb(0, 0, 0), rgb(1, 1, 1),
          rgb(2, 2, 2), rgb(0, 0, 12), rgb(100, 120, 140), rgb(192, 192, 192), rgb(148, 168, 175)}},
        {"fixed greys",
         3,
         2,
         false,
         {rgb(192, 192, 192), rgb(223, 223, 223), rgb(255, 255, 255), rgb(128, 128, 128), rgb(0, 0, 0), rgb(0, 0, 0),
          rgb(0, 0, 0), rgb(0, 0, 128), rgb(173, 173, 209), rgb(192, 192, 192), rgb(240, 240, 240)}},
        {"the host's colours",
         4,
         2,
         false,
         {rgb(200, 100, 50), rgb(231, 131, 81), rgb(247, 147, 97), rgb(136, 36, 0), rgb(8, 0, 0), rgb(9, 8, 7),
          rgb(9, 8, 7), rgb(0, 0, 200), rgb(176, 176, 237), rgb(192, 192, 192), rgb(248, 148, 98)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        in.colorScheme = c.scheme;
        in.buttonType = c.buttonType;
        in.softBevel = c.soft;
        const ColourSet got = DeriveColors(in);
        const ColourSet& want = c.expected;
        EXPECT_EQ(text(got.clrFace), text(want.clrFace));
        EXPECT_EQ(text(got.clrLight), text(want.clrLight));
        EXPECT_EQ(text(got.clrHighlight), text(want.clrHighlight));
        EXPECT_EQ(text(got.clrShadow), text(want.clrShadow));
        EXPECT_EQ(text(got.clrDarkShadow), text(want.clrDarkShadow));
        EXPECT_EQ(text(got.clrText), text(want.clrText));
        EXPECT_EQ(text(got.clrTextOver), text(want.clrTextOver));
        EXPECT_EQ(text(got.clrSelection), text(want.clrSelection));
        EXPECT_EQ(text(got.clrSelectionPale), text(want.clrSelectionPale));
        EXPECT_EQ(text(got.clrMask), text(want.clrMask));
        EXPECT_EQ(text(got.clrTint), text(want.clrTint));
    }
}

TEST(ButtonColors, SystemColourValuesAreTranslatedAndUnknownOnesGiveBlack)
{
    const QPalette palette = systemPalette();
    EXPECT_EQ(text(ToRGB(rgb(1, 2, 3), palette)), text(rgb(1, 2, 3)));
    EXPECT_EQ(text(ToRGB(systemColour(COLOR_BTNFACE), palette)), text(rgb(10, 20, 30)));
    EXPECT_EQ(ToRGB(0x80000063u, palette), 0u);
    EXPECT_EQ(ToRGB(0x01000005u, palette), 0u);

    ColourInputs in;
    in.system = palette;
    in.colorScheme = 2;
    in.backColor = systemColour(COLOR_BTNFACE);
    in.maskColor = 0x80000063u;
    const ColourSet set = DeriveColors(in);
    EXPECT_EQ(text(set.clrFace), text(rgb(10, 20, 30)));
    EXPECT_EQ(set.clrMask, 0u);
}

} // namespace
