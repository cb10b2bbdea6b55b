#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/SetText.h"
#include "editors/frmSettings.h"
#include "main_window/BackupSetList.h"
#include "main_window/MainWindowTest.h"
#include "support/SetDocumentFixtures.h"

using core::state;
using main_window::frmMain;
using test::SetDocumentFixture;

namespace
{
const QString Nbsp = QString(QChar(0x00A0));

// A daily schedule at 13:00 that started long ago: seen at noon on 10 December 2026, it runs today.
SetDocumentFixture scheduled(const QString& name)
{
    return SetDocumentFixture()
        .set("GENERAL", "ItemName", name)
        .set("GENERAL", "Scheduler", "-1")
        .set("SCHEDULER", "StartTime", "13:00:00")
        .set("SCHEDULER", "Repeat", "-1");
}

// The set commands as the toolbar, the command buttons and the File menu show them.
struct Commands
{
    bool go = false;
    bool restore = false;
    bool remove = false;
    bool settings = false;
};

class FrmMainSetListTest : public test::MainWindowTest
{
protected:
    void store(const QString& name, const QByteArray& bytes) const
    {
        ASSERT_TRUE(test::writeFile(programFile("data/" + name + ".sbd"), bytes));
    }
    void store(const QString& name, const SetDocumentFixture& document) const { store(name, document.text().toUtf8()); }

    frmMain* start()
    {
        frmMain* main = loadMain();
        if (main)
            main->resize(900, 620);
        QCoreApplication::processEvents();
        return main;
    }

    static void send(QWidget* target, QEvent::Type type, const QPoint& at, Qt::MouseButton button)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }
    static QPoint centreOf(frmMain* main, int row)
    {
        return main->lstBackupSet->visualItemRect(main->lstBackupSet->topLevelItem(row)).center();
    }
    static void click(frmMain* main, const QPoint& at, Qt::MouseButton button = Qt::LeftButton)
    {
        QWidget* viewport = main->lstBackupSet->viewport();
        send(viewport, QEvent::MouseButtonPress, at, button);
        send(viewport, QEvent::MouseButtonRelease, at, button);
    }
    static void clickRow(frmMain* main, int row) { click(main, centreOf(main, row)); }
    static void doubleClickRow(frmMain* main, int row, Qt::MouseButton button)
    {
        QWidget* viewport = main->lstBackupSet->viewport();
        const QPoint at = centreOf(main, row);
        click(main, at, button);
        send(viewport, QEvent::MouseButtonDblClick, at, button);
        send(viewport, QEvent::MouseButtonRelease, at, button);
    }

    static Commands commands(frmMain* main)
    {
        const auto shown = [main](const char* key, QPushButton* button, QAction* menu) {
            const bool enabled = main->toolbarButton(QString(key))->isEnabled();
            EXPECT_EQ(button->isEnabled(), enabled) << key;
            EXPECT_EQ(menu->isEnabled(), enabled) << key;
            return enabled;
        };
        Commands c;
        c.go = shown("go", main->cmdBackup, main->mnuFileExecute);
        EXPECT_EQ(main->mnuBackupAll->isEnabled(), c.go);
        c.restore = shown("restore", main->cmdRestore, main->mnuFileRestore);
        c.remove = shown("delete", main->cmdDelete, main->mnuFileDelete);
        c.settings = shown("settings", main->cmdSettings, main->mnuProjectSettings);
        EXPECT_EQ(main->mnuFileSettings->isEnabled(), c.settings);
        return c;
    }

    static QStringList rowTexts(const QTreeWidget* list, int column = 0)
    {
        QStringList texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts << list->topLevelItem(i)->text(column);
        return texts;
    }
    static QStringList cells(const QTreeWidgetItem* row)
    {
        QStringList texts;
        for (int column = 0; column <= main_window::SetColumnCount; ++column)
            texts << row->text(column);
        return texts;
    }
    static bool red(const QTreeWidgetItem* row, int column)
    {
        return row->foreground(column).color() == QColor(Qt::red);
    }
    QString cache(const QString& name) const
    {
        return QString::fromUtf8(test::readFile(programFile("data/" + name + ".sfl")));
    }
};

TEST_F(FrmMainSetListTest, ListShowsEveryCellAndADamagedDocumentInRedWithTheRowsAfterIt)
{
    store("Alpha",
          scheduled("Alpha")
              .set("STATS", "LastRunTime", "05/12/2026 10:00:00")
              .set("STATS", "Status", "Success")
              .set("STATS", "Duration", "00:01:02")
              .set("GENERAL", "DestCount", "1")
              .dest(1, {"Type=1", "LocalFolder=/mnt/b"}));
    // A running schedule, but no statistics.
    store("Broken", scheduled("Broken").drop("STATS"));
    store("Charlie",
          SetDocumentFixture()
              .set("STATS", "ItemType", "1")
              .set("GENERAL", "RotationType", "2")
              .set("GENERAL", "DestCount", "2")
              .dest(1, {"Type=2", "FTPHost=h", "FTPPassive=False"})
              .dest(2, {"Type=3", "EmailID=a@b", "Body=b"}));
    store("Empty", QByteArray());
    frmMain* main = start();
    ASSERT_NE(main, nullptr);

    const struct
    {
        QStringList cells;
        bool invalid;
    } expected[] = {
        {{"Alpha", "Backup", "05/12/2026 10:00:00", "10/12/2026 13:00:00", "Local/LAN", "Success",
          "01/11/2026 08:00:00", "00:01:02"},
         false},
        {{"Broken", "Unknown", "", "10/12/2026 13:00:00", "Invalid file", "", "", ""}, true},
        {{"Charlie", "Restore", "", "", "All (FTP, Email)", "Never ran", "01/11/2026 08:00:00", ""}, false},
        {{"Empty", "Unknown", "", "", "Invalid file", "", "", ""}, true},
    };
    ASSERT_EQ(main->lstBackupSet->topLevelItemCount(), std::size(expected));
    for (int i = 0; i < static_cast<int>(std::size(expected)); ++i) {
        const QTreeWidgetItem* row = main->lstBackupSet->topLevelItem(i);
        EXPECT_EQ(cells(row), expected[i].cells);
        for (int column = 0; column <= main_window::SetColumnCount; ++column) {
            EXPECT_EQ(red(row, column), expected[i].invalid) << i << " column " << column;
            // A damaged row says why wherever the pointer rests on it.
            EXPECT_EQ(row->toolTip(column).isEmpty(), !expected[i].invalid) << i << " column " << column;
        }
    }
    EXPECT_EQ(main->lstBackupSet->topLevelItem(1)->toolTip(0),
              "The set \"Broken\" cannot be used: The set document has no STATS section, or it is empty.");
    EXPECT_EQ(main->lstBackupSet->topLevelItem(3)->toolTip(0),
              "The set \"Empty\" cannot be used: The document is empty.");
    // The selected set is sound: the status bar has nothing to say.
    EXPECT_EQ(main->statusPanel(1)->text(), "");
    // The first set is loaded.
    EXPECT_EQ(state().CurrentSet.ItemName, "Alpha");
    EXPECT_EQ(main->CurrentSetName, "Alpha");
    EXPECT_EQ(main->SelectedIndex, 0);
    EXPECT_EQ(main->lstBackupSet->selectedItems(), QList {main->lstBackupSet->topLevelItem(0)});
}

TEST_F(FrmMainSetListTest, ChoosingARowLoadsItsSetIntoCurrentSetAndTheFileView)
{
    QTemporaryDir files;
    const QString folder = files.path() + "/Reports";
    const QString file = files.path() + "/plan.txt";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(test::writeFile(file, "plan"));
    const QString goneFolder = "/gone/Projects";
    const QString goneFile = "/gone/notes.tmp";
    store("Alpha", SetDocumentFixture().set("GENERAL", "ItemName", "Alpha"));
    const SetDocumentFixture beta
        = scheduled("Beta")
              .set("STATS", "Ran", "-1")
              .set("GENERAL", "Exclude", "*.tmp")
              .set("GENERAL", "DestCount", "1")
              .dest(1, {"Type=1", "LocalFolder=/mnt/b"})
              .files({folder, file + "\t4\t1", goneFolder, goneFile, file})
              .versions({"LAN|/mnt/b/v2|x|02/12/2026 10:00:00|1|1|0|", "LAN|/mnt/b/v1|x|01/12/2026 10:00:00|1|1|0|"});
    store("Beta", beta);

    const struct
    {
        const char* how;
        std::function<void(frmMain*)> choose;
    } ways[] = {
        {"a click on the row", [](frmMain* main) { clickRow(main, 1); }},
        {"the arrow key",
         [](frmMain* main) {
             QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
             QCoreApplication::sendEvent(main->lstBackupSet, &down);
         }},
    };
    for (const auto& way : ways) {
        frmMain* main = start();
        ASSERT_EQ(state().CurrentSet.ItemName, "Alpha") << way.how;
        way.choose(main);

        const core::BackupSetInfo& loaded = state().CurrentSet;
        EXPECT_EQ(loaded.ItemName, "Beta") << way.how;
        EXPECT_TRUE(loaded.Ran) << way.how;
        EXPECT_EQ(loaded.Exclude, "*.tmp") << way.how;
        EXPECT_TRUE(loaded.Schedule.Scheduler) << way.how;
        EXPECT_EQ(loaded.Schedule.StartTime, "13:00:00") << way.how;
        EXPECT_EQ(loaded.DestCount, 1) << way.how;
        EXPECT_EQ(loaded.Dest.at(1).LocalFolder, "/mnt/b") << way.how;
        EXPECT_FALSE(loaded.LoadFailed) << way.how;
        EXPECT_EQ(state().strSetText, beta.text()) << way.how;
        EXPECT_EQ(main->globalexcludes(), QStringList {"*.tmp"}) << way.how;
        EXPECT_EQ(main->globalVersions().size(), 2) << way.how;
        EXPECT_EQ(main->CurrentSetName, "Beta") << way.how;
        EXPECT_EQ(main->SelectedIndex, 1) << way.how;
        EXPECT_EQ(main->lstBackupSet->selectedItems(), QList {main->lstBackupSet->topLevelItem(1)}) << way.how;
        EXPECT_EQ(main->lstBackupSet->topLevelItem(1)->text(main_window::NextRunTimeColumn), "10/12/2026 13:00:00");

        const QStringList texts = {folder + " " + Nbsp, file + Nbsp, goneFolder + Nbsp, goneFile + Nbsp, file + Nbsp};
        EXPECT_EQ(rowTexts(main->lstBackupFiles), texts) << way.how;
        const auto picture = [main](int row) { return main->lstBackupFiles->topLevelItem(row)->icon(0).cacheKey(); };
        EXPECT_EQ(picture(2), main->folderPicture.cacheKey()) << way.how;
        EXPECT_EQ(picture(3), main->unknownPicture.cacheKey()) << way.how;
        EXPECT_EQ(picture(1), picture(4)) << way.how;
        EXPECT_FALSE(main->lstBackupFiles->topLevelItem(0)->icon(0).isNull()) << way.how;
        // The excluded entry is grey; the others are drawn as usual.
        const QColor grey = main->palette().color(QPalette::Disabled, QPalette::Text);
        for (int row = 0; row < texts.size(); ++row)
            EXPECT_EQ(main->lstBackupFiles->topLevelItem(row)->foreground(0).color() == grey, row == 3)
                << way.how << row;
        EXPECT_TRUE(main->lstBackupFiles->isVisibleTo(main)) << way.how;
        EXPECT_EQ(main->imgCombo->count(), 1) << way.how;
        EXPECT_EQ(main->imgCombo->currentText(), "(All files)") << way.how;

        QString expectedCache;
        for (const QString& text : texts)
            expectedCache += text + "|||||\r\n";
        EXPECT_EQ(cache("Beta"), expectedCache + "\r\n") << way.how;

        const Commands shown = commands(main);
        EXPECT_TRUE(shown.go && shown.restore && shown.remove && shown.settings) << way.how;
        platform::unloadAllWindows();
        core::resetState();
    }
}

TEST_F(FrmMainSetListTest, ABrokenSetTakesTheFailedLoadPathAndOnlyDeleteStays)
{
    const struct
    {
        const char* what;
        QByteArray document;
        const char* reason;
    } cases[] = {
        {"empty", QByteArray(), "The document of the set \"Beta\" is empty."},
        {"damaged", SetDocumentFixture().drop("SCHEDULER").text().toUtf8(),
         "The document of the set \"Beta\" is damaged: The set document has no SCHEDULER section, or it is empty."},
        {"missing", "<missing>", "The document of the set \"Beta\" does not exist."},
    };
    for (const auto& c : cases) {
        const SetDocumentFixture alpha
            = SetDocumentFixture().set("GENERAL", "ItemName", "Alpha").set("STATS", "Ran", "-1").files({"/data/a.txt"});
        store("Alpha", alpha);
        store("Beta",
              SetDocumentFixture()
                  .set("GENERAL", "ItemName", "Beta")
                  .set("STATS", "LastRunTime", "05/12/2026 10:00:00")
                  .set("STATS", "Duration", "00:00:09"));
        frmMain* main = start();
        ASSERT_EQ(state().CurrentSet.ItemName, "Alpha") << c.what;
        if (c.document == "<missing>") {
            ASSERT_TRUE(QFile::remove(programFile("data/Beta.sbd")));
        } else {
            store("Beta", c.document);
        }
        const qsizetype prompts = prompt.shown.size();

        clickRow(main, 1);

        EXPECT_EQ(prompt.shown.size(), prompts) << c.what;
        EXPECT_EQ(state().CurrentSet.ItemName, "Alpha") << c.what;
        EXPECT_TRUE(state().CurrentSet.LoadFailed) << c.what;
        EXPECT_EQ(state().strSetText, alpha.text()) << c.what;
        EXPECT_EQ(main->globalfiles(), QStringList {"/data/a.txt"}) << c.what;
        const QTreeWidgetItem* row = main->lstBackupSet->topLevelItem(1);
        EXPECT_EQ(cells(row), QStringList({"Beta", "Invalid file", "", "", "", "", "01/11/2026 08:00:00", "00:00:09"}))
            << c.what;
        EXPECT_TRUE(red(row, 0) && red(row, 1)) << c.what;
        // Why, where a person looks: the selected row's tool tip and the status bar.
        EXPECT_EQ(row->toolTip(0), c.reason) << c.what;
        EXPECT_EQ(row->toolTip(main_window::StatusColumn), c.reason) << c.what;
        EXPECT_EQ(main->statusPanel(1)->text(), c.reason) << c.what;
        EXPECT_EQ(main->lstBackupFiles->topLevelItemCount(), 0) << c.what;
        EXPECT_EQ(main->imgCombo->count(), 1) << c.what;
        EXPECT_EQ(main->CurrentSetName, "Beta") << c.what;
        EXPECT_EQ(main->SelectedIndex, 1) << c.what;
        EXPECT_FALSE(QFile::exists(programFile("data/Beta.sfl"))) << c.what;
        Commands shown = commands(main);
        EXPECT_FALSE(shown.go || shown.restore || shown.settings) << c.what;
        EXPECT_TRUE(shown.remove) << c.what;
        // The set's properties cannot be opened from a broken row.
        doubleClickRow(main, 1, Qt::LeftButton);
        EXPECT_EQ(platform::Form<editors::frmSettings>::loaded(), nullptr) << c.what;

        // The reload through the folder combo meets the same document.
        emit main->imgCombo->activated(0);
        EXPECT_TRUE(state().CurrentSet.LoadFailed) << c.what;
        EXPECT_EQ(main->lstBackupFiles->topLevelItemCount(), 0) << c.what;

        clickRow(main, 0);
        EXPECT_FALSE(state().CurrentSet.LoadFailed) << c.what;
        EXPECT_EQ(main->statusPanel(1)->text(), "") << c.what;
        shown = commands(main);
        EXPECT_TRUE(shown.go && shown.restore && shown.remove && shown.settings) << c.what;
        platform::unloadAllWindows();
        core::resetState();
    }
}

TEST_F(FrmMainSetListTest, ReleasingTheMouseOverEmptySpaceClearsTheSelectionAndEveryCommand)
{
    store("Alpha", SetDocumentFixture().set("GENERAL", "ItemName", "Alpha"));
    frmMain* main = start();
    ASSERT_TRUE(commands(main).go);
    click(main, QPoint(20, main->lstBackupSet->viewport()->height() - 5));
    EXPECT_TRUE(main->lstBackupSet->selectedItems().isEmpty());
    const Commands shown = commands(main);
    EXPECT_FALSE(shown.go || shown.restore || shown.remove || shown.settings);
    EXPECT_EQ(state().CurrentSet.ItemName, "Alpha");
}

TEST_F(FrmMainSetListTest, DoubleClickOpensTheSetsPropertiesOnlyWithTheLeftButton)
{
    store("Alpha", SetDocumentFixture().set("GENERAL", "ItemName", "Alpha"));
    const struct
    {
        Qt::MouseButton button;
        bool opens;
    } cases[] = {{Qt::LeftButton, true}, {Qt::RightButton, false}};
    for (const auto& c : cases) {
        frmMain* main = start();
        doubleClickRow(main, 0, c.button);
        const editors::frmSettings* settings = platform::Form<editors::frmSettings>::loaded();
        EXPECT_EQ(settings != nullptr && settings->isVisible(), c.opens) << c.button;
        platform::unloadAllWindows();
    }
}

TEST_F(FrmMainSetListTest, HeaderClicksSortTheFileViewDescendingThenAscending)
{
    store("Alpha", SetDocumentFixture().set("GENERAL", "ItemName", "Alpha").files({"/b/x", "/a/x", "/c/x"}));
    frmMain* main = start();
    EXPECT_EQ(rowTexts(main->lstBackupFiles), QStringList({"/b/x" + Nbsp, "/a/x" + Nbsp, "/c/x" + Nbsp}));

    QHeaderView* header = main->lstBackupFiles->header();
    const auto clickHeader = [header] {
        const QPoint at(header->sectionViewportPosition(0) + 10, header->height() / 2);
        send(header->viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton);
        send(header->viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton);
    };
    clickHeader();
    EXPECT_EQ(rowTexts(main->lstBackupFiles), QStringList({"/c/x" + Nbsp, "/b/x" + Nbsp, "/a/x" + Nbsp}));
    clickHeader();
    EXPECT_EQ(rowTexts(main->lstBackupFiles), QStringList({"/a/x" + Nbsp, "/b/x" + Nbsp, "/c/x" + Nbsp}));
    // A reload keeps the order chosen.
    store("Alpha", SetDocumentFixture().set("GENERAL", "ItemName", "Alpha").files({"/c/x", "/b/x"}));
    main->cmdRefresh_Click();
    EXPECT_EQ(rowTexts(main->lstBackupFiles), QStringList({"/b/x" + Nbsp, "/c/x" + Nbsp}));
}

TEST_F(FrmMainSetListTest, TheRowToLoadIsTheOneAskedForAndCellsGoToTheSetLoaded)
{
    for (const char* name : {"a", "b", "c"})
        store(name, scheduled(name));
    frmMain* main = start();
    const struct
    {
        int id;
        const char* loaded;
    } cases[] = {{-1, "a"}, {2, "b"}, {3, "c"}, {0, "a"}, {9, "a"}};
    for (const auto& c : cases) {
        main->LoadBackupSets(c.id);
        EXPECT_EQ(state().CurrentSet.ItemName, c.loaded) << c.id;
        EXPECT_EQ(main->CurrentSetName, c.loaded) << c.id;
        EXPECT_EQ(main->lstBackupSet->selectedItems().value(0)->text(0), c.loaded) << c.id;
    }

    // A set the list does not show yet still loads, but writes neither another row's cell nor its cache.
    store("d", scheduled("d").set("SCHEDULER", "StartTime", "18:00:00").files({"/d/x"}));
    const QString cacheOfA = cache("a");
    main->lstBackupSet->topLevelItem(0)->setText(main_window::NextRunTimeColumn, "untouched");
    EXPECT_TRUE(main->LoadBackup(false, "d"));
    EXPECT_EQ(state().CurrentSet.ItemName, "d");
    EXPECT_EQ(main->lstBackupSet->topLevelItem(0)->text(main_window::NextRunTimeColumn), "untouched");
    EXPECT_EQ(cache("a"), cacheOfA);
    EXPECT_EQ(cache("d"), "/d/x" + Nbsp + "|||||\r\n\r\n");
}

TEST_F(FrmMainSetListTest, ALoadDuringALoadIsRefusedAndTheFirstKeepsTheSelection)
{
    const QStringList versions
        = {"LAN|/mnt/b/v3|x|03/12/2026 10:00:00|1|1|0|", "LAN|/mnt/b/v2|x|02/12/2026 10:00:00|1|1|0|",
           "LAN|/mnt/b/v1|x|01/12/2026 10:00:00|1|1|0|"};
    store("Alpha", SetDocumentFixture().set("GENERAL", "ItemName", "Alpha"));
    store("Beta",
          SetDocumentFixture()
              .set("GENERAL", "ItemName", "Beta")
              .set("GENERAL", "UseTimeStamp", "-1")
              .set("TIMESTAMP", "DeleteBackups", "1")
              .set("TIMESTAMP", "KeepVersions", "1")
              .versions(versions));
    frmMain* main = start();
    int prunings = 0;
    bool clickedBack = false;
    main->setSyncVersions([&](QStringList& arrVersions, int& iKeep, int& iQuantity, QString& prjData) {
        ++prunings;
        // Other handlers run while old versions are deleted: a click on another row, a rebuilt list.
        clickRow(main, 0);
        main->LoadBackupSets(-1);
        clickRow(main, 0);
        clickedBack = state().CurrentSet.ItemName == "Beta";
        while (iQuantity > iKeep)
            prjData = core::DeleteVersion(prjData, arrVersions.at(--iQuantity));
    });

    clickRow(main, 1);

    EXPECT_EQ(prunings, 1);
    EXPECT_TRUE(clickedBack) << "the clicks during the pruning loaded nothing";
    EXPECT_EQ(state().CurrentSet.ItemName, "Beta");
    EXPECT_EQ(main->CurrentSetName, "Beta");
    EXPECT_EQ(main->lstBackupSet->selectedItems().value(0)->text(0), "Beta");
    EXPECT_EQ(core::sectionLines(QString::fromUtf8(test::readFile(programFile("data/Beta.sbd"))), "VERSIONS"),
              QStringList {versions.first()});
}

TEST_F(FrmMainSetListTest, AnEmptyFolderHidesTheFileViewAndLeavesNoCommand)
{
    store("Alpha", SetDocumentFixture().set("GENERAL", "ItemName", "Alpha"));
    frmMain* main = start();
    ASSERT_TRUE(commands(main).go);
    QFile::remove(programFile("data/Alpha.sbd"));
    main->LoadBackupSets(-1);
    EXPECT_EQ(main->lstBackupSet->topLevelItemCount(), 0);
    EXPECT_FALSE(main->lstBackupFiles->isVisibleTo(main));
    EXPECT_FALSE(main->lblBackupSet->isVisibleTo(main));
    const Commands shown = commands(main);
    EXPECT_FALSE(shown.go || shown.restore || shown.remove || shown.settings);
}

TEST_F(FrmMainSetListTest, ALoadFromTheCacheShowsTheCachedRowsAsTheyStand)
{
    store("Alpha", SetDocumentFixture().set("GENERAL", "ItemName", "Alpha").files({"/now/listed"}));
    frmMain* main = start();
    ASSERT_TRUE(
        test::writeFile(programFile("data/Alpha.sfl"),
                        ("/cached/folder " + Nbsp + "|||||\r\n/cached/a.txt" + Nbsp + "|||||\r\n\r\n").toUtf8()));
    EXPECT_TRUE(main->LoadBackup(true, "Alpha"));
    EXPECT_EQ(rowTexts(main->lstBackupFiles), QStringList({"/cached/folder " + Nbsp, "/cached/a.txt" + Nbsp}));
    EXPECT_EQ(main->lstBackupFiles->topLevelItem(1)->icon(0).cacheKey(), main->unknownPicture.cacheKey());
}

} // namespace
