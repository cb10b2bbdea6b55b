#include "controls/PixelCanvas.h"

#include <cmath>
#include <cstdlib>

#include <QPainter>

namespace controls
{

PixelCanvas::PixelCanvas(int width, int height)
    : m_image(qMax(width, 1), qMax(height, 1), QImage::Format_ARGB32_Premultiplied)
{
    m_image.fill(Qt::transparent);
}

void PixelCanvas::setPixel(int x, int y, OleColor colour)
{
    if (x >= 0 && y >= 0 && x < m_image.width() && y < m_image.height())
        m_image.setPixel(x, y, toQColor(colour).rgb());
}

void PixelCanvas::Box(int x, int y, int w, int h, OleColor colour)
{
    for (int row = y; row < y + h; ++row)
        for (int column = x; column < x + w; ++column)
            setPixel(column, row, colour);
}

void PixelCanvas::Frame(int x, int y, int w, int h, OleColor colour)
{
    if (w <= 0 || h <= 0)
        return;
    for (int column = x; column < x + w; ++column) {
        setPixel(column, y, colour);
        setPixel(column, y + h - 1, colour);
    }
    for (int row = y; row < y + h; ++row) {
        setPixel(x, row, colour);
        setPixel(x + w - 1, row, colour);
    }
}

void PixelCanvas::Line(int x1, int y1, int x2, int y2, OleColor colour)
{
    const int steps = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    for (int i = 0; i < steps; ++i) {
        const int x = x1 + static_cast<int>(std::lround(static_cast<double>(x2 - x1) * i / steps));
        const int y = y1 + static_cast<int>(std::lround(static_cast<double>(y2 - y1) * i / steps));
        setPixel(x, y, colour);
    }
}

void PixelCanvas::Oval(int x, int y, int w, int h, OleColor pen, OleColor brush)
{
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(toQColor(pen), 2));
    painter.setBrush(toQColor(brush));
    painter.drawEllipse(QRectF(x + 1, y + 1, w - 2, h - 2));
}

void PixelCanvas::InvertDotted(const PixelRect& r)
{
    auto invert = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height() || (x + y) % 2 != 0)
            return;
        const QRgb pixel = m_image.pixel(x, y);
        m_image.setPixel(x, y, qRgba(255 - qRed(pixel), 255 - qGreen(pixel), 255 - qBlue(pixel), qAlpha(pixel)));
    };
    if (r.width() <= 0 || r.height() <= 0)
        return;
    for (int x = r.left; x < r.right; ++x) {
        invert(x, r.top);
        if (r.bottom - 1 != r.top)
            invert(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        invert(r.left, y);
        if (r.right - 1 != r.left)
            invert(r.right - 1, y);
    }
}

} // namespace controls
