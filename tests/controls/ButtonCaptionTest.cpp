#include "controls/ButtonCaption.h"

#include <vector>

#include <QPoint>

#include <gtest/gtest.h>

using namespace controls;

namespace
{
TEST(ButtonCaption, AccessKeysAndShownCaptions)
{
    struct Case
    {
        QString caption;
        QChar key;
        QString shown;
        int underline;
    };
    const std::vector<Case> cases = {
        {"&Save", 's', "Save", 0},
        {"Fish && &Chips", 'c', "Fish & Chips", 7},
        {"A&&B", QChar(), "A&B", -1},
        // Only the "&" after the first doubled pair is looked at.
        {"A&&B&&C&D", QChar(), "A&B&CD", -1},
        {"&&&a", 'a', "&a", 1},
        {"Save&", QChar(), "Save", -1},
        {"&", QChar(), "", -1},
        {"", QChar(), "", -1},
        {"Plain", QChar(), "Plain", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption.toStdString());
        EXPECT_EQ(AccessKey(c.caption), c.key);
        const ShownCaption shown = ShowCaption(c.caption);
        EXPECT_EQ(shown.text, c.shown);
        EXPECT_EQ(shown.underline, c.underline);
    }
    EXPECT_EQ(MnemonicText(ShowCaption("Fish && &Chips")), "Fish && &Chips");
    EXPECT_EQ(MnemonicText(ShowCaption("A&&B&&C&D")), "A&&B&&CD");
}

// Every caption measures 40 x 13 on the 100 x 30 button; the picture is 16 x 16.
CaptionLayout layOut(int position, const QString& caption, bool picture = true, const CaptionLayout& previous = {})
{
    CaptionInputs in;
    in.width = 100;
    in.height = 30;
    in.picturePosition = position;
    in.pictureWidth = picture ? 16 : 0;
    in.pictureHeight = picture ? 16 : 0;
    in.hasPicture = picture;
    in.caption = caption;
    return LayoutCaption(previous, in, [](const PixelRect&) { return QSize(40, 13); });
}

TEST(ButtonCaption, LayoutOnAHundredByThirtyButton)
{
    struct Case
    {
        const char* name;
        int position;
        QString caption;
        PixelRect layoutRect;
        PixelRect caption_;
        QPoint picture;
    };
    const std::vector<Case> cases = {
        {"picture left", 0, "Caption", {17, 1, 98, 28}, {38, 9, 78, 22}, {18, 7}},
        {"picture right", 1, "Caption", {1, 1, 82, 28}, {20, 9, 60, 22}, {64, 7}},
        {"picture above", 2, "Caption", {1, 17, 98, 28}, {30, 17, 70, 30}, {42, -1}},
        {"picture below", 3, "Caption", {1, 1, 98, 12}, {30, -1, 70, 12}, {42, 14}},
        {"picture behind", 4, "Caption", {1, 1, 98, 28}, {30, 9, 70, 22}, {42, 7}},
        {"blank caption centres the picture", 0, "   ", {17, 1, 98, 28}, {38, 9, 78, 22}, {42, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CaptionLayout layout = layOut(c.position, c.caption);
        EXPECT_EQ(layout.layoutRect, c.layoutRect);
        EXPECT_EQ(layout.rcCaption, c.caption_);
        EXPECT_EQ(layout.rcPressed, c.caption_.moved(1, 1));
        EXPECT_EQ(layout.lngTextW, 40);
        EXPECT_EQ(layout.lngTextH, 13);
        EXPECT_EQ(QPoint(layout.lngPicX, layout.lngPicY), c.picture);
    }
}

TEST(ButtonCaption, UnknownPositionsAndMissingPicturesKeepThePreviousLayout)
{
    const CaptionLayout before = layOut(1, "Caption");
    const CaptionLayout unknown = layOut(9, "Caption", true, before);
    EXPECT_EQ(unknown.layoutRect, before.layoutRect);
    // Measured in the old rectangle and not centred.
    EXPECT_EQ(unknown.rcCaption, (PixelRect {1, 1, 41, 14}));
    EXPECT_EQ(QPoint(unknown.lngPicX, unknown.lngPicY), QPoint(before.lngPicX, before.lngPicY));

    const CaptionLayout withoutPicture = layOut(0, "Caption", false, before);
    EXPECT_EQ(QPoint(withoutPicture.lngPicX, withoutPicture.lngPicY), QPoint(before.lngPicX, before.lngPicY));
    EXPECT_EQ(withoutPicture.rcCaption, (PixelRect {30, 9, 70, 22}));
}

} // namespace
