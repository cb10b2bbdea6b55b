#include "controls/ButtonPainter.h"

#include <cmath>
#include <cstdlib>
#include <functional>

#include <QPainter>

#include "controls/ButtonFacePictures.h"
#include "controls/ButtonPictures.h"
#include "controls/PixelCanvas.h"

namespace controls
{
namespace
{
constexpr int CaptionFlags
    = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic | Qt::TextDontClip;

class FacePainter : private PixelCanvas
{
public:
    FacePainter(const ButtonPaintInput& input, int state)
        : PixelCanvas(input.width, input.height)
        , in(input)
        , c(input.colours)
        , state(state)
        , W(input.width)
        , H(input.height)
        , o(input.over ? 1 : 0)
        , layout(input.layout)
        , font(input.font)
    { }

    QImage paint()
    {
        if (W <= 0 || H <= 0)
            return m_image;
        // The parent shows through the face of look 11.
        if (in.buttonType != 11)
            Box(0, 0, W, H, c.clrFace);
        if (!in.enabled) {
            disabledColumn();
            paintPictures(2);
        } else if (state == StateNormal) {
            normalColumn();
            paintPictures(0);
        } else if (state == StatePressed) {
            pressedColumn();
            paintPictures(1);
        }
        return m_image;
    }

private:
    OleColor S(OleColor colour, int amount) const { return ShadeColor(colour, amount, false, in.softBevel); }
    OleColor P(OleColor colour, int amount) const { return ShadeColor(colour, amount, true, in.softBevel); }

    void CornerDots(OleColor colour)
    {
        Dot(1, 1, colour);
        Dot(1, H - 2, colour);
        Dot(W - 2, 1, colour);
        Dot(W - 2, H - 2, colour);
    }

    struct Pen
    {
        int x = 0;
        int y = 0;
    };

    void Bevel(OleColor c1, OleColor c2, OleColor c3, OleColor c4, bool inset, bool flat)
    {
        const int e = inset ? 1 : 0;
        const int right = W - 1 - e;
        const int bottom = H - 1 - e;
        Pen pen {e, bottom};
        auto lineTo = [&](int x, int y, OleColor colour) {
            Line(pen.x, pen.y, x, y, colour);
            pen = {x, y};
        };
        lineTo(e, e, c1);
        lineTo(right, e, c1);
        lineTo(right, bottom, c2);
        lineTo(e - 1, bottom, c2);
        pen = {e + 1, bottom - 1};
        if (flat)
            return;
        lineTo(e + 1, e + 1, c3);
        lineTo(right - 1, e + 1, c3);
        lineTo(right - 1, bottom - 1, c4);
        lineTo(e, bottom - 1, c4);
    }

    // A dotted rectangle around the caption while the button has the focus.
    void Focus()
    {
        if (in.showFocusRect && in.focused)
            InvertDotted(in.rcFocus);
    }

    void drawCaptionAt(const PixelRect& r, OleColor colour)
    {
        if (in.captionText.isEmpty())
            return;
        QPainter painter(&m_image);
        painter.setFont(font);
        painter.setPen(toQColor(colour));
        painter.drawText(QRect(r.left, r.top, r.width(), r.height()), CaptionFlags, in.captionText);
    }

    void CaptionEffect(const PixelRect& rect)
    {
        if (in.specialEffect < 1)
            return;
        OleColor base = c.clrFace;
        if (in.buttonType == 3 || in.buttonType == 4 || in.buttonType == 14)
            base = c.clrTint;
        else if (state == StateNormal && in.over && in.colorScheme != 2 && in.buttonType == 9)
            base = c.clrSelectionPale;
        const bool sunken = in.specialEffect == 2;
        drawCaptionAt(rect.moved(1, 1), S(base, sunken ? 40 : -40));
        if (in.specialEffect < 3)
            drawCaptionAt(rect.moved(-1, -1), S(base, sunken ? -40 : 40));
    }

    void Caption(int mode)
    {
        lastCaption = [this, mode] { Caption(mode); };
        const PixelRect& normal = layout.rcCaption;
        const PixelRect& pressed = layout.rcPressed;
        switch (mode) {
        case 0:
            CaptionEffect(normal);
            drawCaptionAt(normal, c.clrText);
            break;
        case 1:
            CaptionEffect(normal);
            drawCaptionAt(normal, c.clrTextOver);
            break;
        case 2:
            CaptionEffect(pressed);
            drawCaptionAt(pressed, in.buttonType == 4 ? c.clrLight : c.clrTextOver);
            break;
        case 3:
            drawCaptionAt(pressed, c.clrHighlight);
            drawCaptionAt(normal, c.clrShadow);
            break;
        case 4:
            drawCaptionAt(normal, c.clrShadow);
            break;
        case 5:
            drawCaptionAt(normal, P(c.clrTint, -104));
            break;
        case 6:
            drawCaptionAt(pressed, c.clrHighlight);
            drawCaptionAt(normal, c.clrFace);
            break;
        case 7:
            drawCaptionAt(pressed, S(c.clrShadow, -50));
            drawCaptionAt(normal, c.clrHighlight);
            break;
        default:
            break;
        }
    }

    void CaptionMark()
    {
        if (in.focused && in.showFocusRect)
            Frame(layout.rcCaption.left - 2, layout.rcCaption.top - 1, layout.lngTextW + 4, layout.lngTextH + 2,
                  rgb(153, 153, 204));
    }

    static int gradientStep(float span, int height, int row)
    {
        return static_cast<int>(std::nearbyint(-(span / static_cast<float>(height)) * static_cast<float>(row)));
    }

    void Look14Frame()
    {
        Frame(0, 0, W, H, S(c.clrShadow, -50));
        Frame(1, 1, W - 2, H - 2, S(c.clrFace, -9));
        Box(2, 2, W - 4, 2, c.clrHighlight);
        Box(2, 4, 2, H - 6, c.clrHighlight);
    }

    void Look14Gradient()
    {
        for (int i = 1; i <= H; ++i)
            Line(0, i, W, i, S(c.clrHighlight, gradientStep(58.0f, H, i)));
    }

    void Look4(int captionMode)
    {
        Box(1, 1, W - 2, H - 2, c.clrLight);
        Caption(captionMode);
        Frame(0, 0, W, H, c.clrDarkShadow);
        CornerDots(c.clrDarkShadow);
        Line(1, 2, 2, 0, c.clrFace);
        Line(3, 2, W - 3, 2, c.clrHighlight);
        Line(2, 2, 2, H - 3, c.clrHighlight);
        Dot(3, 3, c.clrHighlight);
        Line(W - 3, 1, W - 3, H - 3, c.clrFace);
        Line(1, H - 3, W - 3, H - 3, c.clrFace);
        Dot(W - 4, H - 4, c.clrFace);
        Line(W - 2, 2, W - 2, H - 2, c.clrShadow);
        Line(2, H - 2, W - 2, H - 2, c.clrShadow);
        Dot(W - 3, H - 3, c.clrShadow);
    }

    void normalColumn()
    {
        switch (in.buttonType) {
        case 1:
            Caption(o);
            Bevel(c.clrHighlight, c.clrShadow, c.clrHighlight, c.clrShadow, true, false);
            Frame(0, 0, W, H, c.clrDarkShadow);
            Focus();
            break;
        case 2:
            Caption(o);
            if (in.showFocusRect && in.isDefault) {
                Bevel(c.clrHighlight, c.clrDarkShadow, c.clrLight, c.clrShadow, true, false);
                Focus();
                Frame(0, 0, W, H, c.clrDarkShadow);
            } else {
                Bevel(c.clrHighlight, c.clrDarkShadow, c.clrLight, c.clrShadow, false, false);
            }
            break;
        case 3:
            for (int i = 1; i <= H; ++i)
                Line(0, i, W, i, P(c.clrTint, gradientStep(25.0f, H, i)));
            Caption(o);
            Frame(0, 0, W, H, rgb(0, 60, 115));
            CornerDots(rgb(16, 77, 123));
            if (in.over)
                Look3Edges(rgb(255, 178, 49), rgb(231, 150, 0), rgb(255, 243, 206), rgb(255, 219, 140),
                           rgb(255, 203, 107));
            else if ((in.focused || in.isDefault) && in.showFocusRect)
                Look3Edges(rgb(140, 174, 231), rgb(107, 130, 239), rgb(206, 231, 255), rgb(189, 215, 247),
                           rgb(181, 209, 240));
            else
                Look3PlainEdges();
            break;
        case 4:
            Look4(o);
            break;
        case 5:
            Box(1, 1, W - 1, H - 1, S(c.clrFace, 12));
            Caption(o);
            Frame(1, 1, W - 1, H - 1, c.clrHighlight);
            Frame(0, 0, W - 1, H - 1, S(c.clrShadow, -26));
            Dot(1, H - 2, S(c.clrShadow, 26));
            Dot(W - 2, 1, S(c.clrShadow, 26));
            CaptionMark();
            break;
        case 6:
            Caption(o);
            Bevel(S(c.clrLight, 8), c.clrShadow, S(c.clrLight, 8), c.clrShadow, false, false);
            Focus();
            break;
        case 7:
            Caption(o);
            Bevel(c.clrHighlight, c.clrShadow, 0, 0, false, true);
            Focus();
            break;
        case 8:
            Caption(o);
            if (in.over)
                Bevel(c.clrHighlight, c.clrShadow, 0, 0, false, true);
            Focus();
            break;
        case 9:
            if (in.over)
                Box(1, 1, W, H, c.clrSelectionPale);
            Caption(o);
            if (in.over)
                Frame(0, 0, W, H, c.clrSelection);
            Focus();
            break;
        case 11:
            Caption(o);
            Focus();
            break;
        case 12:
            Caption(o);
            if (in.over)
                Bevel(c.clrHighlight, c.clrDarkShadow, c.clrLight, c.clrShadow, false, false);
            Focus();
            break;
        case 13:
            Oval(0, 0, W, H, in.over ? c.clrShadow : c.clrFace, c.clrFace);
            Caption(o);
            break;
        case 14:
            if (in.over)
                Box(0, 0, W, H, c.clrLight);
            else
                Look14Gradient();
            if (in.isDefault) {
                // The default button's caption is laid out and drawn in bold for this drawing only.
                layout = in.boldLayout;
                font = in.boldFont;
            }
            Caption(o);
            layout = in.layout;
            font = in.font;
            Look14Frame();
            Focus();
            break;
        default:
            break;
        }
    }

    void Look3Edges(OleColor frame, OleColor bottom, OleColor top, OleColor second, OleColor sides)
    {
        Frame(1, 2, W - 2, H - 4, frame);
        Line(2, H - 2, W - 2, H - 2, bottom);
        Line(2, 1, W - 2, 1, top);
        Line(1, 2, W - 1, 2, second);
        Line(2, 3, 2, H - 3, sides);
        Line(W - 3, 3, W - 3, H - 3, sides);
    }

    void Look3PlainEdges()
    {
        const OleColor t = c.clrTint;
        Line(2, H - 2, W - 2, H - 2, P(t, -48));
        Line(1, H - 3, W - 2, H - 3, P(t, -32));
        Line(W - 2, 2, W - 2, H - 2, P(t, -36));
        Line(W - 3, 3, W - 3, H - 3, P(t, -24));
        Line(2, 1, W - 2, 1, P(t, 16));
        Line(1, 2, W - 2, 2, P(t, 10));
        Line(1, 2, 1, H - 2, P(t, -5));
        Line(2, 3, 2, H - 3, P(t, -10));
    }

    void pressedColumn()
    {
        switch (in.buttonType) {
        case 1:
            Caption(2);
            Bevel(c.clrShadow, c.clrHighlight, c.clrShadow, c.clrHighlight, true, false);
            Frame(0, 0, W, H, c.clrDarkShadow);
            Focus();
            break;
        case 2:
            Caption(2);
            if (in.showFocusRect && in.isDefault) {
                Frame(0, 0, W, H, c.clrDarkShadow);
                Frame(1, 1, W - 2, H - 2, c.clrShadow);
                Focus();
            } else {
                Bevel(c.clrDarkShadow, c.clrHighlight, c.clrShadow, c.clrLight, false, false);
            }
            break;
        case 3: {
            const OleColor base = P(c.clrTint, -32);
            for (int i = 1; i <= H; ++i)
                Line(0, H - i, W, H - i, P(base, gradientStep(25.0f, H, i)));
            Caption(2);
            Frame(0, 0, W, H, rgb(0, 60, 115));
            CornerDots(rgb(16, 77, 123));
            Line(2, H - 2, W - 2, H - 2, P(base, 16));
            Line(1, H - 3, W - 2, H - 3, P(base, 10));
            Line(W - 2, 2, W - 2, H - 2, P(base, 5));
            Line(W - 3, 3, W - 3, H - 3, c.clrTint);
            Line(2, 1, W - 2, 1, P(base, -32));
            Line(1, 2, W - 2, 2, P(base, -24));
            Line(1, 2, 1, H - 2, P(base, -32));
            Line(2, 2, 2, H - 2, P(base, -22));
            break;
        }
        case 4: {
            const OleColor pressedFace = S(c.clrShadow, -16);
            Box(1, 1, W - 2, H - 2, pressedFace);
            // The caption's effect copies take the pressed face.
            const OleColor tint = c.clrTint;
            c.clrTint = pressedFace;
            Caption(2);
            c.clrTint = tint;
            Frame(0, 0, W, H, c.clrDarkShadow);
            Frame(1, 1, W - 2, H - 2, S(c.clrShadow, -64));
            Frame(2, 2, W - 4, H - 4, S(c.clrShadow, -32));
            Dot(2, 2, S(c.clrShadow, -64));
            Dot(3, 3, S(c.clrShadow, -32));
            CornerDots(c.clrDarkShadow);
            Line(W - 3, 1, W - 3, H - 3, c.clrShadow);
            Line(1, H - 3, W - 2, H - 3, c.clrShadow);
            Dot(W - 4, H - 4, c.clrShadow);
            Line(W - 2, 3, W - 2, H - 2, S(c.clrShadow, -16));
            Line(3, H - 2, W - 2, H - 2, S(c.clrShadow, -16));
            Line(W - 2, H - 3, W - 4, H - 1, S(c.clrShadow, -32));
            Dot(2, H - 2, S(c.clrShadow, -32));
            Dot(W - 2, 2, S(c.clrShadow, -32));
            break;
        }
        case 5:
            Box(1, 1, W - 2, H - 2, S(c.clrShadow, 16));
            Frame(0, 0, W - 1, H - 1, S(c.clrShadow, -26));
            Line(W - 1, 1, W - 1, H, c.clrHighlight);
            Line(1, H - 1, W - 1, H - 1, c.clrHighlight);
            lastCaption = [this] { drawCaptionAt(layout.rcCaption, c.clrTextOver); };
            lastCaption();
            CaptionMark();
            break;
        case 6:
            Caption(2);
            Bevel(c.clrShadow, S(c.clrLight, 8), c.clrShadow, S(c.clrLight, 8), false, false);
            Focus();
            break;
        case 7:
        case 8:
            Caption(2);
            Bevel(c.clrShadow, c.clrHighlight, 0, 0, false, true);
            Focus();
            break;
        case 9:
            if (in.over)
                Box(0, 0, W, H, in.colorScheme == 2 ? S(c.clrSelectionPale, -32) : PaleColor(c.clrSelection, 128));
            Caption(2);
            Frame(0, 0, W, H, c.clrSelection);
            Focus();
            break;
        case 11:
            Caption(2);
            Focus();
            break;
        case 12:
            Caption(2);
            Bevel(c.clrDarkShadow, c.clrHighlight, c.clrShadow, c.clrLight, false, false);
            Focus();
            break;
        case 13:
            Oval(0, 0, W, H, c.clrDarkShadow, S(c.clrFace, -32));
            Caption(2);
            break;
        case 14:
            Box(1, 1, W, H, S(c.clrFace, -9));
            Frame(0, 0, W, H, S(c.clrShadow, -48));
            Line(2, H - 2, W - 2, H - 2, c.clrHighlight);
            Line(W - 2, 2, W - 2, H - 1, c.clrHighlight);
            Caption(7);
            Focus();
            break;
        default:
            break;
        }
    }

    void disabledColumn()
    {
        switch (in.buttonType) {
        case 1:
            Caption(3);
            Bevel(c.clrHighlight, c.clrShadow, c.clrHighlight, c.clrShadow, true, false);
            Frame(0, 0, W, H, c.clrDarkShadow);
            break;
        case 2:
            Caption(3);
            Bevel(c.clrHighlight, c.clrDarkShadow, c.clrLight, c.clrShadow, false, false);
            break;
        case 3:
            Box(0, 0, W, H, P(c.clrTint, -24));
            Caption(5);
            Frame(0, 0, W, H, P(c.clrTint, -84));
            CornerDots(P(c.clrTint, -72));
            break;
        case 4:
            Look4(3);
            break;
        case 5:
            Caption(4);
            Frame(0, 0, W, H, c.clrShadow);
            break;
        case 6:
            Caption(4);
            Bevel(S(c.clrLight, 8), c.clrShadow, S(c.clrLight, 8), c.clrShadow, false, false);
            break;
        case 7:
            Caption(3);
            Bevel(c.clrHighlight, c.clrShadow, 0, 0, false, true);
            break;
        case 8:
        case 12:
        case 13:
        case 11:
            Caption(3);
            break;
        case 9:
            Caption(4);
            break;
        case 14:
            Look14Gradient();
            Look14Frame();
            Caption(6);
            break;
        default:
            break;
        }
    }

    void paintPictures(int kind)
    {
        if (in.pictureNormal.isNull())
            return;
        PaintFacePictures(m_image, in, kind);
        // A caption behind the picture is drawn again on top of it, as it was drawn below.
        if (in.picturePosition == 4 && lastCaption) {
            const std::function<void()> redraw = lastCaption;
            redraw();
        }
    }

    const ButtonPaintInput& in;
    ColourSet c;
    int state;
    int W;
    int H;
    int o;
    CaptionLayout layout;
    QFont font;
    std::function<void()> lastCaption;
};
} // namespace

QImage PaintButtonFace(const ButtonPaintInput& input, int state)
{
    return FacePainter(input, state).paint();
}

} // namespace controls
