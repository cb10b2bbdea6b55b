#include <QDir>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "FtpTestSupport.h"
#include "FtpWindowsTest.h"
#include "core/ProgramState.h"
#include "ftp/clsFtpClient.h"
#include "ftp/frmAddFTP.h"
#include "ftp/frmFTPBrowse.h"
#include "ftp/frmFTPNewFolder.h"
#include "platform/EventLoop.h"
#include "support/Screenshot.h"

using platform::Form;

namespace
{
class FtpScreenshotTest : public test::FtpWindowsTest
{ };
} // namespace

TEST_F(FtpScreenshotTest, TheFtpWindowsLookLikeRealWindows)
{
    test::FtpPeer peer;
    ASSERT_TRUE(QDir(peer.root()).mkpath("backups/daily"));
    ASSERT_TRUE(QDir(peer.root()).mkpath("public_html"));
    ASSERT_TRUE(test::writeFile(peer.root() + "/welcome.txt", "hello"));
    ASSERT_TRUE(test::writeFile(peer.root() + "/set-2026-12-10.zip", QByteArray(1234567, 'z')));
    ASSERT_TRUE(peer.start()) << peer.error().toStdString();
    core::state().AppTitle = "Quillback";

    ftp::frmAddFTP* dialog = Form<ftp::frmAddFTP>::load();
    dialog->txtFTPHost->setText("127.0.0.1");
    dialog->txtFTPPort->setText(QString::number(peer.port()));
    dialog->txtFTPUsername->setText(test::FtpPeer::user());
    dialog->txtFTPPassword->setText(test::FtpPeer::password());
    dialog->txtFTPFolder->setText("/backups");
    dialog->show();
    EXPECT_FALSE(test::saveScreenshot(dialog, "ftp_destination_dialog").isEmpty());

    dialog->txtFTPFolder->setText("/");
    core::state().FTPBrowseRequested = true;
    ftp::frmFTPBrowse* browser = Form<ftp::frmFTPBrowse>::load();
    ASSERT_NE(browser, nullptr);
    browser->show();
    ASSERT_TRUE(
        platform::waitWhile([browser] { return browser->Timer1->isActive() || browser->session()->Busy(); }, 15000));
    browser->ListView1->setCurrentItem(browser->ListView1->topLevelItem(0));
    EXPECT_FALSE(test::saveScreenshot(browser, "ftp_folder_browser").isEmpty());

    ftp::frmFTPNewFolder* prompt = Form<ftp::frmFTPNewFolder>::load();
    prompt->txtFolderName->setText("weekly");
    prompt->show();
    EXPECT_FALSE(test::saveScreenshot(prompt, "ftp_new_folder").isEmpty());
}
