#pragma once

#include <QImage>

#include "controls/ButtonCaption.h"
#include "controls/ButtonColors.h"

namespace controls
{

// A transparent image drawn on pixel by pixel, the way the button's looks are described: lines
// leave out their end point and everything outside the image is ignored.
class PixelCanvas
{
public:
    PixelCanvas(int width, int height);

    const QImage& image() const { return m_image; }

    void setPixel(int x, int y, OleColor colour);
    void Dot(int x, int y, OleColor colour) { setPixel(x, y, colour); }
    void Box(int x, int y, int w, int h, OleColor colour);
    void Frame(int x, int y, int w, int h, OleColor colour);
    void Line(int x1, int y1, int x2, int y2, OleColor colour);
    void Oval(int x, int y, int w, int h, OleColor pen, OleColor brush);
    // A dotted rectangle that inverts what lies under it.
    void InvertDotted(const PixelRect& r);

protected:
    QImage m_image;
};

} // namespace controls
