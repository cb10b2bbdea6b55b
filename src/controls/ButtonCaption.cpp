#include "controls/ButtonCaption.h"

namespace controls
{
namespace
{
// Index of the access key's character in the caption, or -1.
int accessKeyIndex(const QString& caption)
{
    const int length = static_cast<int>(caption.size());
    if (length <= 1)
        return -1;
    const int p = static_cast<int>(caption.indexOf(QLatin1Char('&')));
    if (p < 0 || p == length - 1)
        return -1;
    if (caption.at(p + 1) != QLatin1Char('&'))
        return p + 1;
    const int q = static_cast<int>(caption.indexOf(QLatin1Char('&'), p + 2));
    if (q < 0 || q == length - 1 || caption.at(q + 1) == QLatin1Char('&'))
        return -1;
    return q + 1;
}
} // namespace

QChar AccessKey(const QString& caption)
{
    const int index = accessKeyIndex(caption);
    return index < 0 ? QChar() : caption.at(index).toLower();
}

ShownCaption ShowCaption(const QString& caption)
{
    const int key = accessKeyIndex(caption);
    ShownCaption shown;
    const int length = static_cast<int>(caption.size());
    for (int i = 0; i < length; ++i) {
        if (caption.at(i) != QLatin1Char('&')) {
            shown.text += caption.at(i);
            continue;
        }
        if (i + 1 < length && caption.at(i + 1) == QLatin1Char('&')) {
            shown.text += QLatin1Char('&');
            ++i;
            continue;
        }
        // A single "&" marks the next character and is not shown itself.
        if (i + 1 == key)
            shown.underline = static_cast<int>(shown.text.size());
    }
    return shown;
}

QString MnemonicText(const ShownCaption& shown)
{
    QString text;
    for (int i = 0; i < shown.text.size(); ++i) {
        if (i == shown.underline)
            text += QLatin1Char('&');
        text += shown.text.at(i);
        if (shown.text.at(i) == QLatin1Char('&'))
            text += QLatin1Char('&');
    }
    return text;
}

CaptionLayout LayoutCaption(const CaptionLayout& previous, const CaptionInputs& in, const MeasureCaption& measure)
{
    const int w = in.width;
    const int h = in.height;
    const int picW = in.pictureWidth;
    const int picH = in.pictureHeight;
    CaptionLayout layout = previous;
    switch (in.picturePosition) {
    case 0:
        layout.layoutRect = {picW + 1, 1, w - 2, h - 2};
        break;
    case 1:
        layout.layoutRect = {1, 1, w - 2 - picW, h - 2};
        break;
    case 2:
        layout.layoutRect = {1, picH + 1, w - 2, h - 2};
        break;
    case 3:
        layout.layoutRect = {1, 1, w - 2, h - 2 - picH};
        break;
    case 4:
        layout.layoutRect = {1, 1, w - 2, h - 2};
        break;
    default:
        break;
    }
    const QSize extent = measure(layout.layoutRect);
    PixelRect measured {layout.layoutRect.left, layout.layoutRect.top, layout.layoutRect.left + extent.width(),
                        layout.layoutRect.top + extent.height()};
    layout.lngTextW = measured.width();
    layout.lngTextH = measured.height();
    switch (in.picturePosition) {
    case 0:
    case 2:
    case 4:
        measured = measured.moved((w - measured.right) / 2, (h - measured.bottom) / 2);
        break;
    case 1:
        measured = measured.moved((w - measured.right - picW - 4) / 2, (h - measured.bottom) / 2);
        break;
    case 3:
        measured = measured.moved((w - measured.right) / 2, (h - measured.bottom - picH - 4) / 2);
        break;
    default:
        break;
    }
    layout.rcCaption = measured;
    layout.rcPressed = measured.moved(1, 1);

    if (!in.hasPicture)
        return layout;
    if (!in.caption.trimmed().isEmpty() && in.picturePosition != 4) {
        switch (in.picturePosition) {
        case 0:
            layout.lngPicX = layout.rcCaption.left - picW - 4;
            layout.lngPicY = (h - picH) / 2;
            break;
        case 1:
            layout.lngPicX = layout.rcCaption.right + 4;
            layout.lngPicY = (h - picH) / 2;
            break;
        case 2:
            layout.lngPicX = (w - picW) / 2;
            layout.lngPicY = layout.rcCaption.top - picH - 2;
            break;
        case 3:
            layout.lngPicX = (w - picW) / 2;
            layout.lngPicY = layout.rcCaption.bottom + 2;
            break;
        default:
            break;
        }
    } else {
        layout.lngPicX = (w - picW) / 2;
        layout.lngPicY = (h - picH) / 2;
    }
    return layout;
}

} // namespace controls
