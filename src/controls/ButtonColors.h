#pragma once

#include <QColor>
#include <QPalette>

namespace controls
{

// Colours as the button's properties hold them: r + 256 g + 65536 b, or a system colour with the
// top bit set and the system colour's index below.
using OleColor = quint32;

constexpr OleColor rgb(int r, int g, int b)
{
    return static_cast<OleColor>(r) | static_cast<OleColor>(g) << 8 | static_cast<OleColor>(b) << 16;
}

enum SystemColourIndex
{
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
};

constexpr OleColor systemColour(SystemColourIndex index)
{
    return 0x80000000u | static_cast<OleColor>(index);
}

QColor toQColor(OleColor colour);
OleColor fromQColor(const QColor& colour);

// A system colour as the palette gives it; 0 for an index the table does not know.
OleColor GetSysColor(const QPalette& system, int index);
// Plain colours as they are, system colours from the palette; anything else is rejected as 0.
OleColor ToRGB(OleColor colour, const QPalette& system);

// Shifts every channel by `amount` (halved towards zero under `softBevel`) and clamps in the
// direction of the shift; `proportional` shifts blue by its own share of the amount.
OleColor ShadeColor(OleColor colour, int amount, bool proportional = false, bool softBevel = false);
// Lifts every channel towards white, keeping `level` as the floor.
OleColor PaleColor(OleColor colour, int level);

struct ColourSet
{
    OleColor clrFace = 0;
    OleColor clrLight = 0;
    OleColor clrHighlight = 0;
    OleColor clrShadow = 0;
    OleColor clrDarkShadow = 0;
    OleColor clrText = 0;
    OleColor clrTextOver = 0;
    OleColor clrSelection = 0;
    OleColor clrSelectionPale = 0;
    OleColor clrMask = 0;
    OleColor clrTint = 0;

    bool operator==(const ColourSet&) const = default;
};

struct ColourInputs
{
    int colorScheme = 1;
    int buttonType = 2;
    bool softBevel = false;
    OleColor backColor = 0;
    OleColor foreColor = 0;
    OleColor foreOver = 0;
    OleColor maskColor = rgb(192, 192, 192);
    // The program's system colours (scheme 1) and the host window's own (scheme 4).
    QPalette system;
    QPalette parent;
};

ColourSet DeriveColors(const ColourInputs& inputs);

} // namespace controls
