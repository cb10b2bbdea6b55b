#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/SetDocument.h"
#include "engine/frmProcessing.h"
#include "main_window/MainWindowTest.h"
#include "support/Screenshot.h"
#include "support/SetDocumentFixtures.h"

namespace
{
class ScreenshotTest : public test::MainWindowTest
{ };

// Not one flat colour: the controls were drawn.
int coloursIn(const QString& path)
{
    const QImage image(path);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}
} // namespace

// Saves the main window at its first size, for a person to look at; every column of the set list
// is in view, headers whole.
TEST_F(ScreenshotTest, MainWindowOpensShowingEveryColumnOfTheSetList)
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
                                 .set("STATS", "Duration", "00:01:02")
                                 .text();
        ASSERT_TRUE(test::writeFile(programFile(QString("data/%1.sbd").arg(set.name)), text.toUtf8()));
    }
    ASSERT_TRUE(test::writeFile(programFile("data/Broken.sbd"), "<GENERAL>"));
    main_window::frmMain* main = startThroughSplash();
    ASSERT_NE(main, nullptr);
    QCoreApplication::processEvents();

    // "Creation time" and "Duration" are in view at the first size, their headers whole.
    const QHeaderView* header = main->lstBackupSet->header();
    const int viewport = main->lstBackupSet->viewport()->width();
    for (int column = 0; column < header->count(); ++column) {
        if (column == main_window::ItemTypeColumn)
            continue;
        EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column), viewport) << column;
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
    }
    const QList<QWidget*> parts
        = {main->lstBackupSet, main->lstBackupFiles, main->tlbTools, main->StatusBar1, main->cmdNewItem};
    for (QWidget* part : parts)
        EXPECT_TRUE(part->isVisible() && part->height() > 10) << part->objectName().toStdString();

    // The damaged set selected: its reason in the status bar.
    main->lstBackupSet->setCurrentItem(main->setRow("Broken"));
    main->lstBackupSet_ItemClick(main->setRow("Broken"));
    const QString path = test::saveScreenshot(main, "main-window");
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(QImage(path).size(), main->size());
    EXPECT_GT(coloursIn(path), 20);
}

// Saves the run window as a finished manual run leaves it.
TEST_F(ScreenshotTest, RunWindowShowsItsHeadlineStatusAndButtonsWhole)
{
    const QString source = programFile("source/Documents/letter.txt");
    ASSERT_TRUE(test::writeFile(source, "Dear Anna"));
    ASSERT_TRUE(QDir().mkpath(programFile("backup")));
    core::BackupSetInfo& set = core::state().NewBackupSet;
    set = core::BackupSetInfo {};
    set.ItemName = "Documents";
    set.DestCount = 1;
    set.RotationType = core::RotationMode::OneAtATime;
    set.Dest[1].Type = core::DestinationType::Folder;
    set.Dest[1].LocalFolder = programFile("backup");
    ASSERT_TRUE(core::WriteProject({QFileInfo(source).path()}));
    main_window::frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);

    main->mnuFileExecute_Click();
    engine::frmProcessing* run = platform::Form<engine::frmProcessing>::loaded();
    ASSERT_NE(run, nullptr);
    run->Timer1_Timer();
    QCoreApplication::processEvents();
    ASSERT_FALSE(run->running());
    EXPECT_FALSE(run->lblStatus->toPlainText().isEmpty());

    // Every button shows its caption whole.
    for (const QPushButton* button : {run->cmdMin, run->cmdPause, run->cmdClose})
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
    EXPECT_GE(run->lblLabel->width(), run->lblLabel->sizeHint().width());
    const QString path = test::saveScreenshot(run, "run-window");
    ASSERT_FALSE(path.isEmpty());
    EXPECT_GT(coloursIn(path), 10);
    run->cmdClose_Click();
}
