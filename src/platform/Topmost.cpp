#include "platform/Topmost.h"

#include <QWidget>

namespace platform
{

void SetTopmost(QWidget* window, bool topmost)
{
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost)
        return;
    // Changing a window flag re-creates the native window hidden and may move it.
    const QRect geometry = window->geometry();
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    window->setGeometry(geometry);
    if (visible)
        window->show();
}

} // namespace platform
