#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "engine/frmProcessing.h"
#include "ftp/frmAddFTP.h"
#include "ftp/frmFTPBrowse.h"
#include "mail/MailSender.h"
#include "mail/frmEmailAdd.h"
#include "main_window/MainWindowTest.h"
#include "main_window/frmPrefs2.h"
#include "platform/EventLoop.h"
#include "restore/frmDecrypt.h"
#include "restore/frmExtract.h"
#include "restore/frmVersions.h"

using platform::Form;

namespace
{
class NeighbourWindowsTest : public test::MainWindowTest
{ };
} // namespace

TEST_F(NeighbourWindowsTest, RunWindowUnloadsAtOnceOnAStopRequest)
{
    core::state().bStopBackup = true;
    EXPECT_EQ(Form<engine::frmProcessing>::load(), nullptr);
    EXPECT_EQ(Form<engine::frmProcessing>::loaded(), nullptr);
}

TEST_F(NeighbourWindowsTest, RunWindowRunsOnceAndCloseRequestsTheStop)
{
    engine::frmProcessing* run = Form<engine::frmProcessing>::load();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->Timer1->interval(), 250);
    EXPECT_TRUE(run->Timer1->isActive());
    run->Timer1_Timer();
    EXPECT_FALSE(run->Timer1->isActive());
    EXPECT_TRUE(core::state().bBackupFinished);

    run->lblStatus->setPlainText("old status");
    run->turnOffTimer();
    EXPECT_TRUE(run->Timer1->isActive());
    EXPECT_TRUE(run->lblStatus->toPlainText().isEmpty());

    run->cmdClose_Click();
    EXPECT_TRUE(core::state().bStopBackup);
    EXPECT_EQ(Form<engine::frmProcessing>::loaded(), nullptr);
}

TEST_F(NeighbourWindowsTest, RunWindowStaysHiddenWhileTheMainWindowIs)
{
    startThroughSplash("/silent");
    engine::frmProcessing* run = Form<engine::frmProcessing>::load();
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(run->isHidden());
}

TEST_F(NeighbourWindowsTest, FtpDialogShowsTheDefaultsAndSeedsOnlyEmptyPreferences)
{
    core::WritePreference("txtFTPHost", "ftp.example.org");
    core::WritePreference("txtFTPPassword", core::ScramblePassword("secret"));
    core::WritePreference("txtFTPPassive", "yes");
    ftp::frmAddFTP* dialog = Form<ftp::frmAddFTP>::load();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->txtFTPHost->text(), "ftp.example.org");
    EXPECT_EQ(dialog->txtFTPPort->text(), "21");
    EXPECT_EQ(dialog->txtFTPFolder->text(), "/");
    EXPECT_EQ(dialog->txtFTPPassword->text(), "secret");
    EXPECT_FALSE(dialog->chkFTPPassive->isChecked());

    dialog->txtFTPHost->setText("other.example.org");
    dialog->txtFTPUsername->setText("anna");
    dialog->txtFTPPassword->setText("changed");
    dialog->chkFTPPassive->setChecked(true);
    dialog->cmdOK_Click();

    EXPECT_EQ(core::ReadPreference("txtFTPHost", ""), "ftp.example.org");
    EXPECT_EQ(core::ReadPreference("txtFTPUsername", ""), "anna");
    EXPECT_EQ(core::ReadPreference("txtFTPPassword", ""), core::ScramblePassword("secret"));
    EXPECT_EQ(core::ReadPreference("txtFTPPort", ""), "21");
    EXPECT_EQ(core::ReadPreference("txtFTPPassive", ""), "yes");
    EXPECT_EQ(Form<ftp::frmAddFTP>::loaded(), nullptr);
}

TEST_F(NeighbourWindowsTest, FolderBrowserOpensOnlyWhenTheFtpDialogAsks)
{
    EXPECT_EQ(Form<ftp::frmFTPBrowse>::load(), nullptr);
    core::state().FTPBrowseRequested = true;
    EXPECT_NE(Form<ftp::frmFTPBrowse>::load(), nullptr);
}

TEST_F(NeighbourWindowsTest, MailWithoutSettingsAsksForThemAndEndsNotSent)
{
    main_window::frmMain* main = loadMain();
    core::state().MailIsTest = true;
    core::state().bMailSuccess = true;
    mail::SendEmail();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown.at(0).text, "You must fill out email server preferences before sending mail.");
    EXPECT_TRUE(core::state().bMailDone);
    EXPECT_FALSE(core::state().bMailSuccess);
    ASSERT_NE(Form<main_window::frmPrefs2>::loaded(), nullptr);
    EXPECT_TRUE(Form<main_window::frmPrefs2>::loaded()->isVisible());
    EXPECT_TRUE(main->statusPanel(1)->text().isEmpty());
}

TEST_F(NeighbourWindowsTest, MailWithSettingsLogsTheStartAndShowsItsEnd)
{
    main_window::frmMain* main = loadMain();
    // A port nothing listens on: the attempt ends at once, refused.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString port = QString::number(closed.serverPort());
    closed.close();
    core::WritePreference("txtEmailTo", "test@example.org");
    core::WritePreference("txtEmailFrom", "me@example.org");
    core::WritePreference("txtServer", "127.0.0.1");
    core::WritePreference("txtPort", port);
    core::state().LoggingEnabled = true;
    core::state().MailIsTest = true;
    mail::SendEmail();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(log().contains("To: test@example.org\r\n"));
    EXPECT_TRUE(log().contains("From: me@example.org\r\n"));
    EXPECT_TRUE(log().contains("Server: 127.0.0.1\r\n"));
    EXPECT_TRUE(platform::waitWhile([] { return mail::MailSender::instance().busy(); }, 10000));
    EXPECT_TRUE(main->statusPanel(1)->text().startsWith("Error: Could not connect to 127.0.0.1"))
        << main->statusPanel(1)->text().toStdString();
    EXPECT_TRUE(core::state().bMailDone);
    EXPECT_FALSE(core::state().bMailSuccess);
    // The end of a mail enables the test button of an open window only; it opens none.
    EXPECT_EQ(Form<main_window::frmPrefs2>::loaded(), nullptr);
}

TEST_F(NeighbourWindowsTest, MailRecipientIsTheTestAddressOrTheCurrentDestination)
{
    core::WritePreference("txtEmailTo", "test@example.org");
    core::WritePreference("txtPassword2", core::ScramblePassword("pw"));
    core::WritePreference("chkAuth", "1");
    core::state().CurrentSet.Dest[2].EmailID = "set@example.org";
    core::state().CurrentSet.CurrentDestination = 2;

    core::state().MailIsTest = true;
    mail::LoadMailSettings();
    EXPECT_EQ(mail::mailValues().MailTo, "test@example.org");
    EXPECT_EQ(mail::mailValues().MailPort, "25");
    EXPECT_EQ(mail::mailValues().MailPassword, "pw");
    EXPECT_TRUE(mail::mailValues().MailUseAuth);

    core::state().MailIsTest = false;
    mail::LoadMailSettings();
    EXPECT_EQ(mail::mailValues().MailTo, "set@example.org");
}

TEST_F(NeighbourWindowsTest, MailDestinationDialogKeepsTheTestAddress)
{
    mail::frmEmailAdd* dialog = Form<mail::frmEmailAdd>::load();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->txtEmail->text(), mail::PlaceholderAddress);
    EXPECT_EQ(core::ReadPreference("txtEmailTo", "<missing>"), "<missing>") << "showing the default writes nothing";
    dialog->txtEmail->setText("anna@example.org");
    EXPECT_EQ(core::ReadPreference("txtEmailTo", ""), "anna@example.org");
}

TEST_F(NeighbourWindowsTest, RestoreButtonClearsTheStopAndOpensAFreshChooser)
{
    main_window::frmMain* main = loadMain();
    core::state().CurrentSet.ItemName = "Set";
    core::state().strSetText = "<VERSIONS>\r\n"
                               "LAN|/backup/a|/backup/a/Set.zip|01/12/2026 10:00:00|1|1|0|\r\n"
                               "EMAIL|x\r\n"
                               "FTP|u|p|ftp.example.org|21|/|/Set.zip|02/12/2026 11:00:00|1|1|0|\r\n"
                               "</VERSIONS>\r\n";
    restore::frmVersions* first = Form<restore::frmVersions>::load();
    core::state().bStopBackup = true;
    main->cmdRestore_Click();
    EXPECT_FALSE(core::state().bStopBackup);
    restore::frmVersions* chooser = Form<restore::frmVersions>::loaded();
    ASSERT_NE(chooser, nullptr);
    EXPECT_NE(chooser, first);
    EXPECT_TRUE(chooser->isVisible());
    ASSERT_EQ(chooser->lvArchives->topLevelItemCount(), 2);
    EXPECT_EQ(chooser->lvArchives->topLevelItem(0)->text(0), "LAN/Local Folder");
    EXPECT_EQ(chooser->lvArchives->topLevelItem(0)->text(2), "/backup/a");
    EXPECT_EQ(chooser->lvArchives->topLevelItem(1)->text(1), "02/12/2026 11:00:00");
    EXPECT_EQ(chooser->lvArchives->topLevelItem(1)->text(2), "ftp.example.org");
}

TEST_F(NeighbourWindowsTest, EveryRestoreEntryOpensTheChooserWithTheStopCleared)
{
    main_window::frmMain* main = loadMain();
    core::state().CurrentSet.ItemName = "Set";
    core::state().strSetText = "<VERSIONS>\r\nLAN|/backup/a|/backup/a/Set.zip|01/12/2026 10:00:00|1|1|0|\r\n"
                               "</VERSIONS>\r\n";
    struct Entry
    {
        const char* name;
        std::function<void()> click;
        // The toolbar shows an open chooser as it is; the others open a fresh one.
        bool fresh;
    };
    const Entry entries[] = {
        {"Restore button", [main] { main->cmdRestore_Click(); }, true},
        {"File menu", [main] { main->mnuFileRestore_Click(); }, true},
        {"toolbar", [main] { main->tlbTools_ButtonClick(4); }, false},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.name);
        Form<restore::frmVersions>::unload();
        restore::frmVersions* open = Form<restore::frmVersions>::load();
        core::state().bStopBackup = true;
        entry.click();
        EXPECT_FALSE(core::state().bStopBackup);
        restore::frmVersions* chooser = Form<restore::frmVersions>::loaded();
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser != open, entry.fresh);
        EXPECT_TRUE(chooser->isVisible());
        EXPECT_EQ(chooser->lvArchives->topLevelItemCount(), 1);
    }
}

TEST_F(NeighbourWindowsTest, ToolsMenuOpensTheExtractAndDecryptTools)
{
    main_window::frmMain* main = loadMain();
    main->mnuToolsItem_Click(0);
    ASSERT_NE(Form<restore::frmExtract>::loaded(), nullptr);
    EXPECT_TRUE(Form<restore::frmExtract>::loaded()->isVisible());
    EXPECT_EQ(Form<restore::frmDecrypt>::loaded(), nullptr);
    main->mnuToolsItem_Click(1);
    ASSERT_NE(Form<restore::frmDecrypt>::loaded(), nullptr);
    EXPECT_TRUE(Form<restore::frmDecrypt>::loaded()->isVisible());
}
