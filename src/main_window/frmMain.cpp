// The main window: its controls, menus, toolbar and timers.

#include "main_window/frmMain.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
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

#include "engine/VersionPruning.h"
#include "localisation/Brand.h"
#include "localisation/WindowCaptions.h"
#include "main_window/ProgramPictures.h"
#include "main_window/SetListWidget.h"
#include "main_window/StartupOptions.h"
#include "platform/Form.h"
#include "platform/Named.h"
#include "platform/ServiceHost.h"
#include "platform/Tray.h"

namespace main_window
{
namespace
{

const char* const KeyProperty = "key";

std::function<void()>& programEnd()
{
    static std::function<void()> end = [] { QCoreApplication::exit(0); };
    return end;
}

QFrame* pictureBox(QWidget* parent, const char* name)
{
    auto* box = platform::named<QFrame>(name, parent);
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
    auto* central = platform::named<QWidget>("centralWidget", this);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);

    Picture1 = pictureBox(central, "Picture1");
    layout->addWidget(Picture1);

    lstBackupSet = platform::named<SetListWidget>("lstBackupSet", central);
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

    lblBackupSet = platform::named<QLabel>(
        "lblBackupSet", QStringLiteral("Files and folders in the currently selected backup set:"), central);
    layout->addWidget(lblBackupSet);
    auto* folderRow = new QHBoxLayout;
    imgCombo = platform::named<QComboBox>("imgCombo", central);
    folderRow->addWidget(imgCombo, 1);
    cmdRefresh = platform::named<QPushButton>("cmdRefresh", QStringLiteral("Refresh"), central);
    cmdRefresh->hide();
    folderRow->addWidget(cmdRefresh);
    tlbUplevel = platform::named<QToolBar>("tlbUplevel", central);
    QAction* up = tlbUplevel->addAction(style()->standardIcon(QStyle::SP_FileDialogToParent), QString());
    up->setToolTip(QStringLiteral("Up one level"));
    folderRow->addWidget(tlbUplevel);
    layout->addLayout(folderRow);

    lstBackupFiles = platform::named<QTreeWidget>("lstBackupFiles", central);
    lstBackupFiles->setRootIsDecorated(false);
    lstBackupFiles->setHeaderLabels({QStringLiteral("File name")});
    layout->addWidget(lstBackupFiles, 1);

    auto* buttonRow = new QHBoxLayout;
    cmdNewItem = platform::named<QPushButton>("cmdNewItem", QStringLiteral("New Item"), central);
    cmdBackup = platform::named<QPushButton>("cmdBackup", QStringLiteral("Backup"), central);
    cmdRestore = platform::named<QPushButton>("cmdRestore", QStringLiteral("Restore"), central);
    cmdDelete = platform::named<QPushButton>("cmdDelete", QStringLiteral("Delete"), central);
    cmdSettings = platform::named<QPushButton>("cmdSettings", QStringLiteral("Settings"), central);
    for (QPushButton* button : {cmdNewItem, cmdBackup, cmdRestore, cmdDelete, cmdSettings})
        buttonRow->addWidget(button);
    for (QPushButton* button : {cmdBackup, cmdRestore, cmdDelete, cmdSettings})
        button->setEnabled(false);
    cmdWebsite = platform::named<QPushButton>("cmdWebsite", QString(), central);
    cmdWebsite->setFlat(true);
    cmdWebsite->setCursor(Qt::PointingHandCursor);
    buttonRow->addWidget(cmdWebsite, 1);
    Command1 = platform::named<QPushButton>("Command1", QStringLiteral("Command1"), central);
    Command1->hide();
    layout->addLayout(buttonRow);

    lstSchedule = platform::named<QListWidget>("lstSchedule", central);
    lstSchedule->hide();
    pctTray = pictureBox(central, "pctTray");
    picIconUnknown = pictureBox(central, "picIconUnknown");
    PicIconFolder = pictureBox(central, "PicIconFolder");
    picInvisiblePictureBox = pictureBox(central, "picInvisiblePictureBox");
    folderPicture = style()->standardIcon(QStyle::SP_DirIcon);
    unknownPicture = style()->standardIcon(QStyle::SP_FileIcon);

    StatusBar1 = platform::named<QStatusBar>("StatusBar1", this);
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
    mnuTray = platform::named<QMenu>("mnuTray", QStringLiteral("&Tray"), this);
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

    tlbTools = platform::named<QToolBar>("tlbTools", this);
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
    tmrScheduler = platform::namedTimer(this, "tmrScheduler", 500);
    tmrProcessSchedule = platform::namedTimer(this, "tmrProcessSchedule", 500);
    timSchedule = platform::namedTimer(this, "timSchedule", 250);
    tmrTrayIcon = platform::namedTimer(this, "tmrTrayIcon", 5000);
    mailTimer = platform::namedTimer(this, "mailTimer", 1000);
    tmrScheduler->start();
    tmrTrayIcon->start();
    connect(tmrScheduler, &QTimer::timeout, this, &frmMain::tmrScheduler_Timer);
    connect(tmrProcessSchedule, &QTimer::timeout, this, &frmMain::tmrProcessSchedule_Timer);
    connect(timSchedule, &QTimer::timeout, this, &frmMain::timSchedule_Timer);
    connect(tmrTrayIcon, &QTimer::timeout, this, &frmMain::tmrTrayIcon_Timer);
    m_exitWait = new QTimer(this);
    m_exitWait->setInterval(RunQueue::ExitWaitIntervalMs);
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

} // namespace main_window
