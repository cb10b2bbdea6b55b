#pragma once

#include <functional>

#include <QChar>
#include <QSize>
#include <QString>

namespace controls
{

// A rectangle of client pixels; right and bottom are excluded.
struct PixelRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    PixelRect moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool operator==(const PixelRect&) const = default;
};

// The access key of a caption, in lower case; a null character when it has none. One "&" marks the
// key; "&&" stands for a literal "&" and only the "&" after the first such pair is looked at.
QChar AccessKey(const QString& caption);

// The caption as a person reads it: "&&" as one "&", the marking "&"s gone, and the position of the
// access key (-1 for none) for underlining.
struct ShownCaption
{
    QString text;
    int underline = -1;
    bool operator==(const ShownCaption&) const = default;
};
ShownCaption ShowCaption(const QString& caption);
// The shown caption in the form Qt's mnemonic drawing takes (Qt::TextShowMnemonic).
QString MnemonicText(const ShownCaption& shown);

// Where the caption and the pictures go on the face.
struct CaptionLayout
{
    // The rectangle the caption was measured in; an unknown picture position keeps the last one.
    PixelRect layoutRect;
    PixelRect rcCaption;
    PixelRect rcPressed;
    int lngTextW = 0;
    int lngTextH = 0;
    int lngPicX = 0;
    int lngPicY = 0;
    bool operator==(const CaptionLayout&) const = default;
};

struct CaptionInputs
{
    int width = 0;
    int height = 0;
    int picturePosition = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
    bool hasPicture = false;
    QString caption;
};

// The size the caption takes when word-wrapped inside a rectangle whose top-left corner stays.
using MeasureCaption = std::function<QSize(const PixelRect& within)>;

// Lays out the caption and then places the pictures beside, above, below or behind it.
CaptionLayout LayoutCaption(const CaptionLayout& previous, const CaptionInputs& in, const MeasureCaption& measure);

} // namespace controls
