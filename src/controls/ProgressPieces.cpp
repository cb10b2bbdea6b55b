#include "controls/ProgressPieces.h"

#include <algorithm>

#include <QColor>

namespace controls
{
namespace
{
constexpr int PieceWidth = 8;
constexpr int PieceHeight = 10;

// Positive amounts move a colour towards white by that share, negative ones darken it by that share.
QColor shaded(const QColor& colour, double amount)
{
    auto channel = [amount](int value) {
        const double shifted = amount >= 0.0 ? value + (255 - value) * amount : value * (1.0 + amount);
        return std::clamp(static_cast<int>(shifted + 0.5), 0, 255);
    };
    return QColor(channel(colour.red()), channel(colour.green()), channel(colour.blue()));
}

QImage makeFrame()
{
    QImage image(59, 13, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QColor rings[] = {QColor(104, 104, 104), QColor(190, 190, 190), QColor(236, 236, 236)};
    // The inner ring shades only the top and left: the trough taken from (4, 4, 51, 7) stays white.
    for (int ring = 0; ring < 3; ++ring) {
        for (int x = ring; x < image.width() - ring; ++x) {
            image.setPixelColor(x, ring, rings[ring]);
            if (ring < 2)
                image.setPixelColor(x, image.height() - 1 - ring, rings[ring]);
        }
        for (int y = ring; y < image.height() - ring; ++y) {
            image.setPixelColor(ring, y, rings[ring]);
            if (ring < 2)
                image.setPixelColor(image.width() - 1 - ring, y, rings[ring]);
        }
    }
    // Rounded corners: the outer corner pixel takes the window's grey, its neighbours half tones.
    const QColor outside(239, 239, 239);
    const QColor soft(160, 160, 160);
    const int right = image.width() - 1;
    const int bottom = image.height() - 1;
    for (const auto& [cx, cy, dx, dy] : {std::array {0, 0, 1, 1}, std::array {right, 0, -1, 1},
                                         std::array {0, bottom, 1, -1}, std::array {right, bottom, -1, -1}}) {
        image.setPixelColor(cx, cy, outside);
        image.setPixelColor(cx + dx, cy, soft);
        image.setPixelColor(cx, cy + dy, soft);
        image.setPixelColor(cx + dx, cy + dy, rings[0]);
    }
    return image;
}

struct Look
{
    QColor base;
    bool metallic;
};

constexpr double PlainRows[PieceHeight] = {0.45, 0.3, 0.18, 0.08, 0.0, -0.04, -0.08, -0.12, -0.16, -0.22};
constexpr double MetalRows[PieceHeight] = {0.7, 0.55, 0.35, 0.12, -0.14, -0.22, -0.16, -0.05, 0.1, -0.15};

// `fade` lightens the whole piece: the tail of the moving head is paler than the head.
QImage makePiece(const Look& look, double fade)
{
    QImage image(PieceWidth, PieceHeight, QImage::Format_RGB32);
    const double* rows = look.metallic ? MetalRows : PlainRows;
    for (int y = 0; y < PieceHeight; ++y) {
        const QColor colour = shaded(shaded(look.base, rows[y]), fade);
        for (int x = 0; x < PieceWidth; ++x) {
            const bool edge = x == 0 || x == PieceWidth - 1;
            image.setPixelColor(x, y, edge ? shaded(colour, -0.1) : colour);
        }
    }
    return image;
}
} // namespace

const QImage& progressFrame()
{
    static const QImage frame = makeFrame();
    return frame;
}

const QImage& progressBlank()
{
    static const QImage blank = [] {
        QImage image(PieceWidth, PieceHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    }();
    return blank;
}

const std::array<QImage, 3>* progressLookPieces(qint64 look)
{
    static const std::array<std::array<QImage, 3>, ProgressLookCount> pieces = [] {
        const Look looks[ProgressLookCount] = {
            {QColor(40, 190, 40), false}, {QColor(40, 100, 220), false}, {QColor(60, 100, 180), true},
            {QColor(200, 160, 30), true}, {QColor(50, 150, 60), true},   {QColor(120, 124, 132), true},
            {QColor(235, 130, 20), true}, {QColor(200, 40, 30), true},
        };
        std::array<std::array<QImage, 3>, ProgressLookCount> made;
        for (int i = 0; i < ProgressLookCount; ++i)
            made[i] = {makePiece(looks[i], 0.55), makePiece(looks[i], 0.25), makePiece(looks[i], 0.0)};
        return made;
    }();
    if (look < 0 || look >= ProgressLookCount)
        return nullptr;
    return &pieces[look];
}

} // namespace controls
