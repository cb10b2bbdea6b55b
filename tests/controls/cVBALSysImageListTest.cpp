#include "controls/cVBALSysImageList.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using controls::cVBALSysImageList;

namespace
{
class cVBALSysImageListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkdir("sub"));
        QFile file(folder.filePath("notes.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("some notes\n");
    }

    QTemporaryDir folder;
    cVBALSysImageList list;
};

bool isBlank(const QImage& image, int fromX, int toX, QRgb background)
{
    for (int x = fromX; x < toX; ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) != background)
                return false;
    return true;
}
} // namespace

TEST_F(cVBALSysImageListTest, NumericKeysAreTheirOwnIndex)
{
    const std::pair<QVariant, qint32> cases[] = {
        {QVariant(12), 12},
        {QVariant(QStringLiteral("12")), 12},
        {QVariant(QStringLiteral(" 7 ")), 7},
        {QVariant(-3), -3},
        {QVariant(2.0), 2},
        {QVariant(QStringLiteral("-1")), -1},
    };
    for (const auto& [key, index] : cases) {
        EXPECT_EQ(list.ItemIndex(key, true), index) << key.toString().toStdString();
        EXPECT_EQ(list.ItemIndex(key, false), index) << key.toString().toStdString();
    }

    ASSERT_TRUE(list.Create());
    EXPECT_TRUE(list.ItemPicture(-1).isNull());
    EXPECT_TRUE(list.ItemCopyOfIcon(-1).isNull());
    QImage canvas(16, 16, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        list.DrawImage(-1, &painter, 0, 0);
    }
    EXPECT_TRUE(isBlank(canvas, 0, 16, QColor(Qt::white).rgb())) << "a negative index draws nothing";
    EXPECT_FALSE(list.ItemPicture(0).isNull());
}

TEST_F(cVBALSysImageListTest, PathsGetTheIconOfTheirTypeOrOfTheRealItem)
{
    ASSERT_TRUE(list.Create());
    const QString notes = folder.filePath("notes.txt");
    const qint32 byName = list.ItemIndex("/nowhere/at/all/report.txt", false);
    EXPECT_GT(byName, 0) << "a missing path still gets the icon of its type";
    EXPECT_EQ(list.ItemIndex(notes, false), byName);
    EXPECT_EQ(list.ItemIndex("/nowhere/at/all/report.txt", true), 0) << "nothing on disk: the unknown icon";

    const qint32 subFolder = list.ItemIndex(folder.filePath("sub"), true);
    EXPECT_GT(subFolder, 0);
    EXPECT_NE(subFolder, list.ItemIndex(notes, true));
    EXPECT_EQ(list.ItemIndex(folder.path(), true), subFolder) << "every folder shares one index";
    EXPECT_NE(list.ItemIndex("/", true), subFolder) << "a volume's root is a drive";
    // Indexes stay valid for the process: another instance sees the same ones.
    cVBALSysImageList other;
    ASSERT_TRUE(other.Create());
    EXPECT_EQ(other.ItemIndex(folder.filePath("sub"), true), subFolder);
    EXPECT_FALSE(cVBALSysImageList::iconAt(other.hIml(), subFolder).isNull());
}

TEST_F(cVBALSysImageListTest, DestroyForgetsTheHandleAndCreateTakesItAgain)
{
    EXPECT_EQ(list.hIml(), 0);
    ASSERT_TRUE(list.Create());
    const qintptr small = list.hIml();
    EXPECT_NE(small, 0);
    const qint32 index = list.ItemIndex(folder.filePath("sub"), true);
    list.Destroy();
    EXPECT_EQ(list.hIml(), 0);
    EXPECT_TRUE(list.ItemCopyOfIcon(index).isNull());
    ASSERT_TRUE(list.Create());
    EXPECT_EQ(list.hIml(), small);
    EXPECT_FALSE(list.ItemCopyOfIcon(index).isNull());

    list.setIconSizeY(32);
    list.Clear();
    EXPECT_EQ(list.hIml(), small) << "the height never picks the list";
    list.setIconSizeX(32);
    list.Create();
    EXPECT_NE(list.hIml(), small);
    EXPECT_EQ(cVBALSysImageList::listIconSize(list.hIml()), 32);
    EXPECT_EQ(list.ItemPicture(index).width(), 32);
}

TEST_F(cVBALSysImageListTest, StripPutsEachIconInItsOwnCellFromTheLeft)
{
    const QVariantList keys {folder.filePath("sub"), "x.txt", 0};
    EXPECT_TRUE(list.ImagePictureStrip(keys, 0x00FFFFFF, true, 3).isNull()) << "no list yet";
    ASSERT_TRUE(list.Create());

    const QImage strip = list.ImagePictureStrip(keys, 0x0000FF00, true, 3).toImage();
    ASSERT_FALSE(strip.isNull());
    EXPECT_EQ(strip.width(), 3 * 16);
    EXPECT_EQ(strip.height(), 16);
    const QRgb green = QColor(0, 255, 0).rgb();
    EXPECT_FALSE(isBlank(strip, 0, 16, green)) << "the first icon starts at x = 0";
    EXPECT_FALSE(isBlank(strip, 32, 48, green)) << "the third key, index 0, fills the third cell";

    EXPECT_TRUE(list.ImagePictureStrip(QVariantList {}, 0, true, 3).isNull());
    EXPECT_TRUE(list.ImagePictureStrip(QStringLiteral("not a list"), 0, true).isNull());
    list.setIconSizeX(1 << 30);
    EXPECT_TRUE(list.ImagePictureStrip(keys, 0, true, 3).isNull()) << "too wide: no picture, no failure";
}

TEST_F(cVBALSysImageListTest, DrawsCutIconsBlendedEvenWhenDisabled)
{
    ASSERT_TRUE(list.Create());
    const qint32 index = list.ItemIndex(folder.filePath("sub"), true);
    const auto draw = [&](bool selected, bool cut, bool disabled) {
        QImage canvas(16, 16, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        list.DrawImage(index, &painter, 0, 0, selected, cut, disabled, 0x000000FF);
        painter.end();
        return canvas;
    };
    const QImage normal = draw(false, false, false);
    EXPECT_FALSE(isBlank(normal, 0, 16, qRgba(0, 0, 0, 0)));
    EXPECT_NE(draw(true, false, false), normal);
    EXPECT_EQ(draw(false, true, true), draw(false, true, false));
    EXPECT_NE(draw(false, false, true), draw(false, true, true));
}

TEST(cVBALSysImageListColours, TranslatesPlainAndSystemColours)
{
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::Base, QColor(10, 20, 30));
    EXPECT_EQ(cVBALSysImageList::TranslateColor(0x00123456), 0x00123456);
    EXPECT_EQ(cVBALSysImageList::TranslateColor(0x8000000F, &palette), 1 + 256 * 2 + 65536 * 3);
    EXPECT_EQ(cVBALSysImageList::TranslateColor(0x80000005, &palette), 10 + 256 * 20 + 65536 * 30);
    EXPECT_EQ(cVBALSysImageList::TranslateColor(0x80000019, &palette), -1) << "no system colour 25";
    EXPECT_EQ(cVBALSysImageList::TranslateColor(0x800000FF, &palette), -1);
    EXPECT_EQ(cVBALSysImageList::TranslateColor(0x02000000), -1);
    EXPECT_GT(cVBALSysImageList::SystemColourDepth(), 0);
}
