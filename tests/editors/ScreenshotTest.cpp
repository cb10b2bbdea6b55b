#include <QDir>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "EditorsTest.h"
#include "TestEditor.h"
#include "editors/frmFilesAndDirectories.h"
#include "editors/frmLanAdd.h"
#include "support/Screenshot.h"

using platform::Form;

namespace
{
class ScreenshotTest : public test::EditorsTest
{ };

class HomeShell : public platform::ShellNamespace
{
public:
    explicit HomeShell(QString root)
        : m_root(std::move(root))
    { }
    QList<platform::ShellItem> drives() override { return {{"/", "/", true}, {"backups", m_root, true}}; }

private:
    QString m_root;
};
} // namespace

TEST_F(ScreenshotTest, EditorPagesAndDialogsLookLikeRealWindows)
{
    const QString docs = home.path() + "/Documents";
    ASSERT_TRUE(QDir().mkpath(docs + "/Reports"));
    ASSERT_TRUE(test::writeFile(docs + "/budget.ods", "x"));
    ASSERT_TRUE(test::writeFile(docs + "/letter.txt", "x"));

    auto* editor = test::TestEditor::open(editors::EditorKind::Properties);
    editor->sources->StickIconOntoListView(docs + "/Reports");
    editor->sources->StickIconOntoListView(docs + "/budget.ods");
    editor->sources->StickIconOntoListView(docs + "/letter.txt");
    editor->sources->tvBackupList->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    editor->sources->txtExcludeMasks->setText("*.bak, *.old");
    EXPECT_FALSE(test::saveScreenshot(editor, "editors_source_page").isEmpty());

    core::BackupSetInfo set;
    set.DestCount = 3;
    set.Dest[1].Type = core::DestinationType::Folder;
    set.Dest[1].LocalFolder = "/mnt/backup/documents";
    set.Dest[2].Type = core::DestinationType::Ftp;
    set.Dest[2].FTPHost = "ftp.example.org";
    set.Dest[3].Type = core::DestinationType::Email;
    set.Dest[3].EmailID = "anna@example.org";
    editor->destinations->showDestinations(set);
    editor->tabs->setCurrentWidget(editor->destinations);
    EXPECT_FALSE(test::saveScreenshot(editor, "editors_destination_page").isEmpty());

    editors::frmLanAdd* lanAdd = Form<editors::frmLanAdd>::load();
    ASSERT_NE(lanAdd, nullptr);
    lanAdd->txtFolderBackup->setText("/mnt/backup/documents");
    lanAdd->show();
    EXPECT_FALSE(test::saveScreenshot(lanAdd, "editors_frmLanAdd").isEmpty());

    HomeShell shell(home.path());
    platform::setShellNamespace(&shell);
    editors::frmFilesAndDirectories* picker = Form<editors::frmFilesAndDirectories>::load();
    ASSERT_NE(picker, nullptr);
    picker->show();
    QTreeWidgetItem* backups = picker->tvwDirs->topLevelItem(1);
    picker->tvwDirs->expandItem(backups);
    for (int i = 0; i < backups->childCount(); ++i)
        picker->tvwDirs->expandItem(backups->child(i));
    picker->tvwDirs->setCurrentItem(backups->child(0));
    EXPECT_FALSE(test::saveScreenshot(picker, "editors_frmFilesAndDirectories").isEmpty());
    platform::setShellNamespace(nullptr);
}
