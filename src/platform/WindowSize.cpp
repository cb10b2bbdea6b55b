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

void settleLayout(QWidget* window)
{
    window->ensurePolished();
    // A top-level window's layout keeps the window's minimum at the layout's own.
    if (QLayout* layout = window->layout())
        layout->activate();
}
} // namespace

void fitWindowToContent(QWidget* window, QSize least)
{
    settleLayout(window);
    QSize size = window->sizeHint().expandedTo(least);
    size.setWidth(qMax(size.width(), titleWidth(window)));
    if (window->hasHeightForWidth())
        size.setHeight(qMax(size.height(), window->heightForWidth(size.width())));
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen)
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    window->resize(size);
}

QSize roomFor(QWidget* window, QWidget* part, QSize wanted)
{
    // The layout itself tells what the rest of the window takes beside the part and around it.
    const QSize minimum = part->minimumSize();
    part->setMinimumSize(minimum.expandedTo(wanted));
    settleLayout(window);
    const QSize size = window->sizeHint();
    part->setMinimumSize(minimum);
    settleLayout(window);
    return size;
}

int textRoom(const QWidget* widget, int characters)
{
    return widget->fontMetrics().averageCharWidth() * characters;
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

int heightForRows(const QTreeView* list, int rows)
{
    const int rowHeight = qMax(list->sizeHintForRow(0), list->fontMetrics().height());
    const int header = list->isHeaderHidden() ? 0 : list->header()->sizeHint().height();
    return header + rows * rowHeight + 2 * list->frameWidth()
        + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
}

} // namespace platform
