#include "editors/SourceListPage.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include "EditorsTest.h"
#include "TestEditor.h"

using editors::EditorKind;

namespace
{
const QString Duplicate = "The item you are trying to add would create a duplicate backup item.\r\n\r\n"
                          "If you have already added a file there is no need to add it twice, and if you have added a "
                          "folder you should not add subfolders or files of that folder.\r\n\r\n"
                          "The most recent file or folder has not been added.";

class SourceListPageTest : public test::EditorsTest, public ::testing::WithParamInterface<EditorKind>
{
protected:
    void SetUp() override
    {
        EditorsTest::SetUp();
        editor = test::TestEditor::open(GetParam());
        page = editor->sources;
    }

    QStringList nodeTexts() const
    {
        QStringList texts;
        for (int i = 0; i < page->tvBackupList->topLevelItemCount(); ++i)
            texts << page->tvBackupList->topLevelItem(i)->text(0);
        return texts;
    }
    QString fixture(const QString& name) const
    {
        const QString path = home.path() + "/src/" + name;
        if (name.endsWith('/'))
            EXPECT_TRUE(QDir().mkpath(path));
        else
            EXPECT_TRUE(test::writeFile(path, "x"));
        return path;
    }

    test::TestEditor* editor = nullptr;
    editors::SourceListPage* page = nullptr;
};

QImage pictureOf(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage();
}
} // namespace

TEST_P(SourceListPageTest, AddsChosenFilesAFolderAndDroppedLocalFiles)
{
    const QString a = fixture("a.txt"), b = fixture("b.txt"), c = fixture("c.txt");
    const QString folder = fixture("docs/").chopped(1);
    const QString dropped = fixture("dropped.txt");
    const QString gone = home.path() + "/src/gone.bin";

    dialogs.fileListChoices = {QStringList {a, b, c}, std::nullopt};
    page->mnuFiles->trigger();
    page->mnuFiles->trigger();
    EXPECT_EQ(dialogs.titles.first(), "Select a file or files to backup...");
    dialogs.choices = {folder};
    page->mnuFolder->trigger();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dropped), QUrl("https://example.org/page.html"), QUrl::fromLocalFile(gone)});
    // Dropped onto the tree as the desktop drops it.
    const QPoint onList = page->tvBackupList->viewport()->rect().center();
    QDragEnterEvent enter(onList, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(page->tvBackupList->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(onList, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(page->tvBackupList->viewport(), &drop);

    EXPECT_TRUE(prompt.shown.empty());
    ASSERT_EQ(nodeTexts(), (QStringList {a, b, c, folder, dropped, gone}));
    EXPECT_EQ(page->tvBackupList->currentItem()->text(0), gone) << "the last added is selected";
    EXPECT_TRUE(page->cmdRemove->isEnabled());
    // Every node shows an icon; one without an icon of its own shows the unknown-file icon.
    const QIcon unknown = controls::cVBALSysImageList::iconAt(
        [] {
            controls::cVBALSysImageList list;
            list.Create();
            return list.hIml();
        }(),
        0);
    EXPECT_EQ(pictureOf(page->tvBackupList->topLevelItem(5)->icon(0)), pictureOf(unknown));
    EXPECT_NE(pictureOf(page->tvBackupList->topLevelItem(3)->icon(0)), pictureOf(unknown));

    page->tvBackupList->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(page->checkedPaths(), (QStringList {a, c, folder, dropped, gone}));
    EXPECT_NE(page->tvBackupList->topLevelItem(1)->foreground(0), page->tvBackupList->topLevelItem(0)->foreground(0));
    page->tvBackupList->topLevelItem(1)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(page->tvBackupList->topLevelItem(1)->foreground(0), page->tvBackupList->topLevelItem(0)->foreground(0));
}

TEST_P(SourceListPageTest, APathLongerThanTheTreeCanBeScrolledToItsEnd)
{
    const QString longPath = "/" + QString("a very long folder name/").repeated(12) + "file.txt";
    dialogs.fileListChoices = {QStringList {"/short.txt", longPath}};
    page->mnuFiles->trigger();
    QCoreApplication::processEvents();
    QTreeWidget* tree = page->tvBackupList;
    ASSERT_EQ(nodeTexts(), (QStringList {"/short.txt", longPath}));
    EXPECT_GE(tree->columnWidth(0), tree->fontMetrics().horizontalAdvance(longPath));
    EXPECT_GT(tree->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(tree->horizontalScrollBar()->value(), 0);

    // Removing it leaves no room to scroll into.
    tree->setCurrentItem(tree->topLevelItem(1));
    page->cmdRemove->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(tree->horizontalScrollBar()->maximum(), 0);
}

TEST_P(SourceListPageTest, RefusesOnlyOverlappingPaths)
{
    struct Case
    {
        QStringList listed;
        QString added;
        bool refused;
    };
    const Case cases[] = {
        {{"/Data"}, "/Data", true},  {{"/Data/Reports"}, "/Data", true},      {{"/Data"}, "/Data/Reports/q1.txt", true},
        {{"/Data"}, "/Data/", true}, {{"/Data/"}, "/Data/x", true},           {{"/home/u"}, "/", true},
        {{"/"}, "/anything", true},  {{"/Data"}, "/Database", false},         {{"/Database"}, "/Data", false},
        {{"/Data"}, "/data", false}, {{"/file.txt"}, "/file.txt.bak", false}, {{"/a", "/b/c", "/d"}, "/b", true},
    };
    for (const Case& c : cases) {
        page->tvBackupList->clear();
        for (const QString& path : c.listed)
            ASSERT_TRUE(page->StickIconOntoListView(path));
        prompt.shown.clear();
        EXPECT_EQ(page->StickIconOntoListView(c.added), !c.refused) << c.added.toStdString();
        if (c.refused) {
            ASSERT_EQ(prompt.shown.size(), 1u) << c.added.toStdString();
            EXPECT_EQ(prompt.shown[0].text, Duplicate);
            EXPECT_EQ(prompt.shown[0].buttons, platform::Buttons::Ok);
            EXPECT_EQ(nodeTexts(), c.listed);
        } else {
            EXPECT_TRUE(prompt.shown.empty());
            EXPECT_EQ(nodeTexts(), c.listed + QStringList {c.added});
        }
    }
}

TEST_P(SourceListPageTest, RefusesPathsASetCannotStoreNamingThem)
{
    for (const QString path : {"relative/file.txt", "/a/../etc", "/a/..", "/tab\there", "/line\nbreak", ""}) {
        prompt.shown.clear();
        EXPECT_FALSE(page->StickIconOntoListView(path));
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_TRUE(prompt.shown[0].text.startsWith("\"" + path + "\" cannot be backed up"))
            << prompt.shown[0].text.toStdString();
    }
    EXPECT_EQ(page->tvBackupList->topLevelItemCount(), 0);
    EXPECT_TRUE(page->StickIconOntoListView("/a/..b/c")) << "only a whole \"..\" part is refused";
}

TEST_P(SourceListPageTest, RemoveTakesTheSelectedNodeAndNothingWithoutOne)
{
    EXPECT_FALSE(page->cmdRemove->isEnabled());
    page->StickIconOntoListView("/one");
    page->StickIconOntoListView("/two");
    page->tvBackupList->clearSelection();
    page->cmdRemove->setEnabled(true);
    page->cmdRemove_Click();
    EXPECT_EQ(nodeTexts(), (QStringList {"/one", "/two"}));

    page->tvBackupList->setCurrentItem(page->tvBackupList->topLevelItem(0));
    page->cmdRemove->click();
    EXPECT_EQ(nodeTexts(), QStringList {"/two"});
    EXPECT_TRUE(page->cmdRemove->isEnabled());
    page->tvBackupList->setCurrentItem(page->tvBackupList->topLevelItem(0));
    page->cmdRemove->click();
    EXPECT_EQ(page->tvBackupList->topLevelItemCount(), 0);
    EXPECT_FALSE(page->cmdRemove->isEnabled());
    page->StickIconOntoListView("/three");
    EXPECT_TRUE(page->cmdRemove->isEnabled());
}

TEST_P(SourceListPageTest, YieldsMasksAsTypedAndTheSwitch)
{
    EXPECT_EQ(page->includeMasks(), "*.*");
    EXPECT_EQ(page->excludeMasks(), "");
    EXPECT_TRUE(page->includeSubfolders());
    EXPECT_FALSE(page->chkToFolders->isVisible());
    // Entering a mask box, even by a click, selects its whole text to be typed over.
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(page->txtIncludeMasks, &focus);
    QCoreApplication::processEvents();
    EXPECT_EQ(page->txtIncludeMasks->selectedText(), "*.*");

    page->txtExcludeMasks->setText("*.bak, *.old;*.tmp");
    page->txtIncludeMasks->setText("*.doc");
    page->chkToFolders->setChecked(false);
    // The run takes "," and ";" alike, so the masks are stored as the user wrote them.
    EXPECT_EQ(page->excludeMasks(), "*.bak, *.old;*.tmp");
    const auto* hint = page->findChild<QLabel*>("lblMaskHint");
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->text(), "Separate multiple masks with a comma (i.e. *.bak, *.old)");
    EXPECT_EQ(page->includeMasks(), "*.doc");
    EXPECT_FALSE(page->includeSubfolders());
}

INSTANTIATE_TEST_SUITE_P(BothEditors, SourceListPageTest, ::testing::Values(EditorKind::Wizard, EditorKind::Properties),
                         [](const ::testing::TestParamInfo<EditorKind>& info) {
                             return info.param == EditorKind::Wizard ? "Wizard" : "Properties";
                         });
