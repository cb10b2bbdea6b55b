#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "main_window/MainWindowTest.h"
#include "main_window/SetDocumentFixtures.h"

namespace
{
class ScreenshotTest : public test::MainWindowTest
{ };
} // namespace

// Saves the main window as the offscreen platform draws it, for a person to look at; checks that it
// holds a real window's parts.
TEST_F(ScreenshotTest, MainWindowIsDrawnWithItsListsToolbarAndStatusBar)
{
    QDir().mkpath(programFile("data"));
    const struct
    {
        const char* name;
        const char* status;
        const char* lastRun;
        const char* scheduled;
    } sets[] = {
        {"Documents", "Success", "09/12/2026 22:00:04", "1"},
        {"Photos", "Never ran", "", "0"},
        {"Projects", "FAILURE Destination folder not found", "08/12/2026 18:30:00", "1"},
    };
    for (const auto& set : sets) {
        const QString text = test::SetDocumentFixture()
                                 .set("GENERAL", "ItemName", set.name)
                                 .set("GENERAL", "Scheduler", set.scheduled)
                                 .set("STATS", "Status", set.status)
                                 .set("STATS", "LastRunTime", set.lastRun)
                                 .text();
        ASSERT_TRUE(test::writeFile(programFile(QString("data/%1.sbd").arg(set.name)), text.toUtf8()));
    }
    main_window::frmMain* main = startThroughSplash();
    ASSERT_NE(main, nullptr);
    main->setStatusText("Ready");
    main->resize(960, 640);
    const QPixmap shot = main->grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), main->size());

    const QString path = qEnvironmentVariable("QUILLBACK_TEST_BINARY_DIR") + "/main-window.png";
    EXPECT_TRUE(shot.save(path, "PNG")) << path.toStdString();

    // The parts a person expects are there and take space.
    const QList<QWidget*> parts
        = {main->lstBackupSet, main->lstBackupFiles, main->tlbTools, main->StatusBar1, main->cmdNewItem};
    for (QWidget* part : parts)
        EXPECT_TRUE(part->isVisible() && part->height() > 10) << part->objectName().toStdString();
    // Not one flat colour: the controls were drawn.
    const QImage image = shot.toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 20);
}
