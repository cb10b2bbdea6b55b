#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QVariant>

class QPainter;
class QPalette;

namespace controls
{

// A window's view of the program's one store of file, folder and drive icons. An icon keeps its
// index for the whole process, so indexes can be kept in trees and lists; the store belongs to no
// instance, and no instance ever empties it. Index 0 is the icon of a file of unknown type.
class cVBALSysImageList
{
public:
    cVBALSysImageList() = default;
    ~cVBALSysImageList();
    cVBALSysImageList(const cVBALSysImageList&) = delete;
    cVBALSysImageList& operator=(const cVBALSysImageList&) = delete;

    // Bits per pixel of the display; 0 without one.
    static qint32 SystemColourDepth();

    // Takes the handle of the store's list for the icon width (small below 32, large otherwise).
    // False, with no handle, when there is no desktop to draw icons for.
    bool Create();
    // Forgets the handle; the store stays.
    void Destroy();

    // Draws the key's icon with its top left at (xPixels, yPixels), from hExternalIml when it is not
    // 0. Selected and cut icons are blended, with the highlight and the cut colour; cut wins over
    // disabled. A negative index draws nothing.
    void DrawImage(const QVariant& vKey, QPainter* hdc, qint16 xPixels, qint16 yPixels,
                   const QVariant& bSelected = false, const QVariant& bCut = false, const QVariant& bDisabled = false,
                   quint32 oCutDitherColour = 0x80000005, qintptr hExternalIml = 0) const;

    qint32 IconSizeX() const { return m_sizeX; }
    void setIconSizeX(qint32 lSizeX) { m_sizeX = lSizeX; }
    qint32 IconSizeY() const { return m_sizeY; }
    void setIconSizeY(qint32 lSizeY) { m_sizeY = lSizeY; }

    // A key that reads as a number is its own index. Otherwise it is a path: with
    // bForceLoadFromDisk the icon of the real file, folder or drive (0 when there is none), else the
    // icon of the type its name implies, whether or not it exists.
    qint32 ItemIndex(const QVariant& vKey, bool bForceLoadFromDisk) const;
    // The key's icon at the list's size; a null picture for a negative index.
    QPixmap ItemPicture(const QVariant& vKey) const;
    // The key's icon; a null icon for a negative index.
    QIcon ItemCopyOfIcon(const QVariant& vKey) const;

    void Clear();
    // 0 when no list is held.
    qintptr hIml() const { return m_handle; }

    // The icons of vKeys (a list whose first element has the index lowerBound) side by side on
    // oBackColor, each IconSizeX wide. A null picture without a list, for anything but a non-empty
    // list, and for a strip too wide for one picture.
    QPixmap ImagePictureStrip(const QVariant& vKeys, quint32 oBackColor, bool bForceLoadFromDisk,
                              int lowerBound = 0) const;
    // The icon or the bitmap as a picture; a null picture for a null argument.
    QPixmap IconToPicture(const QIcon& hIcon) const;
    static QPixmap BitmapToPicture(const QImage& hBmp);

    // The RGB value (r + 256 g + 65536 b) of a colour that may name a system colour
    // (0x80000000 | index), read from hPal or the program's palette; -1 when it cannot be translated.
    static qint32 TranslateColor(quint32 clr, const QPalette* hPal = nullptr);

    // The icon a list handle holds at an index: what a tree given hIml draws. A null icon for an
    // unknown handle or index.
    static QIcon iconAt(qintptr himl, qint32 index);
    // The pixel size of the icons of a list handle; 0 for an unknown handle.
    static int listIconSize(qintptr himl);

private:
    qint32 m_sizeX = 16;
    qint32 m_sizeY = 16;
    qintptr m_handle = 0;
};

} // namespace controls
