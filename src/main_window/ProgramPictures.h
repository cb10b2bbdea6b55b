#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace main_window
{

// The program's icon: the main window's, the tray's and the windows'.
QIcon programIcon();

// The picture that fills the splash window.
QPixmap splashPicture(const QSize& size);

} // namespace main_window
