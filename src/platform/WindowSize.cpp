#include "platform/WindowSize.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTreeView>
#include <QWidget>

namespace platform
{
namespace
{
// Room a window manager's title bar takes besides the text: the icon and the three buttons.
constexpr int TitleBarExtras = 160;

int titleWidth(const QWidget* window)
{
    // Title bars usually draw the title in bold.
    QFont font = window->font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(window->windowTitle()) + TitleBarExtras;
}
} // namespace

void fitWindowToContent(QWidget* window, QSize least)
{
    window->ensurePolished();
    // A top-level window's layout keeps the window's minimum at the layout's own.
    if (QLayout* layout = window->layout())
        layout->activate();
    QSize size = window->sizeHint().expandedTo(least);
    size.setWidth(qMax(size.width(), titleWidth(window)));
    if (window->hasHeightForWidth())
        size.setHeight(qMax(size.height(), window->heightForWidth(size.width())));
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen)
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    window->resize(size);
}

int fitColumnsToContent(QTreeView* list)
{
    int width = 0;
    for (int column = 0; column < list->header()->count(); ++column) {
        if (list->isColumnHidden(column))
            continue;
        list->resizeColumnToContents(column);
        width += list->columnWidth(column);
    }
    return width + 2 * list->frameWidth() + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
}

} // namespace platform
