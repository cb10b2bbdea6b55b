#include "editors/frmLanAdd.h"

#include <memory>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>

#include <gtest/gtest.h>

#include "EditorsTest.h"
#include "core/Settings.h"
#include "support/DestinationListFake.h"

using editors::frmLanAdd;
using platform::Form;

namespace
{
class frmLanAddTest : public test::EditorsTest
{
protected:
    // Opens the dialog as an editor does and runs `step` on it while it is up.
    void openWith(bool edit, const std::function<void(frmLanAdd*)>& step)
    {
        whenShown([step] {
            frmLanAdd* dialog = Form<frmLanAdd>::loaded();
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(dialog->isVisible());
            step(dialog);
            // Whatever the step left open is closed, so the modal loop ends.
            if (Form<frmLanAdd>::loaded())
                Form<frmLanAdd>::loaded()->cmdCancel->click();
        });
        frmLanAdd::open(list, edit);
    }

    test::ListCaller list;
};
} // namespace

TEST_F(frmLanAddTest, AddsAFolderRowEachTimeStartingFromTheDefaultFolder)
{
    ASSERT_TRUE(core::WritePreference("txtLanFolder", "/mnt/backups"));
    for (int i = 0; i < 2; ++i) {
        openWith(false, [](frmLanAdd* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Add LAN / Local folder");
            EXPECT_EQ(dialog->txtFolderBackup->text(), "/mnt/backups");
            EXPECT_TRUE(dialog->chkNew->isChecked());
            EXPECT_FALSE(dialog->chkNew->isVisible());
            dialog->cmdOK->click();
            EXPECT_EQ(Form<frmLanAdd>::loaded(), nullptr);
        });
    }
    ASSERT_EQ(list.rows.size(), 2u);
    for (const core::DestinationRow& row : list.rows)
        EXPECT_EQ(row, core::folderRow("/mnt/backups"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(frmLanAddTest, RefusesFoldersThatCannotBeDeliveredToOrRecorded)
{
    const QString refused[] = {"", "   ", " /mnt/b", "backup", "./b", "/a|b", "/a~!~b", "/a\tb", "/a\nb", "/a\x01"};
    openWith(false, [&refused, this](frmLanAdd* dialog) {
        for (const QString& folder : refused) {
            prompt.shown.clear();
            dialog->txtFolderBackup->setText(folder);
            dialog->cmdOK->click();
            ASSERT_EQ(prompt.shown.size(), 1u) << folder.toStdString();
            EXPECT_EQ(prompt.shown[0].text, "Please specify a valid directory name.");
            EXPECT_EQ(Form<frmLanAdd>::loaded(), dialog);
        }
        dialog->txtFolderBackup->setText("/mnt/with blanks  ");
        dialog->cmdOK->click();
    });
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(list.rows[0].details, "/mnt/with blanks  ") << "trailing blanks are kept as typed";
    EXPECT_EQ(list.rows[0].tag.fields(), QStringList {"/mnt/with blanks  "});
}

TEST_F(frmLanAddTest, EditingRewritesTheRowItReadEvenWhenTheSelectionMoves)
{
    ASSERT_TRUE(core::WritePreference("txtLanFolder", "/default"));
    list.rows = {core::folderRow("/one"), core::ftpRow("h", "21", "u", "p", "/", true), core::folderRow("/three")};
    list.selected = 2;
    openWith(true, [this](frmLanAdd* dialog) {
        EXPECT_EQ(dialog->txtFolderBackup->text(), "/three");
        EXPECT_FALSE(dialog->chkNew->isChecked());
        list.selected = 0;
        dialog->txtFolderBackup->setText("/changed");
        dialog->cmdOK->click();
    });
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[0], core::folderRow("/one"));
    EXPECT_EQ(list.rows[2], core::folderRow("/changed"));

    // Nothing selected: nothing to read, and OK touches no row.
    list.selected = -1;
    openWith(true, [](frmLanAdd* dialog) {
        EXPECT_EQ(dialog->txtFolderBackup->text(), "/default");
        dialog->txtFolderBackup->setText("/other");
        dialog->cmdOK->click();
        EXPECT_EQ(Form<frmLanAdd>::loaded(), nullptr);
    });
    EXPECT_EQ(list.rows[0], core::folderRow("/one"));
    EXPECT_EQ(list.rows[2], core::folderRow("/changed"));
    EXPECT_EQ(list.rows.size(), 3u);
}

TEST_F(frmLanAddTest, BrowsingReplacesTheFolderOnlyWhenOneIsChosen)
{
    dialogs.choices = {std::nullopt, QString("/chosen/folder")};
    openWith(false, [](frmLanAdd* dialog) {
        dialog->txtFolderBackup->setText("/typed");
        dialog->tbSearchFolder->actions().first()->trigger();
        EXPECT_EQ(dialog->txtFolderBackup->text(), "/typed");
        dialog->tbSearchFolder->actions().first()->trigger();
        EXPECT_EQ(dialog->txtFolderBackup->text(), "/chosen/folder");
        dialog->cmdCancel->click();
    });
    EXPECT_EQ(dialogs.startFolders, (QStringList {"/typed", "/typed"}));
    EXPECT_TRUE(list.rows.empty()) << "Cancel leaves the list alone";
}

TEST_F(frmLanAddTest, CallerThatWentAwayIsLeftAlone)
{
    auto gone = std::make_unique<test::ListCaller>();
    frmLanAdd::SetCaller(gone.get());
    gone.reset();
    frmLanAdd* dialog = Form<frmLanAdd>::load();
    ASSERT_NE(dialog, nullptr);
    dialog->LoadDetails();
    dialog->txtFolderBackup->setText("/somewhere");
    dialog->cmdOK->click();
    EXPECT_EQ(Form<frmLanAdd>::loaded(), nullptr);
}
