// The main window's command buttons, menus and toolbar.

#include "main_window/frmMain.h"

#include <QAction>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include "core/Ask.h"
#include "core/ErrorReport.h"
#include "core/FileSystemHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/Settings.h"
#include "core/ShellHelpers.h"
#include "editors/frmSettings.h"
#include "editors/frmWizard.h"
#include "localisation/Languages.h"
#include "localisation/frmLanguage.h"
#include "main_window/BackupSetList.h"
#include "main_window/Form8.h"
#include "main_window/TemplateWindows.h"
#include "main_window/frmAbout.h"
#include "main_window/frmPrefs2.h"
#include "main_window/frmWebsite.h"
#include "platform/Form.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "platform/Shell.h"
#include "restore/frmDecrypt.h"
#include "restore/frmExtract.h"
#include "restore/frmVersions.h"

namespace main_window
{
namespace
{
using localisation::message;
using platform::Form;

// The question names the set it would delete, also in a language whose text has no place for it.
QString deletionQuestion(const QString& setName)
{
    const QString placeholder = QStringLiteral("<filename>");
    QString text = message("MSG_CONFIRM_DELETION");
    if (!text.contains(placeholder))
        return text + QStringLiteral("\r\n\r\n\"") + setName + QLatin1Char('"');
    return text.replace(placeholder, setName);
}
} // namespace

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
    if (const platform::Result written = writeLocalizationTemplate(); !written)
        qWarning("%s", qUtf8Printable(written.reason()));
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
        // The commands then act on the set just made.
        listSetsSelecting(core::state().NewBackupSet.ItemName);
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
    if (core::ask(this, deletionQuestion(name), platform::Icon::Exclamation, platform::Buttons::YesNo,
                  platform::Answer::No)
        != platform::Answer::Yes)
        return;
    // The question let the clock run: the set may have been queued meanwhile.
    if (setIsBusy(name))
        return;
    deleteSetFiles(name);
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
    settings->raise();
    settings->activateWindow();
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
    const QTreeWidgetItem* selected = selectedSetRow();
    listSetsSelecting(selected ? selected->text(0) : QString());
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
            const QString failure
                = QStringLiteral("The log file %1 could not be opened: %2. Any text editor can open it.")
                      .arg(path, why);
            core::reportFailure(location, {2}, core::err::FileNotFound, failure);
            core::ask(this, failure);
        }
        return;
    }
    platform::Message question
        = core::programMessage(this, message("MSG_LOGGING"), platform::Icon::None, platform::Buttons::YesNo);
    question.title.clear();
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
        platform::Message question = core::programMessage(this, message("MSG_REALLY_EXIT"), platform::Icon::Critical,
                                                          platform::Buttons::YesNo);
        question.title.clear();
        // An Enter meant for the list must not end the program.
        question.defaultAnswer = platform::Answer::No;
        // The exit itself is the one every exit takes: the column widths, the tray icon, the closing
        // line, and a running backup ended through its Cancel first.
        if (platform::prompt().show(question) == platform::Answer::Yes) {
            m_queue.confirmExit();
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
