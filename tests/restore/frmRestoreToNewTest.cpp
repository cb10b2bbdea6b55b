#include "restore/frmRestoreToNew.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>

#include <gtest/gtest.h>

#include "RestoreWindowsTest.h"
#include "restore/frmSelectFiles.h"
#include "support/Screenshot.h"

using platform::Form;
using restore::frmRestoreToNew;

namespace
{
class frmRestoreToNewTest : public test::RestoreWindowsTest
{
protected:
    void SetUp() override
    {
        RestoreWindowsTest::SetUp();
        loadSet("Set", {"LAN|/mnt/b|/mnt/b/Set.zip|10/12/2026 12:00:00|1|1|0|"});
        writeLastRun("Set", "/home/u/docs/a.txt\r\n");
        choice.setName = "Set";
        choice.version = *core::VersionLine::parse("LAN|/mnt/b|/mnt/b/Set.zip|10/12/2026 12:00:00|1|1|0|");
        choice.previousLocation = false;
        dialog = Form<frmRestoreToNew>::load();
        ASSERT_NE(dialog, nullptr);
        dialog->setChoice(choice);
        dialog->show();
    }
    void browse() { dialog->tbSearchFolder->actions().first()->trigger(); }

    restore::RestoreRequest choice;
    frmRestoreToNew* dialog = nullptr;
};
} // namespace

TEST_F(frmRestoreToNewTest, BrowsingReplacesTheFolderOnlyWhenOneIsChosen)
{
    EXPECT_EQ(dialog->windowTitle(), "Restore to new location");
    EXPECT_TRUE(dialog->txtnewFolder->text().isEmpty());
    dialog->txtnewFolder->setText("/typed/folder");
    dialogs.choices.push_back(std::nullopt);
    browse();
    EXPECT_EQ(dialog->txtnewFolder->text(), "/typed/folder");
    EXPECT_EQ(dialogs.titles, QStringList {"Select a folder to restore selected archive:"});

    dialogs.choices.push_back(QString("/chosen/folder"));
    browse();
    EXPECT_EQ(dialog->txtnewFolder->text(), "/chosen/folder");
}

TEST_F(frmRestoreToNewTest, OkHandsTheChoiceAndAnyWholeFolderOn)
{
    dialog->cmdOK->click();
    EXPECT_EQ(Form<frmRestoreToNew>::loaded(), dialog) << "an empty box does nothing";
    EXPECT_TRUE(prompt.shown.empty());

    dialog->txtnewFolder->setText("restored");
    dialog->cmdOK->click();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Please specify a valid directory name.");
    EXPECT_EQ(Form<frmRestoreToNew>::loaded(), dialog);
    EXPECT_EQ(Form<restore::frmSelectFiles>::loaded(), nullptr);

    const QString missing = home.path() + "/not there yet";
    dialog->txtnewFolder->setText(missing);
    dialog->cmdOK->click();
    EXPECT_EQ(Form<frmRestoreToNew>::loaded(), nullptr);
    restore::frmSelectFiles* files = Form<restore::frmSelectFiles>::loaded();
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->choice().setName, "Set");
    EXPECT_FALSE(files->choice().previousLocation);
    EXPECT_EQ(files->choice().newFolder, missing);
    EXPECT_EQ(files->choice().version.archivePath(), "/mnt/b/Set.zip");
}

TEST_F(frmRestoreToNewTest, CancelClosesAndOpensNothing)
{
    dialog->txtnewFolder->setText("/somewhere");
    dialog->cmdCancel->click();
    EXPECT_EQ(Form<frmRestoreToNew>::loaded(), nullptr);
    EXPECT_EQ(Form<restore::frmSelectFiles>::loaded(), nullptr);
}

TEST_F(frmRestoreToNewTest, OpensAsTallAsItsControlsWithRoomForAWholeFolder)
{
    const QString folder = "/home/anna/Restored files/Documents of 10 December 2026";
    dialog->txtnewFolder->setText(folder);
    QCoreApplication::processEvents();
    EXPECT_LE(dialog->height(), dialog->sizeHint().height());
    EXPECT_GE(dialog->txtnewFolder->width(), dialog->txtnewFolder->fontMetrics().horizontalAdvance(folder));
    EXPECT_FALSE(test::saveScreenshot(dialog, "new-location-dialog").isEmpty());
}
