#include "controls/ButtonPictures.h"

#include <cmath>

#include <QPainter>

namespace controls
{

namespace
{
// A picture with transparency is laid on the mask colour first, as an icon is, so that its clear
// parts count as mask pixels.
QImage opaqueSource(const QImage& picture, const BlendOptions& options)
{
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_RGB32);
    QImage laid(picture.size(), QImage::Format_RGB32);
    laid.fill(toQColor(options.mask));
    QPainter painter(&laid);
    painter.drawImage(0, 0, picture);
    return laid;
}
} // namespace

void BlendPicture(QImage& surface, int x, int y, int w, int h, const QImage& image, const BlendOptions& options)
{
    if (w <= 0 || h <= 0 || image.isNull())
        return;
    const QImage picture = opaqueSource(image, options);
    for (int row = 0; row < h; ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= surface.height())
            continue;
        for (int column = 0; column < w; ++column) {
            const int tx = x + column;
            if (tx < 0 || tx >= surface.width())
                continue;
            if (column >= picture.width() || row >= picture.height())
                continue;
            const QRgb source = picture.pixel(column, row);
            const int r = qRed(source);
            const int g = qGreen(source);
            const int b = qBlue(source);
            if (options.useMask && rgb(r, g, b) == options.mask)
                continue;
            if (options.tint) {
                if (options.darkOnly && r + g + b > 384)
                    continue;
                surface.setPixel(tx, ty, toQColor(*options.tint).rgb());
            } else if (options.grey) {
                // Rounded as the weights are applied, half to even.
                const double n = std::nearbyint(r * 0.3);
                const int v = static_cast<int>(std::nearbyint(g * 0.59 + n + b * 0.11));
                surface.setPixel(tx, ty, qRgb(v, v, v));
            } else if (options.blend) {
                const QRgb under = surface.pixel(tx, ty);
                surface.setPixel(
                    tx, ty, qRgb((2 * r + qRed(under)) / 3, (2 * g + qGreen(under)) / 3, (2 * b + qBlue(under)) / 3));
            } else {
                surface.setPixel(tx, ty, qRgb(r, g, b));
            }
        }
    }
}

QRegion BuildShape(int buttonType, int width, int height)
{
    const int w = width;
    const int h = height;
    QRegion shape(0, 0, w, h);
    auto cut = [&](std::initializer_list<QPoint> points) {
        for (const QPoint& point : points)
            shape -= QRegion(point.x(), point.y(), 1, 1);
    };
    switch (buttonType) {
    case 1:
    case 14:
        cut({{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}});
        break;
    case 5:
        cut({{0, h - 1}, {w - 1, 0}});
        break;
    case 3:
    case 4:
        cut({{0, 0},
             {1, 0},
             {0, 1},
             {w - 2, 0},
             {w - 1, 0},
             {w - 1, 1},
             {0, h - 1},
             {1, h - 1},
             {0, h - 2},
             {w - 2, h - 1},
             {w - 1, h - 1},
             {w - 1, h - 2}});
        break;
    case 13:
        shape = QRegion(0, 0, w, h, QRegion::Ellipse);
        break;
    default:
        break;
    }
    return shape;
}

} // namespace controls
