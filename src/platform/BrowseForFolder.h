#pragma once

#include <QString>

class QWidget;

namespace platform
{

// Special-folder ids that BrowseForFolder can start from.
namespace csidl
{
inline constexpr qint32 Desktop = 0x0000;
inline constexpr qint32 Personal = 0x0005;
inline constexpr qint32 MyMusic = 0x000D;
inline constexpr qint32 MyVideo = 0x000E;
inline constexpr qint32 DesktopDirectory = 0x0010;
inline constexpr qint32 Drives = 0x0011;
inline constexpr qint32 MyPictures = 0x0027;
inline constexpr qint32 Profile = 0x0028;
} // namespace csidl

inline constexpr qint32 BrowseRootNotFound = 1208;

// Lets the user pick a folder below the special folder lngCSIDL. Returns 0 when the dialog ran (the
// chosen folder then lands in strFolder; a cancel leaves it alone) and 1208 when the special folder
// is unknown. The browse flags need no handling here: only real folders can be chosen.
qint32 BrowseForFolder(qint32 lngCSIDL, qint32 lngBiFlags, QString& strFolder, QWidget* hwnd, const QString& pszTitle);

} // namespace platform
