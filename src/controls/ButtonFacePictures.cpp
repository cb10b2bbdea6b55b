#include "controls/ButtonFacePictures.h"

#include "controls/ButtonPictures.h"

namespace controls
{
namespace
{

// The pictures of one state: plain, shifted when pressed, tinted when disabled, with the chosen
// raised or sunken effect behind them.
class FacePictures
{
public:
    FacePictures(QImage& face, const ButtonPaintInput& input)
        : m_image(face)
        , in(input)
        , c(input.colours)
    { }

    void paint(int kind)
    {
        const QImage& normal = in.pictureNormal;
        const bool hasOver = !in.pictureOver.isNull();
        const int x = in.layout.lngPicX;
        const int y = in.layout.lngPicY;
        const int type = in.buttonType;
        if (kind == 0) {
            if (!in.over) {
                PictureEffect(0, normal);
                BlendOptions options = plain();
                options.grey = in.useGreyscale;
                options.blend = type == 9;
                picture(normal, x, y, options);
            } else if (type == 9) {
                PictureEffect(-1, normal);
                picture(normal, x + 1, y + 1, tinted(c.clrShadow, false));
                picture(normal, x - 1, y - 1, plain());
            } else {
                const QImage& shown = hasOver ? in.pictureOver : normal;
                PictureEffect(0, shown);
                picture(shown, x, y, plain());
            }
        } else if (kind == 1) {
            if (hasOver && type != 9) {
                const int d = type == 5 ? 0 : 1;
                picture(in.pictureOver, x + d, y + d, plain());
            } else if (type == 5 || type == 9) {
                PictureEffect(0, normal);
                picture(normal, x, y, plain());
            } else {
                PictureEffect(1, normal);
                picture(normal, x + 1, y + 1, plain());
            }
        } else if (kind == 2) {
            if (type == 3) {
                BlendOptions options = plain();
                options.grey = true;
                picture(normal, x + 1, y + 1, options);
            } else if (type == 5 || type == 6 || type == 9) {
                picture(normal, x, y, tinted(type == 9 ? S(c.clrShadow, 13) : c.clrShadow, true));
            } else {
                picture(normal, x + 1, y + 1, tinted(c.clrHighlight, true));
                picture(normal, x, y, tinted(c.clrShadow, true));
            }
        }
    }

private:
    OleColor S(OleColor colour, int amount) const { return ShadeColor(colour, amount, false, in.softBevel); }

    void picture(const QImage& picture, int x, int y, const BlendOptions& options)
    {
        BlendPicture(m_image, x, y, in.pictureWidth, in.pictureHeight, picture, options);
    }

    BlendOptions plain() const
    {
        BlendOptions options;
        options.mask = c.clrMask;
        options.useMask = in.useMaskColor;
        return options;
    }

    BlendOptions tinted(OleColor tint, bool darkOnly) const
    {
        BlendOptions options = plain();
        options.tint = tint;
        options.darkOnly = darkOnly;
        return options;
    }

    void PictureEffect(int offset, const QImage& source)
    {
        if (in.specialEffect < 1)
            return;
        OleColor base = c.clrFace;
        if (in.buttonType == 3)
            base = c.clrTint;
        else if (offset == -1 && in.colorScheme != 2)
            base = c.clrSelectionPale;
        const bool sunken = in.specialEffect == 2;
        picture(source, in.layout.lngPicX + 1 + offset, in.layout.lngPicY + 1 + offset,
                tinted(S(base, sunken ? 40 : -40), false));
        if (in.specialEffect < 3)
            picture(source, in.layout.lngPicX - 1 + offset, in.layout.lngPicY - 1 + offset,
                    tinted(S(base, sunken ? -40 : 40), false));
    }

    QImage& m_image;
    const ButtonPaintInput& in;
    const ColourSet& c;
};

} // namespace

void PaintFacePictures(QImage& face, const ButtonPaintInput& input, int kind)
{
    FacePictures(face, input).paint(kind);
}

} // namespace controls
