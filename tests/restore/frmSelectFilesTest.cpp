#include "restore/frmSelectFiles.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "RestoreWindowsTest.h"
#include "platform/FileWriter.h"
#include "restore/frmRestoring.h"
#include "support/FailingWriter.h"
#include "support/Screenshot.h"

using platform::Form;
using restore::frmSelectFiles;

namespace
{
class frmSelectFilesTest : public test::RestoreWindowsTest
{
protected:
    void SetUp() override
    {
        RestoreWindowsTest::SetUp();
        loadSet("My Set", {Version});
        choice.setName = "My Set";
        choice.version = *core::VersionLine::parse(Version);
    }
    frmSelectFiles* open() { return frmSelectFiles::open(choice); }
    static QList<bool> ticks(const frmSelectFiles* files)
    {
        QList<bool> result;
        for (int i = 0; i < files->List1->topLevelItemCount(); ++i)
            result << (files->List1->topLevelItem(i)->checkState(0) == Qt::Checked);
        return result;
    }
    static void tick(frmSelectFiles* files, int row, bool on)
    {
        files->List1->topLevelItem(row)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }

    static inline const QString Version = "LAN|/mnt/b|/mnt/b/Set.zip|10/12/2026 12:00:00|1|1|0|";
    restore::RestoreRequest choice;
};
} // namespace

TEST_F(frmSelectFilesTest, ListsTheLastRunAllTickedAndInvertsTheTicks)
{
    writeLastRun("My Set", "/home/u/a.txt\r\n\r\n \r\n/home/u/b c.txt\r\n/home/u/a.txt\r\n  \r\n/home/u/ü.txt");
    frmSelectFiles* files = open();
    ASSERT_NE(files, nullptr);
    EXPECT_TRUE(files->isVisible());
    EXPECT_EQ(files->windowTitle(), "Select the files you would like to restore");
    EXPECT_EQ(rowTexts(files->List1),
              QStringList({"/home/u/a.txt", "/home/u/b c.txt", "/home/u/a.txt", "  ", "/home/u/ü.txt"}));
    EXPECT_EQ(ticks(files), QList<bool>({true, true, true, true, true}));

    tick(files, 1, false);
    tick(files, 3, false);
    files->cmdSelInv->click();
    EXPECT_EQ(ticks(files), QList<bool>({false, true, false, true, false}));
    files->cmdSelInv->click();
    EXPECT_EQ(ticks(files), QList<bool>({true, false, true, false, true}));
    files->cmdSelectAll->click();
    EXPECT_EQ(ticks(files), QList<bool>({true, true, true, true, true}));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(frmSelectFilesTest, OkWritesExactlyTheTickedPathsAndHandsOver)
{
    struct Case
    {
        const char* name;
        QList<bool> ticks;
        QByteArray list;
    };
    const Case cases[] = {
        {"a subset, a double included", {true, false, true, true}, "/home/u/a.txt\r\n/home/u/a.txt\r\n/x/ü y\r\n"},
        {"nothing ticked", {false, false, false, false}, ""},
    };
    writeLastRun("My Set", "/home/u/a.txt\r\n/home/u/b.txt\r\n/home/u/a.txt\r\n/x/ü y\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(test::writeFile(programFile("data/My SetRESTORE.lst"), "/an/older/list\r\n/with/more\r\n"));
        core::state().bRestoreConfirmed = false;
        // A run that ended meanwhile leaves its stop request set.
        core::state().bStopBackup = true;
        frmSelectFiles* files = open();
        for (int i = 0; i < c.ticks.size(); ++i)
            tick(files, i, c.ticks[i]);
        files->cmdOK->click();

        EXPECT_EQ(restoreList("My Set"), c.list);
        EXPECT_EQ(Form<frmSelectFiles>::loaded(), nullptr);
        EXPECT_TRUE(core::state().bRestoreConfirmed);
        EXPECT_FALSE(core::state().bStopBackup);
        ASSERT_NE(Form<restore::frmRestoring>::loaded(), nullptr);
        EXPECT_TRUE(Form<restore::frmRestoring>::loaded()->isVisible());
        Form<restore::frmRestoring>::unload();
    }
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(frmSelectFilesTest, CancelLeavesThePreviousRestoreListAlone)
{
    writeLastRun("My Set", "/home/u/a.txt\r\n");
    ASSERT_TRUE(test::writeFile(programFile("data/My SetRESTORE.lst"), "/older\r\n"));
    frmSelectFiles* files = open();
    files->cmdCancel->click();
    EXPECT_EQ(Form<frmSelectFiles>::loaded(), nullptr);
    EXPECT_EQ(restoreList("My Set"), "/older\r\n");
    EXPECT_EQ(Form<restore::frmRestoring>::loaded(), nullptr);
    EXPECT_FALSE(core::state().bRestoreConfirmed);
}

TEST_F(frmSelectFilesTest, RefusesToHandOverWhatCannotBeRestoredAsChosen)
{
    struct Case
    {
        const char* name;
        std::function<void()> arrange;
        QString message;
    };
    std::optional<test::FailingWriter> writer;
    const Case cases[] = {
        {"another set was loaded meanwhile", [] { loadSet("Other", {Version}); },
         "The set \"My Set\" is no longer the set loaded in the main window. Select it in the main window and "
         "start the restore again."},
        {"the set's last load failed", [] { core::state().CurrentSet.LoadFailed = true; },
         "The set \"My Set\" is no longer the set loaded in the main window. Select it in the main window and "
         "start the restore again."},
        {"a backup is running", [] { core::state().RunInProgress = true; },
         "A backup is running. Please start the restore when it has finished."},
        {"the restore list cannot be written", [&writer] { writer.emplace(); },
         "The list of the files to restore could not be written: No space left on device"},
    };
    writeLastRun("My Set", "/home/u/a.txt\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadSet("My Set", {Version});
        ASSERT_TRUE(test::writeFile(programFile("data/My SetRESTORE.lst"), "/older\r\n"));
        prompt.shown.clear();
        frmSelectFiles* files = open();
        c.arrange();
        files->cmdOK->click();
        writer.reset();
        core::state().RunInProgress = false;

        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, c.message);
        EXPECT_EQ(Form<frmSelectFiles>::loaded(), files) << "the choice stays on screen";
        EXPECT_EQ(restoreList("My Set"), "/older\r\n");
        EXPECT_EQ(Form<restore::frmRestoring>::loaded(), nullptr);
        EXPECT_FALSE(core::state().bRestoreConfirmed);
    }
}

TEST_F(frmSelectFilesTest, SaysSoWhenTheSetHasNoListOfItsLastRun)
{
    frmSelectFiles* files = open();
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->List1->topLevelItemCount(), 0);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text,
              "The set \"My Set\" has no list of the files of its last run (" + programFile("data/My Set.lst") + ").");
}

TEST_F(frmSelectFilesTest, OpensWithEveryPathWholeAndTheListInView)
{
    QString files;
    for (int i = 1; i <= 30; ++i)
        files += QString("/home/anna/Documents/Letters to the family/%1 December 2026 - a letter.odt\r\n").arg(i);
    writeLastRun("My Set", files.toUtf8());
    frmSelectFiles* window = open();
    ASSERT_NE(window, nullptr);
    QCoreApplication::processEvents();
    const QTreeWidget* list = window->List1;
    EXPECT_GE(list->columnWidth(0), static_cast<const QAbstractItemView*>(list)->sizeHintForColumn(0));
    EXPECT_LE(list->columnWidth(0), list->viewport()->width()) << "no scrolling sideways";
    // A good part of the list at once, not a handful of rows.
    EXPECT_GE(list->viewport()->height(), 15 * list->sizeHintForRow(0));
    EXPECT_FALSE(test::saveScreenshot(window, "file-selection").isEmpty());
}
