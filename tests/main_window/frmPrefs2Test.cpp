#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "core/Settings.h"
#include "localisation/Brand.h"
#include "mail/MailSender.h"
#include "main_window/MainWindowTest.h"
#include "main_window/frmPrefs2.h"
#include "peers/PeerProcess.h"
#include "platform/Autostart.h"
#include "platform/EventLoop.h"
#include "platform/FileDialogs.h"
#include "support/ScopedEnv.h"
#include "support/Screenshot.h"
#include "support/Waits.h"

using main_window::frmPrefs2;
using platform::Form;

namespace
{
class PreferencesWindowTest : public test::MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(config.isValid());
        platform::setFileDialogs(&dialogs);
    }
    void TearDown() override
    {
        platform::setFileDialogs(nullptr);
        MainWindowTest::TearDown();
    }

    QByteArray machineStore() const { return test::readFile(programFile("settings/machine.ini")); }
    static QString stored(const QString& name) { return core::ReadPreference(name, "<missing>"); }

    QTemporaryDir config;
    test::ScopedEnv configHome {"XDG_CONFIG_HOME", QFile::encodeName(config.path())};
    test::FakeFileDialogs dialogs;
};
} // namespace

TEST_F(PreferencesWindowTest, AnEmptyStoreShowsTheDefaultsAndWritesNothing)
{
    // The fixture stores chkLog; start from a store this window has never seen.
    QFile::remove(programFile("settings/machine.ini"));
    frmPrefs2* window = Form<frmPrefs2>::load();
    ASSERT_NE(window, nullptr);
    window->show();
    EXPECT_EQ(window->windowTitle(), "General Preferences");
    EXPECT_EQ(window->txtServer->text(), mail::PlaceholderServer);
    EXPECT_EQ(window->txtPort->text(), "25");
    EXPECT_EQ(window->txtEmailFrom->text(), mail::PlaceholderAddress);
    EXPECT_EQ(window->txtEmailTo->text(), mail::PlaceholderAddress);
    EXPECT_EQ(window->txtFTPPort->text(), "21");
    EXPECT_EQ(window->txtFTPFolder->text(), "/");
    for (QLineEdit* empty : {window->txtUsername, window->txtPassword2, window->txtFTPHost, window->txtFTPUsername,
                             window->txtFTPPassword, window->txtLanFolder})
        EXPECT_EQ(empty->text(), "") << empty->objectName().toStdString();
    for (QCheckBox* clear : {window->chkAuth, window->chkRunAtStart, window->chkMin, window->chkSplash,
                             window->chkNoShow, window->chkAlwaysExit, window->chkLog})
        EXPECT_FALSE(clear->isChecked()) << clear->objectName().toStdString();
    EXPECT_TRUE(window->chkAttachment->isChecked());
    EXPECT_FALSE(window->chkAttachment->isVisible());
    EXPECT_EQ(window->txtPassword2->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(window->cmdSend->isEnabled());

    EXPECT_TRUE(machineStore().isEmpty());
    EXPECT_TRUE(QDir(platform::autostartFolder()).isEmpty());
    EXPECT_FALSE(test::saveScreenshot(window, QStringLiteral("frmPrefs2")).isEmpty());
}

TEST_F(PreferencesWindowTest, FitsAScreen800PixelsHighWithItsTextsWhole)
{
    frmPrefs2* window = Form<frmPrefs2>::load();
    window->show();
    QCoreApplication::processEvents();
    ASSERT_EQ(window->screen()->availableGeometry().height(), 800);
    // A title bar and a desktop panel take some 70 pixels of such a screen.
    EXPECT_LE(window->frameGeometry().height(), 730);
    EXPECT_LE(window->minimumSizeHint().height(), 730);
    for (QCheckBox* box : window->findChildren<QCheckBox*>()) {
        if (box->isVisible())
            EXPECT_GE(box->width(), box->sizeHint().width()) << box->objectName().toStdString();
    }
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        EXPECT_GT(edit->width(), edit->fontMetrics().horizontalAdvance(edit->text()))
            << edit->objectName().toStdString();
    EXPECT_FALSE(test::saveScreenshot(window, QStringLiteral("frmPrefs2_fits")).isEmpty());
}

TEST_F(PreferencesWindowTest, EachShowingReadsTheStoreAgainAndWritesNothingBack)
{
    frmPrefs2* window = Form<frmPrefs2>::load();
    window->show();
    window->hide();
    // Written meanwhile by other windows, one of them with a check-box value that is no number.
    core::WritePreference("txtFTPHost", "ftp.example.net");
    core::WritePreference("chkNoShow", "1");
    core::WritePreference("chkAlwaysExit", "yes");
    core::WritePreference("txtPassword2", core::ScramblePassword("s3cret"));
    const QByteArray before = machineStore();
    window->show();
    EXPECT_EQ(window->txtFTPHost->text(), "ftp.example.net");
    EXPECT_TRUE(window->chkNoShow->isChecked());
    EXPECT_FALSE(window->chkAlwaysExit->isChecked());
    EXPECT_EQ(window->txtPassword2->text(), "s3cret");
    EXPECT_EQ(machineStore(), before);
}

TEST_F(PreferencesWindowTest, EveryControlStoresItsValueAtOnce)
{
    const struct
    {
        const char* control;
        QString typed;
        const char* name;
        QString stored;
    } texts[] = {
        {"txtServer", "smtp.example.org", "txtServer", "smtp.example.org"},
        {"txtPort", "2525", "txtport", "2525"},
        {"txtEmailFrom", "me@example.org", "txtEmailFrom", "me@example.org"},
        {"txtEmailTo", "you@example.org", "txtEmailTo", "you@example.org"},
        {"txtUsername", "me", "txtUsername", "me"},
        {"txtPassword2", "mail pass", "txtPassword2", core::ScramblePassword("mail pass")},
        {"txtFTPHost", "ftp.example.org", "txtFTPHost", "ftp.example.org"},
        {"txtFTPFolder", "/backups", "txtFTPfolder", "/backups"},
        {"txtFTPPort", "2121", "txtFTPPort", "2121"},
        {"txtFTPUsername", "ftpuser", "txtFTPUsername", "ftpuser"},
        {"txtFTPPassword", "ftp pass", "txtFTPPassword", core::ScramblePassword("ftp pass")},
        {"txtLanFolder", "/srv/backup", "txtLanFolder", "/srv/backup"},
    };
    frmPrefs2* window = Form<frmPrefs2>::load();
    window->show();
    for (const auto& t : texts) {
        SCOPED_TRACE(t.control);
        auto* box = window->findChild<QLineEdit*>(t.control);
        ASSERT_NE(box, nullptr);
        box->setText(t.typed);
        EXPECT_EQ(stored(t.name), t.stored);
    }
    EXPECT_NE(core::ScramblePassword("mail pass"), "mail pass");
    EXPECT_EQ(core::state().NotificationSettings.SMTP_Server, "smtp.example.org");

    const char* checks[] = {"chkSplash", "chkMin", "chkLog", "chkAlwaysExit", "chkNoShow", "chkAuth"};
    for (const char* name : checks) {
        SCOPED_TRACE(name);
        auto* box = window->findChild<QCheckBox*>(name);
        ASSERT_NE(box, nullptr);
        box->setChecked(false);
        box->click();
        EXPECT_EQ(stored(name), "1");
        box->click();
        EXPECT_EQ(stored(name), "0");
    }

    // A new window reads back what was typed, the names written in another case included.
    Form<frmPrefs2>::unload();
    QCoreApplication::processEvents();
    window = Form<frmPrefs2>::load();
    for (const auto& t : texts)
        EXPECT_EQ(window->findChild<QLineEdit*>(t.control)->text(), t.typed) << t.control;
}

TEST_F(PreferencesWindowTest, LoggingSwitchesAtOnce)
{
    frmPrefs2* window = Form<frmPrefs2>::load();
    core::state().LoggingEnabled = true;
    ASSERT_TRUE(window->chkLog->isChecked());
    window->chkLog->click();
    EXPECT_FALSE(core::state().LoggingEnabled);
    window->chkLog->click();
    EXPECT_TRUE(core::state().LoggingEnabled);
}

TEST_F(PreferencesWindowTest, RunAtStartWritesAndRemovesTheAutostartEntry)
{
    const QString name0 = localisation::BrandProgramName() + "0";
    const QString name1 = localisation::BrandProgramName() + "1";
    ASSERT_TRUE(platform::writeAutostartEntry(name1, "/old/quillback"));
    frmPrefs2* window = Form<frmPrefs2>::load();

    window->chkRunAtStart->click();
    const QString entry = QString::fromUtf8(test::readFile(platform::autostartEntryPath(name0)));
    // The program started at login finds this test's program folder, not the one beside it.
    EXPECT_TRUE(entry.contains("\nName=Quillback\n")) << entry.toStdString();
    EXPECT_TRUE(entry.contains(
        "\nExec="
        + platform::desktopExecLine({"env", "QUILLBACK_HOME=" + home.path(), QCoreApplication::applicationFilePath()})
        + "\n"))
        << entry.toStdString();
    EXPECT_FALSE(entry.contains(".exe"));
    EXPECT_FALSE(QFile::exists(platform::autostartEntryPath(name1)));
    EXPECT_EQ(core::ReadSetting(name0, "Settings", "chkRunAtStart", "<missing>"), "1");

    window->chkRunAtStart->click();
    EXPECT_FALSE(QFile::exists(platform::autostartEntryPath(name0)));
    EXPECT_EQ(core::ReadSetting(name0, "Settings", "chkRunAtStart", "<missing>"), "0");
}

TEST_F(PreferencesWindowTest, OpeningRewritesAnEntryLeftByAnOlderStart)
{
    const QString name0 = localisation::BrandProgramName() + "0";
    const QString name1 = localisation::BrandProgramName() + "1";
    core::WriteSetting(name0, "Settings", "chkRunAtStart", "1");
    // Written for another program folder, and a second entry of old.
    ASSERT_TRUE(test::writeFile(platform::autostartEntryPath(name0),
                                "[Desktop Entry]\nType=Application\nName=Quillback0\nExec=\"/old/quillback\"\n"));
    ASSERT_TRUE(platform::writeAutostartEntry(name1, "/old/quillback"));

    frmPrefs2* window = Form<frmPrefs2>::load();
    EXPECT_TRUE(window->chkRunAtStart->isChecked());
    const QString entry = QString::fromUtf8(test::readFile(platform::autostartEntryPath(name0)));
    EXPECT_TRUE(entry.contains(
        "\nExec="
        + platform::desktopExecLine({"env", "QUILLBACK_HOME=" + home.path(), QCoreApplication::applicationFilePath()})
        + "\n"))
        << entry.toStdString();
    EXPECT_FALSE(QFile::exists(platform::autostartEntryPath(name1)));
    EXPECT_EQ(core::ReadSetting(name0, "Settings", "chkRunAtStart", "<missing>"), "1");
}

TEST_F(PreferencesWindowTest, BrowseStoresTheChosenFolderAndACancelChangesNothing)
{
    frmPrefs2* window = Form<frmPrefs2>::load();
    window->txtLanFolder->setText("/srv/first");
    dialogs.choices.push_back(std::nullopt);
    window->cmdBrowse->click();
    EXPECT_EQ(window->txtLanFolder->text(), "/srv/first");
    EXPECT_EQ(stored("txtLanFolder"), "/srv/first");

    dialogs.choices.push_back(QString("/srv/chosen"));
    window->cmdBrowse->click();
    EXPECT_EQ(window->txtLanFolder->text(), "/srv/chosen");
    EXPECT_EQ(stored("txtLanFolder"), "/srv/chosen");
}

TEST_F(PreferencesWindowTest, TestMailReachesTheServerAndTheButtonReturnsWhenItEnds)
{
    QTemporaryDir received;
    test::PeerProcess peer;
    ASSERT_TRUE(peer.start("smtp_peer.py", {"--out", received.path()})) << peer.error().toStdString();
    loadMain();
    frmPrefs2* window = Form<frmPrefs2>::load();
    window->show();
    window->txtServer->setText("127.0.0.1");
    window->txtPort->setText(QString::number(peer.port()));
    window->txtEmailFrom->setText("me@example.org");
    window->txtEmailTo->setText("you@example.org");

    window->cmdSend->click();
    EXPECT_FALSE(window->cmdSend->isEnabled());
    ASSERT_TRUE(platform::waitWhile([] { return mail::MailSender::instance().busy(); }, 20000));
    EXPECT_TRUE(platform::waitWhile([window] { return !window->cmdSend->isEnabled(); }, test::EventLimitMs));
    EXPECT_TRUE(mail::MailSender::instance().lastOutcome().succeeded())
        << mail::MailSender::instance().lastOutcome().reason().toStdString();
    EXPECT_TRUE(QFile::exists(received.filePath("message-1.eml")));
}
