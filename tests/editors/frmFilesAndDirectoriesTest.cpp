#include "editors/frmFilesAndDirectories.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "EditorsTest.h"
#include "TestEditor.h"

using editors::frmFilesAndDirectories;
using platform::Form;

namespace
{
// The real folders below a fixture, under a top level of the test's choosing; counts the listings.
class FixtureShell : public platform::ShellNamespace
{
public:
    QList<platform::ShellItem> drives() override { return top; }
    std::optional<QList<platform::ShellItem>> items(const QString& path) override
    {
        ++listings[path];
        return platform::folderItems(path);
    }

    QList<platform::ShellItem> top;
    QMap<QString, int> listings;
};

class frmFilesAndDirectoriesTest : public test::EditorsTest
{
protected:
    void SetUp() override
    {
        EditorsTest::SetUp();
        root = home.path() + "/tree";
        ASSERT_TRUE(QDir().mkpath(root + "/alpha/deeper"));
        ASSERT_TRUE(QDir().mkpath(root + "/empty"));
        ASSERT_TRUE(test::writeFile(root + "/alpha/inside.txt", "x"));
        ASSERT_TRUE(test::writeFile(root + "/notes.txt", "x"));
        shell.top
            = {{"Fixture", root + "/", true}, {"alpha", root + "/alpha", true}, {"notes", root + "/notes.txt", false}};
        platform::setShellNamespace(&shell);
    }
    void TearDown() override
    {
        platform::setShellNamespace(nullptr);
        EditorsTest::TearDown();
    }

    frmFilesAndDirectories* load()
    {
        frmFilesAndDirectories* picker = Form<frmFilesAndDirectories>::load();
        EXPECT_NE(picker, nullptr);
        picker->show();
        return picker;
    }
    static QStringList keysBelow(const QTreeWidgetItem* node)
    {
        QStringList keys;
        for (int i = 0; i < node->childCount(); ++i)
            keys << frmFilesAndDirectories::nodeKey(node->child(i));
        return keys;
    }
    static QStringList topKeys(const frmFilesAndDirectories* picker)
    {
        QStringList keys;
        for (int i = 0; i < picker->tvwDirs->topLevelItemCount(); ++i)
            keys << frmFilesAndDirectories::nodeKey(picker->tvwDirs->topLevelItem(i));
        return keys;
    }
    static QTreeWidgetItem* childNamed(QTreeWidgetItem* node, const QString& name)
    {
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->text(0) == name)
                return node->child(i);
        return nullptr;
    }

    QString root;
    FixtureShell shell;
};
} // namespace

TEST_F(frmFilesAndDirectoriesTest, NumbersKeysAndPlaceholdersInTheOrderNodesAreAdded)
{
    frmFilesAndDirectories* picker = load();
    EXPECT_EQ(picker->windowTitle(), "Browse for folder.");
    EXPECT_FALSE(picker->cmdSelectFolder->isEnabled());
    EXPECT_EQ(topKeys(picker), (QStringList {"1:" + root + "/", "3:" + root + "/alpha", "5:" + root + "/notes.txt"}));
    QTreeWidgetItem* fixture = picker->tvwDirs->topLevelItem(0);
    EXPECT_EQ(keysBelow(fixture), QStringList {"TODO:2"});
    EXPECT_EQ(fixture->child(0)->text(0), "Unexpanded");
    EXPECT_EQ(keysBelow(picker->tvwDirs->topLevelItem(2)), QStringList {}) << "a file cannot be opened";
    EXPECT_TRUE(shell.listings.isEmpty()) << "nothing is listed before it is opened";

    picker->tvwDirs->expandItem(fixture);
    EXPECT_EQ(keysBelow(fixture),
              (QStringList {"6:" + root + "/alpha", "8:" + root + "/empty", "10:" + root + "/notes.txt"}));
    EXPECT_EQ(keysBelow(fixture->child(0)), QStringList {"TODO:7"});
    EXPECT_EQ(frmFilesAndDirectories::nodeMark(fixture->child(0)), 0);
    EXPECT_EQ(frmFilesAndDirectories::nodeMark(fixture->child(2)), 1);
    EXPECT_FALSE(fixture->child(0)->icon(0).isNull());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(frmFilesAndDirectoriesTest, FillsEachFolderOnceAndOnlyWhenItCanBeListed)
{
    frmFilesAndDirectories* picker = load();
    QTreeWidgetItem* fixture = picker->tvwDirs->topLevelItem(0);
    picker->tvwDirs->expandItem(fixture);
    picker->tvwDirs->collapseItem(fixture);
    picker->tvwDirs->expandItem(fixture);
    EXPECT_EQ(shell.listings.value(root + "/"), 1);
    EXPECT_EQ(fixture->childCount(), 3);

    QTreeWidgetItem* empty = childNamed(fixture, "empty");
    ASSERT_NE(empty, nullptr);
    picker->tvwDirs->expandItem(empty);
    EXPECT_EQ(empty->childCount(), 0);
    picker->tvwDirs_Expand(empty);
    EXPECT_EQ(shell.listings.value(root + "/empty"), 1) << "an opened folder without children does nothing";

    // A folder gone since it was shown: the placeholder goes and the node stays empty.
    QTreeWidgetItem* alpha = childNamed(fixture, "alpha");
    ASSERT_TRUE(QDir(root + "/alpha").removeRecursively());
    picker->tvwDirs->expandItem(alpha);
    EXPECT_EQ(alpha->childCount(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the pointer is restored";
}

TEST_F(frmFilesAndDirectoriesTest, SelectHandsTheFolderToTheNamedEditorOnly)
{
    auto* wizard = test::TestEditor::open(editors::EditorKind::Wizard);
    auto* properties = test::TestEditor::open(editors::EditorKind::Properties);
    struct Case
    {
        QString calledBy;
        int node;
        QStringList wizardGets;
        QStringList propertiesGets;
    };
    const QString alpha = root + "/alpha/";
    const Case cases[] = {
        {"frmWizard", 1, {alpha}, {}},
        {"frmSettings", 1, {}, {alpha}},
        {"frmwizard", 1, {}, {}},
        {"frmMain", 1, {}, {}},
        {"", 1, {}, {}},
        {"frmWizard", 0, {}, {}},
    };
    for (const Case& c : cases) {
        wizard->sources->tvBackupList->clear();
        properties->sources->tvBackupList->clear();
        frmFilesAndDirectories* picker = load();
        picker->CalledBy->setText(c.calledBy);
        picker->tvwDirs->setCurrentItem(picker->tvwDirs->topLevelItem(2));
        EXPECT_FALSE(picker->cmdSelectFolder->isEnabled()) << "a file cannot be chosen";
        picker->tvwDirs->setCurrentItem(picker->tvwDirs->topLevelItem(c.node));
        ASSERT_TRUE(picker->cmdSelectFolder->isEnabled());
        picker->cmdSelectFolder->click();
        EXPECT_EQ(Form<frmFilesAndDirectories>::loaded(), nullptr);
        EXPECT_EQ(wizard->sources->checkedPaths(), c.wizardGets) << c.calledBy.toStdString();
        EXPECT_EQ(properties->sources->checkedPaths(), c.propertiesGets) << c.calledBy.toStdString();
    }
}
