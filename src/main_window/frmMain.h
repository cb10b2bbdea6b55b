#pragma once

#include <functional>

#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QStringList>
#include <QVariantList>

#include "core/MainWindowServices.h"
#include "main_window/BackupSetList.h"
#include "main_window/CloseDecision.h"
#include "main_window/RunQueue.h"
#include "main_window/SetLoader.h"

class QAction;
class QComboBox;
class QFileInfo;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace main_window
{

// The main window: the list of backup sets, the file view of the loaded set, the toolbar, the menus,
// the timers and the tray icon. Other windows and the set store use its members by name; it is the
// program's one long-lived window, loaded once by the splash window and unloaded only at exit.
class frmMain : public QMainWindow, public core::MainWindowServices, private RunQueue::Host
{
    Q_OBJECT

public:
    frmMain();
    ~frmMain() override;

    // How the program ends at exit; tests count the ends instead of leaving the event loop.
    static void setProgramEnd(std::function<void()> end);
    static void endProgram();

    // Start-up: language, logging, folders, service decision, set list, tray icon, column widths,
    // skin, help on the first start and the hidden start.
    void Form_Load();

    // Shut-down. The close request decides between hiding to the tray and unloading; the unload saves
    // the column widths, unloads the other windows, removes the tray icon, logs the end and ends the
    // program. unloadWindow() runs both, as closing the window does.
    bool Form_QueryUnload(UnloadMode mode);
    void Form_Unload();
    void unloadWindow(UnloadMode mode);
    bool isUnloaded() const { return m_unloaded; }
    const CloseFlags& closeFlags() const { return m_close; }

    // Runs on every change of size or state: the hidden start, and the last state other than minimised.
    void Form_Resize();

    // The tray icon: kept present by its timer; its notifications and its menu.
    void tmrTrayIcon_Timer();
    void pctTray_MouseDown(int mouseMessage);
    void mnuTrayOpen_Click();
    void mnuTrayHide_Click();
    void mnuTrayClose_Click();

    // The service host's events.
    void Win2kService_Start(bool& Success);
    void Win2kService_Stop();

    // Lists the set documents, selects row `Id` (from 1; -1 or a row that does not exist: the first)
    // and loads it. A damaged document shows as a red row whose tool tip says why; when it is the
    // selected row, the status bar says so too.
    void LoadBackupSets(int Id);
    // Lists the set documents again and loads `setName`, selected wherever the rebuilt list puts it;
    // the first set when it is gone.
    void listSetsSelecting(const QString& setName) override;
    // Makes a set the loaded set: `strBackupname`, or the selected row's set when it is empty. Shows
    // its files, writes its "Next run time" cell and its file-list cache and enables the set commands.
    // False when the document is missing, empty or damaged (the set's row turns red and only Delete
    // stays possible), when another load is under way or a run works on another set (nothing
    // changes) or when no set is selected.
    // `bFromFile` takes the file view from the set's cache when there is one.
    bool LoadBackup(bool bFromFile, const QString& strBackupname) override;
    // Adds one row to the file view: `strFile` is a path, optionally followed by a TAB and more (a
    // FILES line); it is cut at the TAB and, unless the text comes from the cache, gets the folder or
    // file marker appended. Excluded (`grayed`) entries are shown grey. `Refresh` changes nothing.
    void StickIconOntoListView(QString& strFile, bool grayed, bool Refresh, bool bFromFile);
    // Copies the toolbar buttons' enabled state to the File menu.
    void SyncButtons();

    // The set list and the file view's events.
    void lstBackupSet_ItemClick(QTreeWidgetItem* Item);
    void lstBackupSet_MouseDown(Qt::MouseButton Button);
    void lstBackupSet_MouseUp(const QPoint& position);
    void lstBackupSet_DblClick();
    void lstBackupFiles_ColumnClick(int column);
    void imgCombo_Click();

    // Hooks the version pruning into the set loader; until one is hooked, a due keeping rule prunes
    // nothing.
    void setSyncVersions(SetLoader::SyncVersionsFunction syncVersions);
    // The row of lstBackupSet that shows `setName`; nullptr when none does.
    QTreeWidgetItem* setRow(const QString& setName) const;

    // The command buttons.
    void cmdNewItem_Click();
    void cmdBackup_Click();
    void cmdRestore_Click();
    void cmdDelete_Click();
    void cmdSettings_Click();
    void cmdRefresh_Click();
    void cmdWebsite_Click();
    void Command1_Click();

    // The schedule clock, the run queue's pump and its starter tick the run queue, which the window
    // shows: lstSchedule lists the waiting sets, and a queued set's row reads "Running...". Once a
    // queued run has ended and its window is gone or hidden, the list is rebuilt with that set selected.
    void tmrScheduler_Timer();
    void tmrProcessSchedule_Timer();
    void timSchedule_Timer();
    void queueRun(const QString& setName);
    bool isQueued(const QString& setName) const;
    bool runWindowOpen() const override;
    bool setIsBusy(const QString& setName) const;

    // The menus and the toolbar. File > Backup runs the loaded set at once, unless a run window is
    // open already; Backup All queues every set after asking; Delete asks, and never takes a set that
    // is queued or running.
    void mnuFileNewItem_Click();
    void mnuFileExecute_Click();
    void mnuBackupAll_Click();
    void mnuFileRestore_Click();
    void mnuFileDelete_Click();
    void mnuFileSettings_Click();
    void mnu_Pref_Click();
    void mnuFileExit_Click();
    void mnuProjectSettings_Click();
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    // Rebuilds the list with the selected set still selected; F5 and the toolbar's Refresh.
    void mnuViewRefresh_Click();
    void mnuRunItem_Click(int Index);
    void mnuToolsItem_Click(int Index);
    void mnuLanguagesItem_Click(int Index);
    void mnuHelpItem_Click(int Index);
    void mnuAboutItem_Click(int Index);
    void mnuHelpAbout_Click();
    void tlbTools_ButtonClick(int index);

    // A button of tlbTools by its index (from 1, separators counted) or by its key; nullptr when none.
    QAction* toolbarButton(int index) const;
    QAction* toolbarButton(const QString& key) const;
    // Panel n (from 1) of StatusBar1.
    QLabel* statusPanel(int n) const;

    // What other subsystems need of the window.
    bool setSetRowCell(const QString& setName, int subItem, const QString& text) override;
    void showFileList(const QStringList& lines, const QList<bool>& excluded) override;
    QStringList& globalVersions() override { return m_loader.globalVersions(); }
    QWidget* mainWindow() override { return this; }
    void setStatusText(const QString& text) override;
    void showPreferences(bool modal) override;
    void enableMailTest() override;
    void queueDueSets() override;
    bool programUnseen() const override;
    void showSetRowFailed(const QString& setName) override;
    void setNewItem(bool value) override { newItem = value; }
    void setModified(bool value) override { Modified = value; }
    QString runningSet() const override;

    // A new set was written by the wizard; the properties window saved the set.
    bool newItem = false;
    bool Modified = false;
    // The loaded set's FILES lines and exclude masks.
    QStringList globalfiles() const override { return m_loader.globalfiles(); }
    const QStringList& globalexcludes() const { return m_loader.globalexcludes(); }
    // The row of the set chosen last, by its text and index.
    QString CurrentSetName;
    int SelectedIndex = -1;

    QTreeWidget* lstBackupSet = nullptr;
    QTreeWidget* lstBackupFiles = nullptr;
    QComboBox* imgCombo = nullptr;
    QLabel* lblBackupSet = nullptr;
    QToolBar* tlbUplevel = nullptr;
    QListWidget* lstSchedule = nullptr;
    QTimer* tmrScheduler = nullptr;
    QTimer* tmrProcessSchedule = nullptr;
    QTimer* timSchedule = nullptr;
    QTimer* tmrTrayIcon = nullptr;
    QTimer* mailTimer = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QToolBar* tlbTools = nullptr;
    QFrame* pctTray = nullptr;
    QFrame* picIconUnknown = nullptr;
    QFrame* PicIconFolder = nullptr;
    // What PicIconFolder and picIconUnknown show: a folder, and a file the system cannot describe.
    QIcon folderPicture;
    QIcon unknownPicture;
    QFrame* picInvisiblePictureBox = nullptr;
    QFrame* Picture1 = nullptr;
    QPushButton* cmdNewItem = nullptr;
    QPushButton* cmdBackup = nullptr;
    QPushButton* cmdRestore = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdSettings = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdWebsite = nullptr;
    QPushButton* Command1 = nullptr;

    QMenu* mnuTray = nullptr;
    QAction* mnuTrayOpen = nullptr;
    QAction* mnuTrayHide = nullptr;
    QAction* mnuTrayClose = nullptr;
    QAction* mnuFileExecute = nullptr;
    QAction* mnuBackupAll = nullptr;
    QAction* mnuFileRestore = nullptr;
    QAction* mnuFileDelete = nullptr;
    QAction* mnuFileSettings = nullptr;
    QAction* mnuProjectSettings = nullptr;
    QAction* mnuViewToolbar = nullptr;
    QAction* mnuViewStatusBar = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void buildToolbar();
    void buildTimers();

    // An exit while a run is under way asks (unless the system ends the program or the user has
    // confirmed already), requests the stop through the run window's Cancel and lets the exit go on
    // once the run has ended through its cancelled path.
    void exitWait_Timer();

    // What the run queue needs of the window.
    QList<ListedSet> listedSets() const override;
    void showQueued(const QString& setName) override;
    bool runUnderWay() const override;
    // A restore is about to start or under way; it shares the stop request with runs.
    bool restoreUnderWay() const override;
    bool loadingSet() const override;
    QString selectedSet() const override;
    bool loadQueuedSet(const QString& setName) override;
    void reloadListAt(const QString& setName) override;
    void openRunWindow() override;
    void queuedRunEnded(const QString& setName) override;
    bool confirmStopForExit() override;
    void stopRun() override;
    void queueChanged() override;
    // The name of the set whose document is loaded now; empty when the last load failed.
    QString loadedSetName() const;
    void viewLog();
    // A window a menu opens that would not load: the handler reports it and ends.
    static void reportNotOpened(const QString& location, const QVariantList& args, const QString& window);
    // Applies the busy rule to Delete after the queue or the runs changed.
    void refreshDeleteCommand();

    void makeProgramFolders();
    void decideServiceMode();
    void applyColumnWidths();
    void saveColumnWidths();
    void unloadOtherWindows();
    // Hides the window to the tray; without a notification area it minimises instead, so that the
    // program stays within reach. A service, which nobody can reach, only hides.
    void hideToTray();
    void activate();
    void showStillRunningNotice();
    // A problem of the load that does not stop it: the service host, the log and ErrorIn hear of it.
    void reportLoadProblem(qint32 number, const QString& description);

    // The widths as stored, so that a column the user left alone keeps its width to the twip.
    QList<int> m_storedWidths;
    CloseFlags m_close;
    bool m_unloaded = false;
    // Minimised by hideToTray in place of hiding: put away until someone restores the window.
    bool m_minimisedAsHidden = false;
    QTimer* m_exitWait = nullptr;
    RunQueue m_queue {*this};
    // Whether the set loader allows Delete for the selected set; the busy rule comes on top.
    bool m_deleteAllowed = false;
    QLabel* m_statusPanel = nullptr;
    // The reason the selected set could not be loaded, while the status bar shows it.
    QString m_setProblem;

    enum class LoadOutcome
    {
        Loaded,
        Failed,
        Refused,
        NoSetSelected,
    };
    LoadOutcome loadSet(bool bFromFile, const QString& strBackupname);
    void showLoadedSet(const SetLoader::Result& result, bool bFromFile);
    void showFailedLoad(const QString& setName, const QString& reason);
    // Shows the rows of a listing and loads its selected row.
    void showSetListing(const SetListing& listing);
    // Why a set cannot be used, in its row's tool tip; an empty reason takes it away.
    void setRowProblem(QTreeWidgetItem* row, const QString& reason);
    void clearSetProblem();
    void resetFileView();
    void SelectBackupSet(const QString& name);
    void selectRow(QTreeWidgetItem* row);
    QTreeWidgetItem* selectedSetRow() const;
    void SaveFileListCache(const QString& setName);
    bool ShowFolderContents(QString& folder);
    void addFileRows(const QList<FileViewRow>& rows);
    // A file view row as StickIconOntoListView adds it.
    QTreeWidgetItem* fileViewRow(QString& strFile, bool grayed, bool bFromFile);
    // Enables the set commands of the toolbar, the command buttons and the File menu together.
    void setSetCommands(bool go, bool restore, bool remove, bool settings);
    QIcon filePicture(const QFileInfo& info);

    SetLoader m_loader;
    QString m_setBeingLoaded;
    bool LeftButtonDown = false;
    // The file view's pictures by path, and the icons of kinds of files by suffix.
    QHash<QString, QIcon> ilImages;
    QHash<QString, QIcon> m_kindPictures;
    bool m_filesSorted = false;
    int m_filesSortColumn = 0;
    Qt::SortOrder m_filesSortOrder = Qt::AscendingOrder;
};

} // namespace main_window
