#include "platform/WindowSize.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

TEST(WindowSize, AWindowOpensWideEnoughForItsTitleAndNoLargerThanTheScreen)
{
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    const struct
    {
        const char* title;
        QSize least;
    } cases[] = {
        {"Restore to new location, below a folder of your choice", QSize()},
        {"Backup versions", QSize(screen.width() * 2, screen.height() * 2)},
    };
    for (const auto& c : cases) {
        QWidget window;
        window.setWindowTitle(c.title);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel("x", &window));
        platform::fitWindowToContent(&window, c.least);
        QFont bold = window.font();
        bold.setBold(true);
        EXPECT_GT(window.width(), QFontMetrics(bold).horizontalAdvance(c.title)) << c.title;
        EXPECT_GE(window.height(), window.sizeHint().height()) << c.title;
        EXPECT_LE(window.width(), screen.width()) << c.title;
        EXPECT_LE(window.height(), screen.height()) << c.title;
    }
}

TEST(WindowSize, ColumnsFitTheirLongestCellAndHeader)
{
    QTreeWidget list;
    list.setHeaderLabels({"Type", "Details"});
    new QTreeWidgetItem(&list, QStringList {"FTP", "/home/anna/Backups/Documents/10-12-2026 12-00-00 Documents"});
    const int needed = platform::fitColumnsToContent(&list);
    const QFontMetrics metrics = list.fontMetrics();
    EXPECT_GT(list.columnWidth(0), metrics.horizontalAdvance("Type"));
    EXPECT_GT(list.columnWidth(1),
              metrics.horizontalAdvance("/home/anna/Backups/Documents/10-12-2026 12-00-00 Documents"));
    EXPECT_GE(needed, list.columnWidth(0) + list.columnWidth(1));
}
