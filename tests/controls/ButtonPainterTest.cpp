#include "controls/ButtonPainter.h"

#include <vector>

#include <gtest/gtest.h>

using namespace controls;

namespace
{
constexpr int W = 40;
constexpr int H = 20;

// Scheme 3's fixed greys, so every probe has a known colour.
ColourSet greys(int buttonType)
{
    ColourInputs inputs;
    inputs.colorScheme = 3;
    inputs.buttonType = buttonType;
    return DeriveColors(inputs);
}

enum class Look
{
    Normal,
    Hover,
    Pressed,
    PressedHover,
    Disabled,
    DisabledHover,
    DisabledFocused,
    Focused,
    Default,
    DefaultFocused,
    DefaultPressed,
};

QImage paint(int type, Look look, const QString& caption = QString())
{
    ButtonPaintInput in;
    in.width = W;
    in.height = H;
    in.buttonType = type;
    in.colorScheme = 3;
    in.colours = greys(type);
    in.over = look == Look::Hover || look == Look::PressedHover || look == Look::DisabledHover;
    in.enabled = look != Look::Disabled && look != Look::DisabledHover && look != Look::DisabledFocused;
    in.focused = look == Look::Focused || look == Look::DefaultFocused || look == Look::DisabledFocused;
    in.isDefault = look == Look::Default || look == Look::DefaultFocused || look == Look::DefaultPressed;
    in.rcFocus = {4, 4, W - 4, H - 4};
    in.captionText = caption;
    const bool pressed = look == Look::Pressed || look == Look::PressedHover || look == Look::DefaultPressed;
    return PaintButtonFace(in, pressed ? StatePressed : StateNormal);
}

struct Probe
{
    int x;
    int y;
    QRgb colour;
};

QRgb grey(int value)
{
    return qRgb(value, value, value);
}

const QRgb Face = grey(192);
const QRgb Light = grey(223);
const QRgb Highlight = grey(255);
const QRgb Shadow = grey(128);
const QRgb Dark = grey(0);
const QRgb Inverted = grey(63);

struct Case
{
    const char* name;
    int type;
    Look look;
    std::vector<Probe> probes;
};

TEST(ButtonPainter, EachLookInEachStateAtProbePixels)
{
    const std::vector<Case> cases = {
        {"1 normal", 1, Look::Normal, {{0, 5, Dark}, {1, 5, Highlight}, {2, 5, Highlight}, {W - 2, 5, Shadow}}},
        {"1 pressed", 1, Look::Pressed, {{0, 5, Dark}, {1, 5, Shadow}, {W - 2, 5, Highlight}}},
        {"1 disabled", 1, Look::Disabled, {{0, 5, Dark}, {1, 5, Highlight}, {4, 4, Face}}},
        {"1 focused", 1, Look::Focused, {{4, 4, Inverted}, {5, 4, Face}}},
        {"2 normal", 2, Look::Normal, {{0, 5, Highlight}, {W - 1, 5, Dark}, {1, 5, Light}, {W - 2, 5, Shadow}}},
        {"2 focused draws no focus mark", 2, Look::Focused, {{4, 4, Face}}},
        {"2 default", 2, Look::Default, {{0, 5, Dark}, {1, 5, Highlight}, {2, 5, Light}, {W - 2, 5, Dark}}},
        {"2 default with the focus", 2, Look::DefaultFocused, {{4, 4, Inverted}}},
        {"2 pressed", 2, Look::Pressed, {{0, 5, Dark}, {W - 1, 5, Highlight}, {1, 5, Shadow}, {W - 2, 5, Light}}},
        {"2 default pressed", 2, Look::DefaultPressed, {{0, 5, Dark}, {1, 5, Shadow}, {2, 5, Face}}},
        {"2 disabled", 2, Look::Disabled, {{0, 5, Highlight}, {W - 1, 5, Dark}}},
        // Tint (240, 240, 240); row 10 of 20 shifts by -12.5, rounded half to even.
        {"3 plain",
         3,
         Look::Normal,
         {{0, 5, qRgb(0, 60, 115)},
          {1, 1, qRgb(16, 77, 123)},
          {20, 10, qRgb(228, 228, 225)},
          {20, H - 2, qRgb(192, 192, 180)},
          {20, 1, qRgb(255, 255, 255)}}},
        {"3 hover",
         3,
         Look::Hover,
         {{1, 5, qRgb(255, 178, 49)},
          {5, H - 2, qRgb(231, 150, 0)},
          {5, 1, qRgb(255, 243, 206)},
          {2, 5, qRgb(255, 203, 107)}}},
        {"3 focused", 3, Look::Focused, {{1, 5, qRgb(140, 174, 231)}, {5, 1, qRgb(206, 231, 255)}}},
        {"3 default", 3, Look::Default, {{1, 5, qRgb(140, 174, 231)}}},
        {"3 pressed", 3, Look::Pressed, {{20, 10, qRgb(196, 196, 188)}, {0, 5, qRgb(0, 60, 115)}}},
        {"3 disabled",
         3,
         Look::Disabled,
         {{20, 10, qRgb(216, 216, 210)}, {0, 5, qRgb(156, 156, 135)}, {1, 1, qRgb(168, 168, 150)}}},
        {"4 normal",
         4,
         Look::Normal,
         {{0, 5, Dark}, {1, 1, Dark}, {2, 5, Highlight}, {W - 2, 5, Shadow}, {5, 5, Light}}},
        {"4 pressed", 4, Look::Pressed, {{5, 5, grey(112)}, {1, 5, grey(64)}, {2, 5, grey(96)}, {0, 5, Dark}}},
        {"4 disabled", 4, Look::Disabled, {{2, 5, Highlight}, {5, 5, Light}}},
        {"5 normal",
         5,
         Look::Normal,
         {{5, 5, grey(204)}, {1, 5, Highlight}, {0, 5, grey(102)}, {W - 1, 5, Highlight}, {1, H - 2, grey(154)}}},
        {"5 pressed", 5, Look::Pressed, {{5, 5, grey(144)}, {W - 1, 5, Highlight}, {0, 5, grey(102)}}},
        {"5 disabled", 5, Look::Disabled, {{0, 5, Shadow}, {5, 5, Face}}},
        {"6 normal", 6, Look::Normal, {{0, 5, grey(231)}, {W - 1, 5, Shadow}, {1, 5, grey(231)}}},
        {"6 pressed", 6, Look::Pressed, {{0, 5, Shadow}, {W - 1, 5, grey(231)}}},
        {"7 normal", 7, Look::Normal, {{0, 5, Highlight}, {W - 1, 5, Shadow}, {1, 5, Face}}},
        {"7 pressed", 7, Look::Pressed, {{0, 5, Shadow}, {W - 1, 5, Highlight}}},
        {"7 disabled", 7, Look::Disabled, {{0, 5, Highlight}}},
        {"8 normal is flat", 8, Look::Normal, {{0, 5, Face}, {W - 1, 5, Face}}},
        {"8 hover", 8, Look::Hover, {{0, 5, Highlight}, {W - 1, 5, Shadow}}},
        {"8 pressed", 8, Look::Pressed, {{0, 5, Shadow}}},
        {"8 disabled", 8, Look::DisabledHover, {{0, 5, Face}}},
        {"9 normal is flat", 9, Look::Normal, {{0, 5, Face}, {5, 5, Face}}},
        {"9 hover", 9, Look::Hover, {{0, 5, qRgb(0, 0, 128)}, {5, 5, qRgb(173, 173, 209)}}},
        {"9 pressed under the cursor", 9, Look::PressedHover, {{0, 5, qRgb(0, 0, 128)}, {5, 5, qRgb(128, 128, 191)}}},
        {"9 pressed", 9, Look::Pressed, {{0, 5, qRgb(0, 0, 128)}, {5, 5, Face}}},
        {"10 face only", 10, Look::Hover, {{0, 5, Face}, {5, 5, Face}, {W - 1, H - 1, Face}}},
        {"10 pressed", 10, Look::Pressed, {{0, 5, Face}}},
        {"11 lets the parent through", 11, Look::Normal, {{0, 5, qRgba(0, 0, 0, 0)}, {20, 10, qRgba(0, 0, 0, 0)}}},
        {"12 normal is flat", 12, Look::Normal, {{0, 5, Face}}},
        {"12 hover", 12, Look::Hover, {{0, 5, Highlight}, {W - 1, 5, Dark}, {1, 5, Light}}},
        {"12 pressed", 12, Look::Pressed, {{0, 5, Dark}, {W - 1, 5, Highlight}}},
        {"13 normal", 13, Look::Normal, {{20, 10, Face}}},
        {"13 pressed", 13, Look::Pressed, {{20, 10, grey(160)}}},
        {"13 disabled draws no oval", 13, Look::Disabled, {{20, 10, Face}, {20, 0, Face}}},
        {"14 gradient",
         14,
         Look::Normal,
         {{20, 10, grey(226)}, {0, 5, grey(78)}, {1, 5, grey(183)}, {2, 5, Highlight}, {5, 2, Highlight}}},
        {"14 hover", 14, Look::Hover, {{20, 10, Light}, {0, 5, grey(78)}}},
        {"14 pressed", 14, Look::Pressed, {{5, 5, grey(183)}, {0, 5, grey(80)}, {W - 2, 5, Highlight}}},
        {"14 disabled keeps the gradient", 14, Look::DisabledHover, {{20, 10, grey(226)}, {2, 5, Highlight}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = paint(c.type, c.look);
        for (const Probe& probe : c.probes) {
            const QRgb got = image.pixel(probe.x, probe.y);
            EXPECT_EQ(got, probe.colour) << "at " << probe.x << "," << probe.y << ": " << qRed(got) << ","
                                         << qGreen(got) << "," << qBlue(got) << "," << qAlpha(got);
        }
    }
}

TEST(ButtonPainter, FocusRectangleOnlyWhereTheLookDrawsOne)
{
    for (int type = 1; type <= 14; ++type) {
        SCOPED_TRACE(type);
        const bool marks
            = type == 1 || type == 6 || type == 7 || type == 8 || type == 9 || type == 11 || type == 12 || type == 14;
        const QImage focused = paint(type, Look::Focused);
        const QImage plain = paint(type, Look::Normal);
        // Looks 3 and 5 mark the focus in their own way.
        EXPECT_EQ(focused != plain, marks || type == 3 || type == 5);
        EXPECT_EQ(paint(type, Look::DisabledFocused), paint(type, Look::Disabled));
    }
}

TEST(ButtonPainter, TenShowsNoCaptionInAnyState)
{
    for (Look look : {Look::Normal, Look::Hover, Look::Pressed, Look::Disabled})
        EXPECT_EQ(paint(10, look, "Caption"), paint(10, look));
    EXPECT_NE(paint(2, Look::Normal, "Caption"), paint(2, Look::Normal));
}

} // namespace
