#include <QAction>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "localisation/WindowCaptions.h"
#include "main_window/MainWindowTest.h"

using main_window::frmMain;

namespace
{
class FrmMainControlsTest : public test::MainWindowTest
{
protected:
    QAction* menuItem(frmMain* main, const QString& name, int index = -1)
    {
        for (QAction* action : main->findChildren<QAction*>(name)) {
            if (index < 0 || localisation::controlIndex(action) == index)
                return action;
        }
        return nullptr;
    }
    QMenu* menu(frmMain* main, const QString& name) { return main->findChild<QMenu*>(name); }
};
} // namespace

TEST_F(FrmMainControlsTest, SetListHasItsColumnsWithTheTypeColumnHidden)
{
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    const QStringList headers = {"Item name",     "Item type", "Last run time", "Next run time",
                                 "Next location", "Status",    "Creation time", "Duration"};
    ASSERT_EQ(main->lstBackupSet->columnCount(), headers.size());
    for (int column = 0; column < headers.size(); ++column)
        EXPECT_EQ(main->lstBackupSet->headerItem()->text(column), headers.at(column));
    EXPECT_EQ(main->lstBackupSet->columnWidth(1), 0);
    for (int column : {0, 2, 7})
        EXPECT_EQ(main->lstBackupSet->columnWidth(column), 167) << column;
    EXPECT_EQ(main->lstBackupFiles->columnCount(), 1);
    EXPECT_EQ(main->lstBackupFiles->headerItem()->text(0), "File name");
}

TEST_F(FrmMainControlsTest, ControlsCarryTheirDesignNamesAndStates)
{
    frmMain* main = loadMain();
    const char* names[] = {"frmMain",
                           "lstBackupSet",
                           "lstBackupFiles",
                           "imgCombo",
                           "lblBackupSet",
                           "tlbUplevel",
                           "lstSchedule",
                           "StatusBar1",
                           "tlbTools",
                           "pctTray",
                           "picIconUnknown",
                           "PicIconFolder",
                           "picInvisiblePictureBox",
                           "Picture1",
                           "cmdNewItem",
                           "cmdBackup",
                           "cmdRestore",
                           "cmdDelete",
                           "cmdSettings",
                           "cmdRefresh",
                           "cmdWebsite",
                           "Command1"};
    for (const char* name : names) {
        const QObject* found = QString(name) == "frmMain" ? main : main->findChild<QObject*>(name);
        EXPECT_NE(found, nullptr) << name;
    }
    EXPECT_EQ(main->lblBackupSet->text(), "Files and folders in the currently selected backup set:");
    for (QWidget* hidden :
         std::initializer_list<QWidget*> {main->lstSchedule, main->pctTray, main->cmdRefresh, main->Command1})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_TRUE(main->cmdNewItem->isEnabled());
    for (QPushButton* button : {main->cmdBackup, main->cmdRestore, main->cmdDelete, main->cmdSettings})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_EQ(main->cmdWebsite->text(), "Visit " + localisation::BrandWebsite());
}

TEST_F(FrmMainControlsTest, TimersHaveTheirIntervalsAndStartStates)
{
    frmMain* main = loadMain();
    const struct
    {
        const char* name;
        int interval;
        bool active;
    } timers[] = {
        {"tmrScheduler", 500, true},  {"tmrProcessSchedule", 500, false}, {"timSchedule", 250, false},
        {"tmrTrayIcon", 15000, true}, {"mailTimer", 1000, false},
    };
    for (const auto& t : timers) {
        const QTimer* timer = main->findChild<QTimer*>(t.name);
        ASSERT_NE(timer, nullptr) << t.name;
        // The tray timer's first tick ran in the load and found the tray: 5 s became 15 s.
        EXPECT_EQ(timer->interval(), t.interval) << t.name;
        EXPECT_EQ(timer->isActive(), t.active) << t.name;
    }
}

TEST_F(FrmMainControlsTest, ToolbarButtonsHaveTheirIndicesKeysAndCaptions)
{
    frmMain* main = loadMain();
    const struct
    {
        int index;
        const char* caption;
        const char* key;
        const char* toolTip;
    } buttons[] = {
        {1, "New item...", "new", "New item..."},
        {3, "Go !", "go", "Execute item"},
        {4, "Restore", "restore", nullptr},
        {5, "Delete", "delete", "Delete item"},
        {7, "Settings...", "settings", "Settings..."},
        {8, "Refresh", "refresh", "Refresh (F5)"},
        // The product by its brand; the service and the start entry as this system has them.
        {10, "About...", "about", "About Quillback..."},
        {11, "Run as service", "service", "Run Quillback as a service"},
        {12, "Run on start", "start", "Run when you log in"},
        {14, "Exit", nullptr, nullptr},
    };
    ASSERT_EQ(main->tlbTools->actions().size(), 15);
    for (int separator : {2, 6, 9, 13})
        EXPECT_TRUE(main->toolbarButton(separator)->isSeparator()) << separator;
    for (const auto& b : buttons) {
        QAction* button = main->toolbarButton(b.index);
        ASSERT_NE(button, nullptr) << b.index;
        EXPECT_EQ(button->text(), b.caption) << b.index;
        if (b.key)
            EXPECT_EQ(main->toolbarButton(QString(b.key)), button) << b.key;
        if (b.toolTip)
            EXPECT_EQ(button->toolTip(), b.toolTip) << b.index;
    }
    EXPECT_EQ(main->toolbarButton(14)->toolTip(), "Exit " + localisation::BrandProgramName());
    EXPECT_EQ(main->toolbarButton(15)->text(), localisation::BrandWebsite());
    for (const char* key : {"go", "restore", "delete", "settings"})
        EXPECT_FALSE(main->toolbarButton(QString(key))->isEnabled()) << key;

    // No text a person reads names a stand-in product or the other platform.
    for (const QAction* action : main->findChildren<QAction*>()) {
        for (const QString& text : {action->text(), action->toolTip()}) {
            for (const char* foreign : {"MOVIK", "Windows"})
                EXPECT_FALSE(text.contains(foreign, Qt::CaseInsensitive)) << text.toStdString();
        }
    }
}

TEST_F(FrmMainControlsTest, ToolbarButtonsShareOneIconSizeAndShowTheirCaptionsWhole)
{
    frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    const QSize iconSize = main->tlbTools->iconSize();
    int height = -1;
    for (QAction* action : main->tlbTools->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        const auto* button = qobject_cast<QToolButton*>(main->tlbTools->widgetForAction(action));
        ASSERT_NE(button, nullptr) << action->text().toStdString();
        EXPECT_EQ(action->icon().actualSize(iconSize), iconSize) << action->text().toStdString();
        // One height for all: the captions stand on one line.
        if (height < 0)
            height = button->sizeHint().height();
        EXPECT_EQ(button->sizeHint().height(), height) << action->text().toStdString();
        // "New item...", "Settings..." and "About..." keep their dots on the button.
        EXPECT_EQ(button->text(), action->text());
    }
}

TEST_F(FrmMainControlsTest, MenusHaveTheirDesignStates)
{
    frmMain* main = loadMain();
    const QList<QAction*> bar = main->menuBar()->actions();
    const struct
    {
        const char* name;
        bool shown;
    } menus[] = {{"mnuFile", true},  {"mnuProject", false},  {"mnuView", false}, {"mnuActions", false},
                 {"mnuTools", true}, {"mnuLanguages", true}, {"mnuHelp", true},  {"mnuAbout", true}};
    for (const auto& m : menus) {
        QMenu* found = menu(main, m.name);
        ASSERT_NE(found, nullptr) << m.name;
        EXPECT_TRUE(bar.contains(found->menuAction())) << m.name;
        EXPECT_EQ(found->menuAction()->isVisible(), m.shown) << m.name;
    }
    // The tray menu only pops up from the tray icon.
    EXPECT_FALSE(bar.contains(main->mnuTray->menuAction()));

    // A hidden item counts as disabled.
    const struct
    {
        const char* name;
        const char* text;
        bool enabled;
        bool visible;
    } items[] = {
        {"mnuFileNewItem", "&New Item...", true, true}, {"mnuFileExecute", "&Backup", false, true},
        {"mnuBackupAll", "Backup &All", false, true},   {"mnuFileRestore", "&Restore", false, true},
        {"mnuFileStop", "&Stop", false, false},         {"mnuFileDelete", "&Delete", false, true},
        {"mnuFileSettings", "&Settings", false, true},  {"mnu_Pref", "General Preferences", true, true},
        {"mnuFileExit", "E&xit", true, true},           {"mnuProjectSettings", "&Settings...", false, true},
        {"mnuViewRefresh", "&Refresh", false, false},   {"mnuTrayOpen", "&Open", true, true},
        {"mnuTrayHide", "&Hide window", true, true},    {"mnuTrayClose", "&Exit", true, true},
    };
    for (const auto& i : items) {
        QAction* item = menuItem(main, i.name);
        ASSERT_NE(item, nullptr) << i.name;
        EXPECT_EQ(item->text(), i.text) << i.name;
        EXPECT_EQ(item->isEnabled(), i.enabled) << i.name;
        EXPECT_EQ(item->isVisible(), i.visible) << i.name;
    }
    EXPECT_TRUE(main->mnuViewToolbar->isChecked());
    EXPECT_TRUE(main->mnuViewStatusBar->isChecked());

    const struct
    {
        const char* name;
        int index;
        const char* text;
    } arrays[] = {{"mnuToolsItem", 0, "File Extractor"}, {"mnuToolsItem", 1, "File Decryptor"},
                  {"mnuToolsItem", 2, "View Log"},       {"mnuLanguagesItem", 0, "Change Language"},
                  {"mnuHelpItem", 0, "View Help"},       {"mnuAboutItem", 0, "About this software"},
                  {"mnuRunItem", 0, "On login"},         {"mnuRunItem", 1, "As Service"}};
    for (const auto& a : arrays) {
        QAction* item = menuItem(main, a.name, a.index);
        ASSERT_NE(item, nullptr) << a.name << a.index;
        EXPECT_EQ(item->text(), a.text) << a.name << a.index;
    }
}

TEST_F(FrmMainControlsTest, SyncButtonsCopiesTheToolbarToTheFileMenu)
{
    frmMain* main = loadMain();
    main->toolbarButton("go")->setEnabled(true);
    main->toolbarButton("delete")->setEnabled(true);
    main->SyncButtons();
    EXPECT_TRUE(main->mnuFileExecute->isEnabled());
    EXPECT_TRUE(main->mnuBackupAll->isEnabled());
    EXPECT_FALSE(main->mnuFileRestore->isEnabled());
    EXPECT_TRUE(main->mnuFileDelete->isEnabled());
    EXPECT_FALSE(main->mnuProjectSettings->isEnabled());
    EXPECT_FALSE(main->findChild<QAction*>("mnuFileSettings")->isEnabled());
}

TEST_F(FrmMainControlsTest, WindowTranslatesMenusAndHeadersFromTheLanguageFile)
{
    ASSERT_TRUE(test::writeFile(programFile("Localization.xml"),
                                "<LANGUAGE_GROUP>\r\n"
                                "<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n"
                                "<TRANSLATION_ITEMS>\r\n"
                                "  <FRMMAIN_MNUFILE0>&Datei</FRMMAIN_MNUFILE0>\r\n"
                                "  <FRMMAIN_MNUTOOLSITEM2>Protokoll</FRMMAIN_MNUTOOLSITEM2>\r\n"
                                "  <FRMMAIN_LSTBACKUPSET_COL1>Name</FRMMAIN_LSTBACKUPSET_COL1>\r\n"
                                "  <FRMMAIN_CMDBACKUP>Sichern</FRMMAIN_CMDBACKUP>\r\n"
                                "</TRANSLATION_ITEMS>\r\n"
                                "</LANGUAGE_GROUP>\r\n"));
    core::SaveUserPreference("Language", "Deutsch");
    frmMain* main = loadMain();
    EXPECT_EQ(menu(main, "mnuFile")->title(), "&Datei");
    EXPECT_EQ(menuItem(main, "mnuToolsItem", 2)->text(), "Protokoll");
    EXPECT_EQ(menuItem(main, "mnuToolsItem", 1)->text(), "File Decryptor");
    EXPECT_EQ(main->lstBackupSet->headerItem()->text(0), "Name");
    EXPECT_EQ(main->cmdBackup->text(), "Sichern");
}
