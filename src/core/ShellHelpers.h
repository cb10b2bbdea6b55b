#pragma once

#include <QString>

class QWidget;

namespace core
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

// ShellExecuteOpen's code when the desktop has no program for the file.
inline constexpr qint32 ShellNoAssociation = 31;

// Opens a file (relative to `folder` when relative) with its program. Above 32 on success; 2 when
// the file is missing, 3 when the working folder is, 31 when the desktop has nothing to open it.
qint32 ShellExecuteOpen(const QString& file, const QString& folder);
// The message for a code of 32 or less ("" above 32), shown as a critical box titled "Error:"
// when `show` is set.
QString ShowShellExecuteError(qint32 code, bool show);

// Keeps the window above the others, or lets it go back; position, size and visibility stay.
void SetTopmost(QWidget* window, bool topmost);

// Service mode is supported on this platform.
bool IsNTCompatible();
// The system the program runs on, as the log names it: "Debian GNU/Linux 12 (bookworm)".
QString SystemName();

} // namespace core
