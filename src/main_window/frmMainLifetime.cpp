// The main window's start-up and shut-down, its layout, its tray icon and the service host's events.

#include "main_window/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include "core/Ask.h"
#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "core/RegistryHelpers.h"
#include "core/RunLog.h"
#include "core/Settings.h"
#include "core/ShellHelpers.h"
#include "core/WorkFolder.h"
#include "editors/frmFilesAndDirectories.h"
#include "editors/frmLanAdd.h"
#include "editors/frmSettings.h"
#include "editors/frmTimeStampSettings.h"
#include "editors/frmWizard.h"
#include "engine/frmProcessing.h"
#include "ftp/frmAddFTP.h"
#include "ftp/frmFTPBrowse.h"
#include "ftp/frmFTPNewFolder.h"
#include "localisation/Brand.h"
#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "localisation/frmLanguage.h"
#include "mail/frmEmailAdd.h"
#include "mail/frmSck.h"
#include "main_window/BackupSetList.h"
#include "main_window/Form8.h"
#include "main_window/StartupOptions.h"
#include "main_window/frmAbout.h"
#include "main_window/frmPrefs2.h"
#include "main_window/frmSplash.h"
#include "main_window/frmStillRunning.h"
#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Form.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "platform/ServiceHost.h"
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

QString programTitle()
{
    return localisation::BrandProgramName()
        + QStringLiteral(" %1.%2").arg(platform::version::Major).arg(platform::version::Minor);
}

QString columnKey(int column)
{
    return QStringLiteral("BackupSetColumn%1").arg(column);
}
} // namespace

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
    // Pruning during the load lets events run: a shut-down (SIGTERM, a session's end) may have come.
    if (m_unloaded)
        return;
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
        core::ask(this, serviceNoticeText(localisation::BrandProgramName()), platform::Icon::None);
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
    if (Form_QueryUnload(mode) && m_queue.stopRunBeforeExit(mode))
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
    m_queue.shutDown();
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
    m_queue.confirmExit();
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

} // namespace main_window
