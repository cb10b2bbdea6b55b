#include "platform/WindowSize.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

TEST(WindowSize, APartGetsTheRoomAskedForWhateverStandsBesideOrAboveIt)
{
    const QString path = "/home/anna/Restored files/Documents of 10 December 2026/and one folder more";
    const struct
    {
        const char* name;
        // The text of a row above the box; long, it makes the window wider than the box needs.
        QString above;
    } cases[] = {
        {"a label beside the box", "x"},
        {"a wider row above", QString("A long hint above the box. ").repeated(5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        auto* layout = new QGridLayout(&window);
        layout->addWidget(new QLabel(c.above, &window), 0, 0, 1, 3);
        layout->addWidget(new QLabel("Folder:", &window), 1, 0);
        auto* box = new QLineEdit(path, &window);
        layout->addWidget(box, 1, 1);
        layout->addWidget(new QPushButton("...", &window), 1, 2);
        const int room = platform::textRoom(box, path.size());
        const QSize least = platform::roomFor(&window, box, QSize(room, 0));
        platform::fitWindowToContent(&window, least);
        window.show();
        QCoreApplication::processEvents();
        EXPECT_GE(box->width(), room);
        // Not wider than needed: the box gets just its room, or the row above sets the width.
        EXPECT_TRUE(box->width() <= room + 2 || window.width() <= window.sizeHint().width())
            << box->width() << " for " << room << " in " << window.width();
        EXPECT_EQ(box->minimumWidth(), 0) << "the room is asked for once, not kept";
    }
}
