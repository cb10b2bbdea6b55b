#include "main_window/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/ErrorReport.h"
#include "core/FileSystemHelpers.h"
#include "core/ProgramState.h"
#include "core/RegistryHelpers.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "core/Settings.h"
#include "core/ShellHelpers.h"
#include "core/WorkFolder.h"
#include "editors/frmFilesAndDirectories.h"
#include "editors/frmLanAdd.h"
#include "editors/frmSettings.h"
#include "editors/frmTimeStampSettings.h"
#include "editors/frmWizard.h"
#include "engine/VersionPruning.h"
#include "engine/frmProcessing.h"
#include "ftp/frmAddFTP.h"
#include "ftp/frmFTPBrowse.h"
#include "ftp/frmFTPNewFolder.h"
#include "localisation/Brand.h"
#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "localisation/WindowCaptions.h"
#include "localisation/frmLanguage.h"
#include "mail/frmEmailAdd.h"
#include "mail/frmSck.h"
#include "main_window/BackupSetList.h"
#include "main_window/FileViewRows.h"
#include "main_window/Form8.h"
#include "main_window/ProgramPictures.h"
#include "main_window/SetListWidget.h"
#include "main_window/StartupOptions.h"
#include "main_window/TemplateWindows.h"
#include "main_window/frmAbout.h"
#include "main_window/frmPrefs2.h"
#include "main_window/frmSplash.h"
#include "main_window/frmStillRunning.h"
#include "main_window/frmWebsite.h"
#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Form.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "platform/ServiceHost.h"
#include "platform/Shell.h"
#include "platform/Tray.h"
#include "platform/VersionInfo.h"
#include "restore/frmDecrypt.h"
#include "restore/frmExtract.h"
#include "restore/frmRestoreToNew.h"
#include "restore/frmRestoring.h"
#include "restore/frmSelectFiles.h"
#include "restore/frmVersions.h"
#include "restore/frmWarning.h"

namespace main_window
{
namespace
{
using localisation::message;
using platform::Form;

const char* const KeyProperty = "key";

std::function<void()>& programEnd()
{
    static std::function<void()> end = [] { QCoreApplication::exit(0); };
    return end;
}

QString programTitle()
{
    return localisation::BrandProgramName()
        + QStringLiteral(" %1.%2").arg(platform::version::Major).arg(platform::version::Minor);
}

QString columnKey(int column)
{
    return QStringLiteral("BackupSetColumn%1").arg(column);
}

QFrame* pictureBox(QWidget* parent, const char* name)
{
    auto* box = new QFrame(parent);
    box->setObjectName(QLatin1String(name));
    box->hide();
    return box;
}

// The style's pictures come in different sizes; a toolbar's share one, so their captions share a line.
QIcon sizedPicture(const QIcon& icon, const QSize& size)
{
    QPixmap picture = icon.pixmap(size);
    const qreal ratio = picture.devicePixelRatio();
    if (picture.size() != size * ratio) {
        picture = picture.scaled(size * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        picture.setDevicePixelRatio(ratio);
    }
    return QIcon(picture);
}

QPushButton* commandButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}
} // namespace

frmMain::frmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(programIcon());
    buildControls();
    buildMenus();
    buildToolbar();
    buildTimers();

    // Wide enough for every column of the set list at its design width, as far as the screen allows.
    int columns = 0;
    for (int column = 0; column < lstBackupSet->columnCount(); ++column)
        columns += lstBackupSet->columnWidth(column);
    const QMargins margins = centralWidget()->layout()->contentsMargins();
    const int listWidth = columns + 2 * lstBackupSet->frameWidth()
        + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, lstBackupSet) + margins.left() + margins.right();
    QSize size(qMax(900, listWidth), 620);
    if (const QScreen* screen = this->screen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.95);
    resize(size);

    connect(&platform::tray(), &platform::Tray::mouseMessage, this, &frmMain::pctTray_MouseDown);
    connect(&platform::serviceHost(), &platform::ServiceHost::started, this, [this] {
        bool success = false;
        Win2kService_Start(success);
    });
    connect(&platform::serviceHost(), &platform::ServiceHost::stopRequested, this, &frmMain::Win2kService_Stop);
    m_loader.setSyncVersions(engine::SyncVersions);
    core::setMainWindowServices(this);
}

frmMain::~frmMain()
{
    if (core::mainWindowServices() == this)
        core::setMainWindowServices(nullptr);
}

void frmMain::setProgramEnd(std::function<void()> end)
{
    programEnd() = end ? std::move(end) : [] { QCoreApplication::exit(0); };
}

void frmMain::endProgram()
{
    programEnd()();
}

void frmMain::buildControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);

    Picture1 = pictureBox(central, "Picture1");
    layout->addWidget(Picture1);

    lstBackupSet = new SetListWidget(central);
    lstBackupSet->setObjectName(QStringLiteral("lstBackupSet"));
    lstBackupSet->setRootIsDecorated(false);
    lstBackupSet->setAllColumnsShowFocus(true);
    lstBackupSet->setHeaderLabels({QStringLiteral("Item name"), QStringLiteral("Item type"),
                                   QStringLiteral("Last run time"), QStringLiteral("Next run time"),
                                   QStringLiteral("Next location"), QStringLiteral("Status"),
                                   QStringLiteral("Creation time"), QStringLiteral("Duration")});
    lstBackupSet->header()->setMinimumSectionSize(0);
    lstBackupSet->header()->setStretchLastSection(false);
    for (int column = 0; column < lstBackupSet->columnCount(); ++column)
        lstBackupSet->setColumnWidth(column, twipsToPixels(DefaultColumnWidthTwips));
    // "Item type" is for the program, not for the eye.
    lstBackupSet->setColumnWidth(1, 0);
    layout->addWidget(lstBackupSet, 1);

    lblBackupSet = new QLabel(QStringLiteral("Files and folders in the currently selected backup set:"), central);
    lblBackupSet->setObjectName(QStringLiteral("lblBackupSet"));
    layout->addWidget(lblBackupSet);
    auto* folderRow = new QHBoxLayout;
    imgCombo = new QComboBox(central);
    imgCombo->setObjectName(QStringLiteral("imgCombo"));
    folderRow->addWidget(imgCombo, 1);
    cmdRefresh = commandButton(central, "cmdRefresh", QStringLiteral("Refresh"));
    cmdRefresh->hide();
    folderRow->addWidget(cmdRefresh);
    tlbUplevel = new QToolBar(central);
    tlbUplevel->setObjectName(QStringLiteral("tlbUplevel"));
    QAction* up = tlbUplevel->addAction(style()->standardIcon(QStyle::SP_FileDialogToParent), QString());
    up->setToolTip(QStringLiteral("Up one level"));
    folderRow->addWidget(tlbUplevel);
    layout->addLayout(folderRow);

    lstBackupFiles = new QTreeWidget(central);
    lstBackupFiles->setObjectName(QStringLiteral("lstBackupFiles"));
    lstBackupFiles->setRootIsDecorated(false);
    lstBackupFiles->setHeaderLabels({QStringLiteral("File name")});
    layout->addWidget(lstBackupFiles, 1);

    auto* buttonRow = new QHBoxLayout;
    cmdNewItem = commandButton(central, "cmdNewItem", QStringLiteral("New Item"));
    cmdBackup = commandButton(central, "cmdBackup", QStringLiteral("Backup"));
    cmdRestore = commandButton(central, "cmdRestore", QStringLiteral("Restore"));
    cmdDelete = commandButton(central, "cmdDelete", QStringLiteral("Delete"));
    cmdSettings = commandButton(central, "cmdSettings", QStringLiteral("Settings"));
    for (QPushButton* button : {cmdNewItem, cmdBackup, cmdRestore, cmdDelete, cmdSettings})
        buttonRow->addWidget(button);
    for (QPushButton* button : {cmdBackup, cmdRestore, cmdDelete, cmdSettings})
        button->setEnabled(false);
    cmdWebsite = commandButton(central, "cmdWebsite", QString());
    cmdWebsite->setFlat(true);
    cmdWebsite->setCursor(Qt::PointingHandCursor);
    buttonRow->addWidget(cmdWebsite, 1);
    Command1 = commandButton(central, "Command1", QStringLiteral("Command1"));
    Command1->hide();
    layout->addLayout(buttonRow);

    lstSchedule = new QListWidget(central);
    lstSchedule->setObjectName(QStringLiteral("lstSchedule"));
    lstSchedule->hide();
    pctTray = pictureBox(central, "pctTray");
    picIconUnknown = pictureBox(central, "picIconUnknown");
    PicIconFolder = pictureBox(central, "PicIconFolder");
    picInvisiblePictureBox = pictureBox(central, "picInvisiblePictureBox");
    folderPicture = style()->standardIcon(QStyle::SP_DirIcon);
    unknownPicture = style()->standardIcon(QStyle::SP_FileIcon);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    m_statusPanel = new QLabel(StatusBar1);
    // Server replies and file names land here: never read them as markup.
    m_statusPanel->setTextFormat(Qt::PlainText);
    StatusBar1->addWidget(m_statusPanel, 1);
    setStatusBar(StatusBar1);

    connect(cmdNewItem, &QPushButton::clicked, this, &frmMain::cmdNewItem_Click);
    connect(cmdBackup, &QPushButton::clicked, this, &frmMain::cmdBackup_Click);
    connect(cmdRestore, &QPushButton::clicked, this, &frmMain::cmdRestore_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmMain::cmdDelete_Click);
    connect(cmdSettings, &QPushButton::clicked, this, &frmMain::cmdSettings_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmMain::cmdRefresh_Click);
    connect(cmdWebsite, &QPushButton::clicked, this, &frmMain::cmdWebsite_Click);
    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);

    auto* setList = static_cast<SetListWidget*>(lstBackupSet);
    connect(setList, &SetListWidget::rowChosen, this, &frmMain::lstBackupSet_ItemClick);
    connect(setList, &SetListWidget::buttonPressed, this, &frmMain::lstBackupSet_MouseDown);
    connect(setList, &SetListWidget::buttonReleased, this, &frmMain::lstBackupSet_MouseUp);
    connect(setList, &SetListWidget::doubleClickedAnywhere, this, &frmMain::lstBackupSet_DblClick);
    lstBackupFiles->header()->setSectionsClickable(true);
    connect(lstBackupFiles->header(), &QHeaderView::sectionClicked, this, &frmMain::lstBackupFiles_ColumnClick);
    connect(imgCombo, &QComboBox::activated, this, &frmMain::imgCombo_Click);
}

void frmMain::buildMenus()
{
    auto addMenu = [this](const char* name, const QString& title, bool visible = true) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setVisible(visible);
        return menu;
    };
    auto addItem = [](QMenu* menu, const char* name, const QString& text, auto handler, QObject* receiver) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        QObject::connect(action, &QAction::triggered, receiver, handler);
        return action;
    };
    auto addSeparator = [](QMenu* menu, const char* name) {
        QAction* separator = menu->addSeparator();
        separator->setObjectName(QLatin1String(name));
        return separator;
    };
    // One element of a menu array: the handler receives the element's index.
    auto addArrayItem
        = [this](QMenu* menu, const char* name, int index, const QString& text, void (frmMain::*handler)(int)) {
              QAction* action = menu->addAction(text);
              action->setObjectName(QLatin1String(name));
              localisation::setControlIndex(action, index);
              connect(action, &QAction::triggered, this, [this, handler, index] { (this->*handler)(index); });
              return action;
          };

    QMenu* mnuFile = addMenu("mnuFile", QStringLiteral("&File"));
    addItem(
        mnuFile, "mnuFileNewItem", QStringLiteral("&New Item..."), [this] { mnuFileNewItem_Click(); }, this);
    addSeparator(mnuFile, "mnuFileSep1");
    mnuFileExecute = addItem(
        mnuFile, "mnuFileExecute", QStringLiteral("&Backup"), [this] { mnuFileExecute_Click(); }, this);
    mnuBackupAll = addItem(
        mnuFile, "mnuBackupAll", QStringLiteral("Backup &All"), [this] { mnuBackupAll_Click(); }, this);
    mnuFileRestore = addItem(
        mnuFile, "mnuFileRestore", QStringLiteral("&Restore"), [this] { mnuFileRestore_Click(); }, this);
    QAction* mnuFileStop = mnuFile->addAction(QStringLiteral("&Stop"));
    mnuFileStop->setObjectName(QStringLiteral("mnuFileStop"));
    mnuFileStop->setVisible(false);
    mnuFileDelete = addItem(
        mnuFile, "mnuFileDelete", QStringLiteral("&Delete"), [this] { mnuFileDelete_Click(); }, this);
    mnuFileSettings = addItem(
        mnuFile, "mnuFileSettings", QStringLiteral("&Settings"), [this] { mnuFileSettings_Click(); }, this);
    for (QAction* item : {mnuFileExecute, mnuBackupAll, mnuFileRestore, mnuFileDelete, mnuFileSettings})
        item->setEnabled(false);
    addSeparator(mnuFile, "mnuFileSep2");
    addItem(
        mnuFile, "mnu_Pref", QStringLiteral("General Preferences"), [this] { mnu_Pref_Click(); }, this);
    addSeparator(mnuFile, "mnuFileSep3");
    addItem(
        mnuFile, "mnuFileExit", QStringLiteral("E&xit"), [this] { mnuFileExit_Click(); }, this);

    QMenu* mnuProject = addMenu("mnuProject", QStringLiteral("&Backup Set"), false);
    mnuProjectSettings = addItem(
        mnuProject, "mnuProjectSettings", QStringLiteral("&Settings..."), [this] { mnuProjectSettings_Click(); }, this);

    QMenu* mnuView = addMenu("mnuView", QStringLiteral("&View"), false);
    mnuViewToolbar = addItem(
        mnuView, "mnuViewToolbar", QStringLiteral("&Toolbar"), [this] { mnuViewToolbar_Click(); }, this);
    mnuViewStatusBar = addItem(
        mnuView, "mnuViewStatusBar", QStringLiteral("&Status bar"), [this] { mnuViewStatusBar_Click(); }, this);
    for (QAction* item : {mnuViewToolbar, mnuViewStatusBar}) {
        item->setCheckable(true);
        item->setChecked(true);
    }
    addSeparator(mnuView, "mnuViewSep")->setVisible(false);
    addItem(
        mnuView, "mnuViewRefresh", QStringLiteral("&Refresh"), [this] { mnuViewRefresh_Click(); }, this)
        ->setVisible(false);

    QMenu* mnuActions = addMenu("mnuActions", QStringLiteral("&Actions"), false);
    QMenu* mnuRun = mnuActions->addMenu(QStringLiteral("&Run"));
    mnuRun->setObjectName(QStringLiteral("mnuRun"));
    mnuRun->menuAction()->setVisible(false);
    addArrayItem(mnuRun, "mnuRunItem", 0, QStringLiteral("On login"), &frmMain::mnuRunItem_Click);
    addArrayItem(mnuRun, "mnuRunItem", 1, QStringLiteral("As Service"), &frmMain::mnuRunItem_Click);

    // The tray menu only ever pops up from the tray icon.
    mnuTray = new QMenu(QStringLiteral("&Tray"), this);
    mnuTray->setObjectName(QStringLiteral("mnuTray"));
    mnuTrayOpen = addItem(
        mnuTray, "mnuTrayOpen", QStringLiteral("&Open"), [this] { mnuTrayOpen_Click(); }, this);
    mnuTrayHide = addItem(
        mnuTray, "mnuTrayHide", QStringLiteral("&Hide window"), [this] { mnuTrayHide_Click(); }, this);
    addSeparator(mnuTray, "mnuTraySep");
    mnuTrayClose = addItem(
        mnuTray, "mnuTrayClose", QStringLiteral("&Exit"), [this] { mnuTrayClose_Click(); }, this);
    mnuTray->setDefaultAction(mnuTrayOpen);

    QMenu* mnuTools = addMenu("mnuTools", QStringLiteral("&Tools"));
    addArrayItem(mnuTools, "mnuToolsItem", 0, QStringLiteral("File Extractor"), &frmMain::mnuToolsItem_Click);
    addArrayItem(mnuTools, "mnuToolsItem", 1, QStringLiteral("File Decryptor"), &frmMain::mnuToolsItem_Click);
    addArrayItem(mnuTools, "mnuToolsItem", 2, QStringLiteral("View Log"), &frmMain::mnuToolsItem_Click);
    QMenu* mnuLanguages = addMenu("mnuLanguages", QStringLiteral("&Languages"));
    addArrayItem(mnuLanguages, "mnuLanguagesItem", 0, QStringLiteral("Change Language"),
                 &frmMain::mnuLanguagesItem_Click);
    QMenu* mnuHelp = addMenu("mnuHelp", QStringLiteral("&Help"));
    addArrayItem(mnuHelp, "mnuHelpItem", 0, QStringLiteral("View Help"), &frmMain::mnuHelpItem_Click);
    QMenu* mnuAbout = addMenu("mnuAbout", QStringLiteral("&About"));
    addArrayItem(mnuAbout, "mnuAboutItem", 0, QStringLiteral("About this software"), &frmMain::mnuAboutItem_Click);
}

void frmMain::buildToolbar()
{
    struct Button
    {
        const char* caption;
        const char* key;
        QString toolTip;
        QStyle::StandardPixmap icon;
    };
    const Button separator {nullptr, nullptr, QString(), QStyle::SP_CustomBase};
    const QString brand = localisation::BrandProgramName();
    const Button buttons[] = {
        {"New item...", "new", QStringLiteral("New item..."), QStyle::SP_FileIcon},
        separator,
        {"Go !", "go", QStringLiteral("Execute item"), QStyle::SP_MediaPlay},
        {"Restore", "restore", QString(), QStyle::SP_ArrowBack},
        {"Delete", "delete", QStringLiteral("Delete item"), QStyle::SP_TrashIcon},
        separator,
        {"Settings...", "settings", QStringLiteral("Settings..."), QStyle::SP_FileDialogDetailedView},
        {"Refresh", "refresh", QStringLiteral("Refresh (F5)"), QStyle::SP_BrowserReload},
        separator,
        {"About...", "about", QStringLiteral("About %1...").arg(brand), QStyle::SP_MessageBoxInformation},
        // The service is the systemd user unit and the start entry the login autostart entry.
        {"Run as service", "service", QStringLiteral("Run %1 as a service").arg(brand), QStyle::SP_ComputerIcon},
        {"Run on start", "start", QStringLiteral("Run when you log in"), QStyle::SP_DesktopIcon},
        separator,
        {"Exit", nullptr, QStringLiteral("Exit ") + brand, QStyle::SP_DialogCloseButton},
        {nullptr, nullptr, QString(), QStyle::SP_DirLinkIcon},
    };

    tlbTools = new QToolBar(this);
    tlbTools->setObjectName(QStringLiteral("tlbTools"));
    tlbTools->setMovable(false);
    tlbTools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tlbTools->setIconSize(QSize(24, 24));
    addToolBar(tlbTools);
    int index = 0;
    for (const Button& button : buttons) {
        ++index;
        if (button.icon == QStyle::SP_CustomBase) {
            tlbTools->addSeparator();
            continue;
        }
        // The last button shows the website's address.
        const QString caption = button.caption ? QString::fromLatin1(button.caption) : localisation::BrandWebsite();
        QAction* action
            = tlbTools->addAction(sizedPicture(style()->standardIcon(button.icon), tlbTools->iconSize()), caption);
        // A tool button would drop a trailing "..." from the caption.
        action->setIconText(caption);
        if (button.key)
            action->setProperty(KeyProperty, QString::fromLatin1(button.key));
        if (!button.toolTip.isEmpty())
            action->setToolTip(button.toolTip);
        connect(action, &QAction::triggered, this, [this, index] { tlbTools_ButtonClick(index); });
    }
    for (const char* key : {"go", "restore", "delete", "settings"})
        toolbarButton(QLatin1String(key))->setEnabled(false);
    toolbarButton(QStringLiteral("service"))->setCheckable(true);
    toolbarButton(QStringLiteral("refresh"))->setShortcut(QKeySequence(Qt::Key_F5));
}

void frmMain::buildTimers()
{
    auto makeTimer = [this](const char* name, int interval, bool enabled) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QLatin1String(name));
        timer->setInterval(interval);
        if (enabled)
            timer->start();
        return timer;
    };
    tmrScheduler = makeTimer("tmrScheduler", 500, true);
    tmrProcessSchedule = makeTimer("tmrProcessSchedule", 500, false);
    timSchedule = makeTimer("timSchedule", 250, false);
    tmrTrayIcon = makeTimer("tmrTrayIcon", 5000, true);
    mailTimer = makeTimer("mailTimer", 1000, false);
    connect(tmrScheduler, &QTimer::timeout, this, &frmMain::tmrScheduler_Timer);
    connect(tmrProcessSchedule, &QTimer::timeout, this, &frmMain::tmrProcessSchedule_Timer);
    connect(timSchedule, &QTimer::timeout, this, &frmMain::timSchedule_Timer);
    connect(tmrTrayIcon, &QTimer::timeout, this, &frmMain::tmrTrayIcon_Timer);
    m_exitWait = new QTimer(this);
    connect(m_exitWait, &QTimer::timeout, this, &frmMain::exitWait_Timer);
}

QAction* frmMain::toolbarButton(int index) const
{
    const QList<QAction*> actions = tlbTools->actions();
    return index >= 1 && index <= actions.size() ? actions.at(index - 1) : nullptr;
}

QAction* frmMain::toolbarButton(const QString& key) const
{
    for (QAction* action : tlbTools->actions()) {
        if (action->property(KeyProperty).toString() == key)
            return action;
    }
    return nullptr;
}

QLabel* frmMain::statusPanel(int n) const
{
    return n == 1 ? m_statusPanel : nullptr;
}

// ---- Start-up ----

void frmMain::Form_Load()
{
    core::ProgramState& state = core::state();
    platform::setUnattendedSink([](const QString& text) { core::LogEvent(text); });

    const QString firstStartTest = core::GetUserPreference(QStringLiteral("Language"), QString());
    localisation::resetLanguages();
    localisation::setCurrentLanguage(core::GetUserPreference(QStringLiteral("Language"), QStringLiteral("English")));
    localisation::RegisterDefaultMessages();
    localisation::Languages().ChangeLanguage(this, localisation::CurrentLanguage());
    if (firstStartTest.isEmpty()) {
        core::SaveUserPreference(QStringLiteral("Language"), QStringLiteral("English"));
        if (platform::isUnattended()) {
            platform::Message notice;
            notice.text = QStringLiteral("The language window was not shown: nobody can see it. English is used.");
            platform::answerUnattended(notice);
        } else if (localisation::frmLanguage* languages = Form<localisation::frmLanguage>::load()) {
            languages->exec();
        }
        // The modal window let events run: an exit may have come meanwhile.
        if (m_unloaded)
            return;
    }
    // A second instance ended before the splash window: see InstanceLock in the program's start.

    if (core::ReadPreference(QStringLiteral("chkLog"), QStringLiteral("0")) == QLatin1String("1"))
        state.LoggingEnabled = true;
    setWindowTitle(localisation::replaceBrandPlaceholders(message("MSG_CAPTION")));
    // Built-in texts keep their placeholders; the button shows the website itself.
    cmdWebsite->setText(localisation::replaceBrandPlaceholders(message("MSG_WEBSITE")));
    makeProgramFolders();
    core::LogEvent(QString(59, QLatin1Char('-')));
    core::LogEvent(QStringLiteral("Loading ") + programTitle());
    state.AppTitle = programTitle();
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        move(available.x() + (available.width() - width()) / 2,
             available.y() + qMax(0, (available.height() - height()) / 2 - twipsToPixels(300)));
    }
    setWindowTitle(state.AppTitle);
    core::LogEvent(QStringLiteral("Checking OS Version..."));
    decideServiceMode();
    if (m_unloaded)
        return;
    SyncButtons();
    const QDateTime now = platform::clock().now();
    state.StartupDateText = platform::DateText::shortDate(now.date());
    state.StartupTimeText = platform::DateText::longTime(now.time());
    LoadBackupSets(-1);
    tmrTrayIcon_Timer();
    if (state.ServiceMode) {
        hide();
    } else if (commandLine() == QLatin1String(SilentSwitch)) {
        // Without a notification area a hidden window could never be reached again.
        hideToTray();
    } else {
        show();
        lstBackupSet->setFocus();
    }
    core::LogEvent(localisation::BrandProgramName() + QStringLiteral(" Started successfull"));
    core::LoadNotificationSettings();
    applyColumnWidths();
    if (state.UseSkin)
        localisation::ApplySkin(this);
    if (core::GetUserPreference(QStringLiteral("showHelp"), QStringLiteral("1")) == QLatin1String("1")) {
        Form8::helpCycle();
        core::SaveUserPreference(QStringLiteral("showHelp"), QStringLiteral("0"));
        if (m_unloaded)
            return;
    }
    if (core::ReadPreference(QStringLiteral("chkMin"), QStringLiteral("0")) == QLatin1String("1")) {
        setWindowState(Qt::WindowMinimized);
        hide();
        state.StartHidden = true;
    }
}

void frmMain::makeProgramFolders()
{
    for (const char* name : {"data", "tmp"}) {
        const QString path = platform::ProgramFolder::file(QLatin1String(name));
        if (platform::makePrivateFolder(path))
            continue;
        const QString why = QFileInfo(path).exists() ? QStringLiteral("a file of that name is in the way")
                                                     : QStringLiteral("it cannot be made there");
        reportLoadProblem(core::err::PathFileAccess, QStringLiteral("Cannot create the folder %1: %2").arg(path, why));
    }
    // A killed run or restore leaves plain copies of protected files behind.
    core::removeAbandonedWorkFiles();
}

void frmMain::reportLoadProblem(qint32 number, const QString& description)
{
    if (core::state().ServiceMode)
        platform::serviceHost().logError(1, 109, QStringLiteral("[%1] %2").arg(number).arg(description));
    core::LogEvent(QStringLiteral("E: Error loading ") + localisation::BrandProgramName());
    // The load goes on; the reason says what the user has to put right.
    core::LogEvent(QStringLiteral("E: ") + description);
    core::reportFailure(QStringLiteral("frmMain.Form_Load"), {}, number, description);
}

void frmMain::decideServiceMode()
{
    core::ProgramState& state = core::state();
    QAction* start = toolbarButton(QStringLiteral("start"));
    QAction* service = toolbarButton(QStringLiteral("service"));
    if (!core::IsNTCompatible()) {
        start->setVisible(true);
        service->setVisible(false);
        state.ServiceMode = false;
        return;
    }
    core::LogEvent(core::SystemName() + QLatin1Char('.'));
    service->setVisible(true);
    switch (decideService(true, platform::ServiceHost::activeSetting(), commandLine())) {
    case ServiceDecision::Desktop:
        service->setChecked(false);
        state.ServiceMode = false;
        start->setVisible(true);
        break;
    case ServiceDecision::ServiceNotice: {
        platform::Message notice;
        notice.text = serviceNoticeText(localisation::BrandProgramName());
        notice.title = state.AppTitle;
        notice.parent = this;
        platform::prompt().show(notice);
        m_close.ExitRequested = true;
        unloadWindow(UnloadMode::Code);
        break;
    }
    case ServiceDecision::ServiceMode:
        state.ServiceMode = true;
        service->setChecked(true);
        start->setVisible(false);
        // Nobody sits in front of a service: messages go to the log and take their safe answer.
        platform::setServiceUnattended(true);
        platform::serviceHost().startService();
        break;
    }
}

void frmMain::applyColumnWidths()
{
    m_storedWidths.clear();
    for (int column = 1; column <= lstBackupSet->columnCount(); ++column) {
        if (column == 2) {
            m_storedWidths.append(0);
            continue;
        }
        const int twips
            = columnWidthTwips(core::GetUserPreference(columnKey(column), QString::number(DefaultColumnWidthTwips)));
        m_storedWidths.append(twips);
        lstBackupSet->setColumnWidth(column - 1, twipsToPixels(twips));
    }
}

// ---- Shut-down ----

void frmMain::closeEvent(QCloseEvent* event)
{
    // Every close goes through the close request; the window itself decides when it unloads.
    event->ignore();
    unloadWindow(event->spontaneous() ? UnloadMode::CloseBox : UnloadMode::Code);
}

void frmMain::unloadWindow(UnloadMode mode)
{
    if (m_unloaded) {
        // Unloaded at a session's end in service mode: the next request ends the program.
        endProgram();
        return;
    }
    if (Form_QueryUnload(mode) && stopRunBeforeExit(mode))
        Form_Unload();
}

bool frmMain::Form_QueryUnload(UnloadMode mode)
{
    const CloseOutcome outcome = decideClose(mode, core::state().ServiceMode, m_close,
                                             core::ReadPreference(QStringLiteral("chkAlwaysExit"), QStringLiteral("0")),
                                             core::ReadPreference(QStringLiteral("chkNoShow"), QStringLiteral("0")));
    switch (outcome) {
    case CloseOutcome::Unload:
        return true;
    case CloseOutcome::HideThenUnload:
        hideToTray();
        mnuTrayHide->setEnabled(false);
        return true;
    case CloseOutcome::HideWithNotice:
        hideToTray();
        mnuTrayHide->setEnabled(false);
        showStillRunningNotice();
        return false;
    case CloseOutcome::HideSilently:
        hideToTray();
        mnuTrayHide->setEnabled(false);
        return false;
    }
    return false;
}

void frmMain::Form_Unload()
{
    saveColumnWidths();
    unloadOtherWindows();
    m_unloaded = true;
    for (QTimer* timer : findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
        timer->stop();
    hide();
    if (m_close.SessionEndInService) {
        m_close.SessionEndInService = false;
        return;
    }
    platform::tray().remove();
    core::LogEvent(localisation::BrandProgramName() + QStringLiteral(" closed"));
    m_close.ExitRequested = false;
    endProgram();
}

void frmMain::saveColumnWidths()
{
    // An exit before the load applied the stored widths would keep the design widths in their place.
    if (m_storedWidths.isEmpty())
        return;
    for (int column = 1; column <= lstBackupSet->columnCount(); ++column) {
        const int pixels = lstBackupSet->columnWidth(column - 1);
        const int stored = m_storedWidths.value(column - 1, -1);
        const int twips = stored >= 0 && twipsToPixels(stored) == pixels ? stored : pixelsToTwips(pixels);
        const QString width = QString::number(twips);
        // The program ends even when the widths cannot be kept.
        if (!core::SaveUserPreference(columnKey(column), width)) {
            core::reportFailure(QStringLiteral("frmMain.Form_Unload(Cancel)"), {0}, core::err::PathFileAccess,
                                QStringLiteral("The set list's column widths cannot be saved."));
            return;
        }
    }
}

void frmMain::unloadOtherWindows()
{
    Form<Form8>::unload();
    Form<frmAbout>::unload();
    Form<ftp::frmAddFTP>::unload();
    Form<mail::frmEmailAdd>::unload();
    Form<editors::frmFilesAndDirectories>::unload();
    Form<ftp::frmFTPBrowse>::unload();
    Form<ftp::frmFTPNewFolder>::unload();
    Form<editors::frmLanAdd>::unload();
    Form<frmPrefs2>::unload();
    Form<engine::frmProcessing>::unload();
    Form<restore::frmRestoreToNew>::unload();
    Form<restore::frmSelectFiles>::unload();
    Form<restore::frmRestoring>::unload();
    Form<restore::frmDecrypt>::unload();
    Form<restore::frmExtract>::unload();
    Form<mail::frmSck>::unload();
    Form<editors::frmSettings>::unload();
    Form<frmSplash>::unload();
    Form<frmStillRunning>::unload();
    Form<editors::frmTimeStampSettings>::unload();
    Form<restore::frmVersions>::unload();
    Form<editors::frmWizard>::unload();
    // The overwrite question is made for each file rather than loaded once.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* question = qobject_cast<restore::frmWarning*>(window)) {
            question->hide();
            question->deleteLater();
        }
    }
}

void frmMain::hideToTray()
{
    if (platform::tray().isAvailable() || core::state().ServiceMode) {
        hide();
        return;
    }
    m_minimisedAsHidden = true;
    showMinimized();
}

bool frmMain::programUnseen() const
{
    return core::state().ServiceMode || !isVisible() || (m_minimisedAsHidden && isMinimized());
}

void frmMain::activate()
{
    raise();
    activateWindow();
}

void frmMain::showStillRunningNotice()
{
    if (frmStillRunning* notice = Form<frmStillRunning>::load())
        notice->show();
}

// ---- Layout ----

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        if (!(windowState() & Qt::WindowMinimized))
            m_minimisedAsHidden = false;
        Form_Resize();
    }
}

void frmMain::Form_Resize()
{
    core::ProgramState& state = core::state();
    if (state.StartHidden) {
        state.StartHidden = false;
        hideToTray();
    }
    // The layouts size the lists; only the state is kept here.
    if (windowState() & Qt::WindowMinimized)
        return;
    state.MainWindowState = (windowState() & Qt::WindowMaximized) ? 2 : 0;
}

// ---- Tray ----

void frmMain::tmrTrayIcon_Timer()
{
    platform::Tray& tray = platform::tray();
    const QString toolTip = localisation::BrandProgramName();
    if (tray.update(toolTip)) {
        tmrTrayIcon->setInterval(15000);
        return;
    }
    tmrTrayIcon->setInterval(tray.add(windowIcon(), toolTip) ? 15000 : 5000);
}

void frmMain::pctTray_MouseDown(int mouseMessage)
{
    switch (mouseMessage) {
    case platform::Tray::LeftButtonUp:
    case platform::Tray::RightButtonUp:
        mnuTray->setDefaultAction(mnuTrayOpen);
        mnuTray->popup(QCursor::pos());
        break;
    case platform::Tray::LeftDoubleClick:
        if (isHidden()) {
            show();
            mnuTrayHide->setEnabled(true);
        }
        activate();
        break;
    default:
        break;
    }
}

void frmMain::mnuTrayOpen_Click()
{
    if (isHidden() || isMinimized()) {
        show();
        setWindowState(core::state().MainWindowState == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
        mnuTrayHide->setEnabled(true);
    }
    activate();
}

void frmMain::mnuTrayHide_Click()
{
    for (const QWidget* window : platform::loadedWindows()) {
        if (window != this && window->objectName() != QLatin1String("frmSplash")) {
            activate();
            return;
        }
    }
    hideToTray();
    mnuTrayHide->setEnabled(false);
    if (noticeAfterHide(core::ReadPreference(QStringLiteral("chkAlwaysExit"), QStringLiteral("0")),
                        core::ReadPreference(QStringLiteral("chkNoShow"), QStringLiteral("0"))))
        showStillRunningNotice();
}

void frmMain::mnuTrayClose_Click()
{
    m_close.ExitRequested = true;
    unloadWindow(UnloadMode::Code);
}

// ---- Service events ----

void frmMain::Win2kService_Start(bool& Success)
{
    Success = true;
    core::state().ServiceMode = true;
}

void frmMain::Win2kService_Stop()
{
    core::state().ServiceMode = false;
    m_close.ExitRequested = true;
    // The system ends the program: nobody is asked.
    m_exitConfirmed = true;
    unloadWindow(UnloadMode::Code);
}

void frmMain::setStatusText(const QString& text)
{
    m_statusPanel->setText(text);
}

void frmMain::showPreferences(bool modal)
{
    frmPrefs2* preferences = Form<frmPrefs2>::load();
    if (!preferences)
        return;
    if (modal)
        preferences->exec();
    else
        preferences->show();
}

void frmMain::enableMailTest()
{
    // A closed preferences window has no button to enable; opening it reads the sender's state.
    if (frmPrefs2* preferences = Form<frmPrefs2>::loaded())
        preferences->cmdSend->setEnabled(true);
}

// ---- Buttons, menus and toolbar ----

void frmMain::cmdNewItem_Click()
{
    mnuFileNewItem_Click();
}

void frmMain::cmdBackup_Click()
{
    mnuFileExecute_Click();
}

void frmMain::cmdRestore_Click()
{
    core::state().bStopBackup = false;
    Form<restore::frmVersions>::unload();
    if (restore::frmVersions* versions = Form<restore::frmVersions>::load())
        versions->show();
}

void frmMain::cmdDelete_Click()
{
    mnuFileDelete_Click();
}

void frmMain::cmdSettings_Click()
{
    mnuProjectSettings_Click();
}

void frmMain::cmdRefresh_Click()
{
    LoadBackup(false, QString());
}

void frmMain::cmdWebsite_Click()
{
    if (frmWebsite* website = Form<frmWebsite>::load())
        website->show();
}

void frmMain::Command1_Click()
{
    const QString failure = writeLocalizationTemplate();
    if (!failure.isEmpty())
        qWarning("%s", qUtf8Printable(failure));
}

void frmMain::reportNotOpened(const QString& location, const QVariantList& args, const QString& window)
{
    core::reportFailure(location, args, core::err::ObjectNotSet,
                        QStringLiteral("The window %1 could not be opened.").arg(window));
}

void frmMain::mnuFileNewItem_Click()
{
    editors::frmWizard* wizard = Form<editors::frmWizard>::load();
    if (!wizard) {
        reportNotOpened(QStringLiteral("frmMain.mnuFileNewItem_Click"), {}, QStringLiteral("frmWizard"));
        return;
    }
    wizard->exec();
    if (newItem) {
        newItem = false;
        LoadBackupSets(-1);
    }
}

void frmMain::mnuFileRestore_Click()
{
    cmdRestore_Click();
}

void frmMain::mnuFileDelete_Click()
{
    const QTreeWidgetItem* row = lstBackupSet->currentItem();
    if (!row || !row->isSelected())
        return;
    const QString name = row->text(0);
    // A run would write the document again, and a queued set would find it gone.
    if (setIsBusy(name))
        return;
    platform::Message question;
    question.text = message("MSG_CONFIRM_DELETION").replace(QStringLiteral("<filename>"), name);
    question.title = core::state().AppTitle;
    question.buttons = platform::Buttons::YesNo;
    question.icon = platform::Icon::Exclamation;
    question.defaultAnswer = platform::Answer::No;
    question.parent = this;
    if (platform::prompt().show(question) != platform::Answer::Yes)
        return;
    // The question let the clock run: the set may have been queued meanwhile.
    if (setIsBusy(name))
        return;
    // The document's .bak copy and the restore list stay, so the set can still be brought back.
    for (const QString& path : {core::setDocumentPath(name), fileListCachePath(name), core::setFileListPath(name)}) {
        QFile file(path);
        if (file.exists() && !file.remove()) {
            core::reportFailure(QStringLiteral("frmMain.mnuFileDelete_Click"), {}, core::err::PermissionDenied,
                                QStringLiteral("%1 cannot be deleted: %2").arg(path, file.errorString()));
        }
    }
    setSetCommands(false, false, false, false);
    LoadBackupSets(-1);
}

void frmMain::mnuFileSettings_Click()
{
    mnuProjectSettings_Click();
}

void frmMain::mnu_Pref_Click()
{
    if (!Form<frmPrefs2>::load()) {
        reportNotOpened(QStringLiteral("frmMain.mnu_Pref_Click"), {}, QStringLiteral("frmPrefs2"));
        return;
    }
    showPreferences(false);
}

void frmMain::mnuFileExit_Click()
{
    m_close.ExitRequested = true;
    unloadWindow(UnloadMode::Code);
}

void frmMain::mnuProjectSettings_Click()
{
    Modified = false;
    editors::frmSettings* settings = Form<editors::frmSettings>::load();
    if (!settings) {
        reportNotOpened(QStringLiteral("frmMain.mnuProjectSettings_Click"), {}, QStringLiteral("frmSettings"));
        return;
    }
    settings->show();
}

void frmMain::mnuViewToolbar_Click()
{
    tlbTools->setVisible(!tlbTools->isVisible());
    mnuViewToolbar->setChecked(tlbTools->isVisible());
    Form_Resize();
}

void frmMain::mnuViewStatusBar_Click()
{
    StatusBar1->setVisible(!StatusBar1->isVisible());
    mnuViewStatusBar->setChecked(StatusBar1->isVisible());
    Form_Resize();
}

void frmMain::mnuViewRefresh_Click()
{
    // The set the user works on stays selected, wherever the rebuilt list puts it.
    SetListing listing = main_window::LoadBackupSets(-1);
    if (const QTreeWidgetItem* selected = selectedSetRow()) {
        for (qsizetype i = 0; i < listing.rows.size(); ++i) {
            if (listing.rows.at(i).name == selected->text(0))
                listing.selectedRow = static_cast<int>(i);
        }
    }
    showSetListing(listing);
}

void frmMain::mnuRunItem_Click(int) { }

void frmMain::mnuToolsItem_Click(int Index)
{
    const QString location = QStringLiteral("frmMain.mnuToolsItem_Click(Index)");
    QWidget* tool = nullptr;
    switch (Index) {
    case 0:
        tool = Form<restore::frmExtract>::load();
        break;
    case 1:
        tool = Form<restore::frmDecrypt>::load();
        break;
    case 2:
        viewLog();
        return;
    default:
        return;
    }
    if (!tool) {
        reportNotOpened(location, {Index}, Index == 0 ? QStringLiteral("frmExtract") : QStringLiteral("frmDecrypt"));
        return;
    }
    tool->show();
    tool->raise();
}

void frmMain::viewLog()
{
    const QString location = QStringLiteral("frmMain.mnuToolsItem_Click(Index)");
    const QString path = core::RunLogPath();
    if (core::FileExists(path)) {
        const qint32 code = platform::ShellExecuteOpen(path, platform::ProgramFolder::path());
        if (code <= 32) {
            const QString why = code == platform::ShellNoAssociation
                ? QStringLiteral("this system has no program set to open text files")
                : core::ShowShellExecuteError(code, false).toLower();
            platform::Message failure;
            failure.text = QStringLiteral("The log file %1 could not be opened: %2. Any text editor can open it.")
                               .arg(path, why);
            failure.title = core::state().AppTitle;
            failure.icon = platform::Icon::Exclamation;
            failure.parent = this;
            core::reportFailure(location, {2}, core::err::FileNotFound, failure.text);
            platform::prompt().show(failure);
        }
        return;
    }
    platform::Message question;
    question.text = message("MSG_LOGGING");
    question.buttons = platform::Buttons::YesNo;
    question.parent = this;
    if (platform::prompt().show(question) != platform::Answer::Yes)
        return;
    core::state().LoggingEnabled = true;
    if (!core::WritePreference(QStringLiteral("chkLog"), QStringLiteral("1")))
        core::reportFailure(
            location, {2}, core::err::PathFileAccess,
            QStringLiteral("The logging switch cannot be stored; logging is on until the program ends."));
    core::LogEvent(QStringLiteral("Started Logging"));
}

void frmMain::mnuLanguagesItem_Click(int Index)
{
    localisation::frmLanguage* languages = Form<localisation::frmLanguage>::load();
    if (!languages) {
        reportNotOpened(QStringLiteral("frmMain.mnuLanguagesItem_Click(Index)"), {Index},
                        QStringLiteral("frmLanguage"));
        return;
    }
    languages->show();
    languages->raise();
}

void frmMain::mnuHelpItem_Click(int)
{
    Form8::helpCycle();
}

void frmMain::mnuAboutItem_Click(int Index)
{
    frmAbout* about = Form<frmAbout>::load();
    if (!about) {
        reportNotOpened(QStringLiteral("frmMain.mnuAboutItem_Click(Index)"), {Index}, QStringLiteral("frmAbout"));
        return;
    }
    about->show();
    about->raise();
}

void frmMain::mnuHelpAbout_Click()
{
    frmAbout* about = Form<frmAbout>::load();
    if (!about) {
        reportNotOpened(QStringLiteral("frmMain.mnuHelpAbout_Click"), {}, QStringLiteral("frmAbout"));
        return;
    }
    about->exec();
}

void frmMain::tlbTools_ButtonClick(int index)
{
    switch (index) {
    case 1:
        mnuFileNewItem_Click();
        break;
    case 3:
        mnuFileExecute_Click();
        break;
    case 4: {
        core::state().bStopBackup = false;
        restore::frmVersions* versions = Form<restore::frmVersions>::load();
        if (!versions) {
            reportNotOpened(QStringLiteral("frmMain.tlbTools_ButtonClick(Button)"), {index},
                            QStringLiteral("frmVersions"));
            break;
        }
        versions->show();
        versions->raise();
        break;
    }
    case 5:
        mnuFileDelete_Click();
        break;
    case 7:
        mnuProjectSettings_Click();
        break;
    case 8:
        mnuViewRefresh_Click();
        break;
    case 10:
        mnuHelpAbout_Click();
        break;
    case 14: {
        platform::Message question;
        question.text = message("MSG_REALLY_EXIT");
        question.buttons = platform::Buttons::YesNo;
        question.icon = platform::Icon::Critical;
        // An Enter meant for the list must not end the program.
        question.defaultAnswer = platform::Answer::No;
        question.parent = this;
        // The exit itself is the one every exit takes: the column widths, the tray icon, the closing
        // line, and a running backup ended through its Cancel first.
        if (platform::prompt().show(question) == platform::Answer::Yes) {
            m_exitConfirmed = true;
            m_close.ExitRequested = true;
            unloadWindow(UnloadMode::Code);
        }
        break;
    }
    default:
        break;
    }
}

} // namespace main_window
