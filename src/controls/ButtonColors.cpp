#include "controls/ButtonColors.h"

#include <algorithm>

namespace controls
{

QColor toQColor(OleColor colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

OleColor fromQColor(const QColor& colour)
{
    return rgb(colour.red(), colour.green(), colour.blue());
}

OleColor GetSysColor(const QPalette& system, int index)
{
    auto role = [&](QPalette::ColorRole r, QPalette::ColorGroup group = QPalette::Active) {
        return fromQColor(system.color(group, r));
    };
    switch (index) {
    case COLOR_WINDOW:
        return role(QPalette::Base);
    case COLOR_WINDOWTEXT:
        return role(QPalette::Text);
    case COLOR_HIGHLIGHT:
        return role(QPalette::Highlight);
    case COLOR_HIGHLIGHTTEXT:
        return role(QPalette::HighlightedText);
    case COLOR_BTNFACE:
        return role(QPalette::Button);
    case COLOR_BTNSHADOW:
        return role(QPalette::Dark);
    case COLOR_GRAYTEXT:
        return role(QPalette::Text, QPalette::Disabled);
    case COLOR_BTNTEXT:
        return role(QPalette::ButtonText);
    case COLOR_BTNHIGHLIGHT:
        return role(QPalette::Light);
    case COLOR_3DDKSHADOW:
        return role(QPalette::Shadow);
    case COLOR_3DLIGHT:
        return role(QPalette::Midlight);
    default:
        return 0;
    }
}

OleColor ToRGB(OleColor colour, const QPalette& system)
{
    const OleColor kind = colour >> 24;
    if (kind == 0x00)
        return colour;
    if (kind == 0x80)
        return GetSysColor(system, static_cast<int>(colour & 0xFFFFFF));
    return 0;
}

OleColor ShadeColor(OleColor colour, int amount, bool proportional, bool softBevel)
{
    if (softBevel)
        amount /= 2;
    int b = static_cast<int>((colour >> 16) & 0xFF);
    int g = static_cast<int>((colour >> 8) & 0xFF);
    int r = static_cast<int>(colour & 0xFF);
    b += proportional ? (b * amount) / 192 : amount;
    g += amount;
    r += amount;
    auto clamp = [amount](int channel) {
        if (amount > 0)
            return std::min(channel, 255);
        if (amount < 0)
            return std::max(channel, 0);
        return channel;
    };
    return rgb(clamp(r), clamp(g), clamp(b));
}

OleColor PaleColor(OleColor colour, int level)
{
    auto pale = [level](int channel) { return std::min(level + ((255 - level) * channel) / 255, 255); };
    return rgb(pale(colour & 0xFF), pale((colour >> 8) & 0xFF), pale((colour >> 16) & 0xFF));
}

ColourSet DeriveColors(const ColourInputs& in)
{
    ColourSet set;
    auto shade = [&](OleColor colour, int amount) { return ShadeColor(colour, amount, false, in.softBevel); };
    auto sys = [&](int index) { return GetSysColor(in.system, index); };
    switch (in.colorScheme) {
    case 2:
        set.clrFace = ToRGB(in.backColor, in.system);
        set.clrText = ToRGB(in.foreColor, in.system);
        set.clrTextOver = ToRGB(in.foreOver, in.system);
        set.clrShadow = shade(set.clrFace, -64);
        set.clrLight = shade(set.clrFace, 31);
        set.clrHighlight = shade(set.clrFace, 47);
        set.clrDarkShadow = shade(set.clrFace, -192);
        set.clrSelection = shade(set.clrFace, -128);
        set.clrSelectionPale = set.clrFace;
        break;
    case 3:
        set.clrFace = rgb(192, 192, 192);
        set.clrText = set.clrTextOver = rgb(0, 0, 0);
        set.clrShadow = rgb(128, 128, 128);
        set.clrLight = rgb(223, 223, 223);
        set.clrHighlight = rgb(255, 255, 255);
        set.clrDarkShadow = rgb(0, 0, 0);
        set.clrSelection = rgb(0, 0, 128);
        set.clrSelectionPale = rgb(173, 173, 209);
        break;
    case 4:
        set.clrFace = fromQColor(in.parent.color(QPalette::Window));
        set.clrText = set.clrTextOver = fromQColor(in.parent.color(QPalette::WindowText));
        set.clrShadow = shade(set.clrFace, -64);
        set.clrLight = shade(set.clrFace, 31);
        set.clrHighlight = shade(set.clrFace, 47);
        set.clrDarkShadow = shade(set.clrFace, -192);
        set.clrSelection = sys(COLOR_HIGHLIGHT);
        set.clrSelectionPale = PaleColor(set.clrSelection, 176);
        break;
    default:
        set.clrFace = sys(COLOR_BTNFACE);
        set.clrText = set.clrTextOver = sys(COLOR_BTNTEXT);
        set.clrShadow = sys(COLOR_BTNSHADOW);
        set.clrLight = sys(COLOR_3DLIGHT);
        set.clrHighlight = sys(COLOR_BTNHIGHLIGHT);
        set.clrDarkShadow = sys(COLOR_3DDKSHADOW);
        set.clrSelection = sys(COLOR_HIGHLIGHT);
        set.clrSelectionPale = PaleColor(set.clrSelection, 176);
        break;
    }
    set.clrMask = ToRGB(in.maskColor, in.system);
    set.clrTint = ShadeColor(set.clrFace, 48, in.buttonType == 3, in.softBevel);
    return set;
}

} // namespace controls
