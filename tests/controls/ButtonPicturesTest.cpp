#include "controls/ButtonPictures.h"

#include <vector>

#include <gtest/gtest.h>

using namespace controls;

namespace
{
QImage canvas(QRgb fill = qRgb(0, 0, 255))
{
    QImage image(10, 6, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

QImage onePixel(QRgb colour)
{
    QImage image(1, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, colour);
    return image;
}

TEST(ButtonPictures, BlendPicturePixelRules)
{
    const QRgb under = qRgb(0, 0, 255);
    struct Case
    {
        const char* name;
        QRgb source;
        BlendOptions options;
        QRgb expected;
    };
    BlendOptions plain;
    BlendOptions noMask;
    noMask.useMask = false;
    BlendOptions darkTint;
    darkTint.tint = rgb(1, 2, 3);
    darkTint.darkOnly = true;
    BlendOptions fullTint;
    fullTint.tint = rgb(1, 2, 3);
    BlendOptions grey;
    grey.grey = true;
    BlendOptions blend;
    blend.blend = true;
    const std::vector<Case> cases = {
        {"mask colour left out", qRgb(192, 192, 192), plain, under},
        {"mask colour drawn without the mask", qRgb(192, 192, 192), noMask, qRgb(192, 192, 192)},
        {"plain copy", qRgb(10, 20, 30), plain, qRgb(10, 20, 30)},
        {"dark-only leaves out a sum above 384", qRgb(200, 100, 100), darkTint, under},
        {"dark-only paints a sum of 384", qRgb(128, 128, 128), darkTint, qRgb(1, 2, 3)},
        {"a full silhouette paints light pixels", qRgb(200, 100, 100), fullTint, qRgb(1, 2, 3)},
        {"grey of white is 254", qRgb(255, 255, 255), grey, qRgb(254, 254, 254)},
        {"grey of black is 0", qRgb(0, 0, 0), grey, qRgb(0, 0, 0)},
        {"grey rounds each weight", qRgb(10, 200, 30), grey, qRgb(124, 124, 124)},
        {"blend takes two thirds picture", qRgb(255, 0, 0), blend, qRgb(170, 0, 85)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage surface = canvas(under);
        BlendPicture(surface, 3, 2, 1, 1, onePixel(c.source), c.options);
        EXPECT_EQ(surface.pixel(3, 2), c.expected);
        EXPECT_EQ(surface.pixel(2, 2), under);
    }
}

TEST(ButtonPictures, OddWidthsLandWithoutSkewAndLargePicturesAreCut)
{
    QImage picture(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            picture.setPixel(x, y, qRgb(x * 40, y * 60, 7));
    QImage surface = canvas();
    BlendPicture(surface, 2, 1, 5, 3, picture, {});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(surface.pixel(2 + x, 1 + y), picture.pixel(x, y)) << x << "," << y;

    QImage cut = canvas();
    BlendPicture(cut, 0, 0, 3, 2, picture, {});
    EXPECT_EQ(cut.pixel(2, 1), picture.pixel(2, 1));
    EXPECT_EQ(cut.pixel(3, 1), qRgb(0, 0, 255));
    EXPECT_EQ(cut.pixel(2, 2), qRgb(0, 0, 255));

    QImage none = canvas();
    BlendPicture(none, 0, 0, 0, 3, picture, {});
    EXPECT_EQ(none, canvas());
}

TEST(ButtonPictures, ClearPartsOfAPictureAreLaidOnTheMaskColour)
{
    QImage icon(2, 1, QImage::Format_ARGB32);
    icon.setPixel(0, 0, qRgba(0, 0, 0, 0));
    icon.setPixel(1, 0, qRgba(255, 0, 0, 255));
    QImage surface = canvas();
    BlendPicture(surface, 0, 0, 2, 1, icon, {});
    EXPECT_EQ(surface.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(surface.pixel(1, 0), qRgb(255, 0, 0));

    BlendOptions noMask;
    noMask.useMask = false;
    BlendPicture(surface, 0, 0, 2, 1, icon, noMask);
    EXPECT_EQ(surface.pixel(0, 0), qRgb(192, 192, 192));
}

TEST(ButtonPictures, ShapeOfEachLook)
{
    const int w = 20;
    const int h = 10;
    const QPoint topLeft(0, 0), topRight(w - 1, 0), bottomLeft(0, h - 1), bottomRight(w - 1, h - 1);
    struct Case
    {
        std::vector<int> types;
        std::vector<QPoint> cut;
        std::vector<QPoint> kept;
    };
    const std::vector<Case> cases = {
        {{1, 14}, {topLeft, topRight, bottomLeft, bottomRight}, {{1, 0}, {0, 1}, {w - 2, h - 1}}},
        {{5}, {bottomLeft, topRight}, {topLeft, bottomRight, {1, h - 1}}},
        {{3, 4},
         {topLeft,
          {1, 0},
          {0, 1},
          {w - 2, 0},
          topRight,
          {w - 1, 1},
          bottomLeft,
          {1, h - 1},
          {0, h - 2},
          {w - 2, h - 1},
          bottomRight,
          {w - 1, h - 2}},
         {{2, 0}, {1, 1}, {0, 2}, {w - 3, h - 1}, {w - 2, h - 2}}},
        {{13}, {topLeft, topRight, bottomLeft, bottomRight, {2, 1}}, {{w / 2, h / 2}, {w / 2, 0}, {1, h / 2}}},
        {{2, 6, 7, 8, 9, 10, 11, 12, 0, 15}, {}, {topLeft, topRight, bottomLeft, bottomRight}},
    };
    for (const Case& c : cases) {
        for (int type : c.types) {
            SCOPED_TRACE(type);
            const QRegion shape = BuildShape(type, w, h);
            for (const QPoint& point : c.cut)
                EXPECT_FALSE(shape.contains(point)) << point.x() << "," << point.y();
            for (const QPoint& point : c.kept)
                EXPECT_TRUE(shape.contains(point)) << point.x() << "," << point.y();
            EXPECT_FALSE(shape.contains(QPoint(w, h / 2)));
        }
    }
}

} // namespace
