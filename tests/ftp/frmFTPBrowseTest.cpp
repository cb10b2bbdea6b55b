#include "ftp/frmFTPBrowse.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTcpServer>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "FtpTestSupport.h"
#include "FtpWindowsTest.h"
#include "core/ProgramState.h"
#include "ftp/frmAddFTP.h"
#include "ftp/frmFTPNewFolder.h"
#include "platform/EventLoop.h"
#include "support/Waits.h"

using ftp::frmAddFTP;
using ftp::frmFTPBrowse;
using ftp::frmFTPNewFolder;
using platform::Form;

namespace
{
class frmFTPBrowseTest : public test::FtpWindowsTest
{
protected:
    void SetUp() override
    {
        FtpWindowsTest::SetUp();
        const QString root = peer.root();
        ASSERT_TRUE(QDir(root).mkpath("backup/daily"));
        ASSERT_TRUE(QDir(root).mkpath("docs"));
        ASSERT_TRUE(test::writeFile(root + "/backup/old.zip", QByteArray(1234, 'z')));
        for (const char* name : {"README", "notes.", "INDEX.HTM"})
            ASSERT_TRUE(test::writeFile(root + "/" + name, "x"));
        ASSERT_TRUE(peer.start()) << peer.error().toStdString();
    }

    // The destination dialog with the peer's values, then the browser over it, started and settled.
    // Only a test of a silent server gives the session a short time-out: elsewhere a slow answer from a
    // busy machine must not pass for silence.
    frmFTPBrowse* openBrowser(const QString& folder, bool passive, const QString& password = test::FtpPeer::password(),
                              int port = -1, int timeOutSeconds = test::EventLimitMs / 1000)
    {
        frmAddFTP* destination = Form<frmAddFTP>::load();
        destination->txtFTPHost->setText("127.0.0.1");
        destination->txtFTPPort->setText(QString::number(port < 0 ? peer.port() : port));
        destination->txtFTPUsername->setText(test::FtpPeer::user());
        destination->txtFTPPassword->setText(password);
        destination->txtFTPFolder->setText(folder);
        destination->chkFTPPassive->setChecked(passive);
        core::state().FTPBrowseRequested = true;
        frmFTPBrowse* browser = Form<frmFTPBrowse>::load();
        if (!browser)
            return nullptr;
        (void)browser->session()->setTimeOut(timeOutSeconds);
        // Earlier logs stay: a closed session may still report until it is gone.
        logs.push_back(std::make_unique<test::SessionLog>(*browser->session()));
        log = logs.back().get();
        browser->show();
        settle(browser);
        return browser;
    }
    static void settle(frmFTPBrowse* browser)
    {
        ASSERT_TRUE(platform::waitWhile(
            [browser] { return browser->Timer1->isActive() || (browser->session() && browser->session()->Busy()); },
            2 * test::EventLimitMs));
    }
    static QStringList rows(const frmFTPBrowse* browser)
    {
        QStringList found;
        for (int i = 0; i < browser->ListView1->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = browser->ListView1->topLevelItem(i);
            found << QString("%1 %2").arg(frmFTPBrowse::rowIcon(row)).arg(row->text(0));
        }
        return found;
    }
    static QTreeWidgetItem* row(const frmFTPBrowse* browser, const QString& name)
    {
        const auto found = browser->ListView1->findItems(name, Qt::MatchExactly);
        return found.value(0);
    }
    static void doubleClick(frmFTPBrowse* browser, const QString& name)
    {
        QTreeWidgetItem* item = row(browser, name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        browser->ListView1->setCurrentItem(item);
        emit browser->ListView1->itemDoubleClicked(item, 0);
        settle(browser);
    }
    static QString status(const frmFTPBrowse* browser) { return browser->stBar->currentMessage(); }

    test::FtpPeer peer;
    std::vector<std::unique_ptr<test::SessionLog>> logs;
    test::SessionLog* log = nullptr;
};

const QStringList rootRows {"2 backup", "2 docs", "3 INDEX.HTM", "4 README", "3 notes."};
} // namespace

TEST_F(frmFTPBrowseTest, StartsInTheFolderTextAndWalksDownAndUpInBothModes)
{
    struct Case
    {
        QString folder;
        QString current;
        QStringList rows;
    };
    const Case cases[] = {
        {"/", "/", rootRows},
        {"  ", "/", rootRows},
        {"/backup", "/backup", {"1 Go to parent directory", "2 daily", "4 old.zip"}},
        {"backup", "/backup", {"1 Go to parent directory", "2 daily", "4 old.zip"}},
        {"/backup/daily", "/backup/daily", {"1 Go to parent directory"}},
    };
    for (const bool passive : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE((c.folder + (passive ? " passive" : " active")).toStdString());
            frmFTPBrowse* browser = openBrowser(c.folder, passive);
            ASSERT_NE(browser, nullptr);
            EXPECT_EQ(browser->session()->CurrentDirectory(), c.current);
            QStringList found = rows(browser);
            std::sort(found.begin() + (found.value(0).startsWith("1 ") ? 1 : 0), found.end(),
                      [](const QString& a, const QString& b) {
                          return std::pair(a.at(0) != '2', a.mid(2)) < std::pair(b.at(0) != '2', b.mid(2));
                      });
            EXPECT_EQ(found, c.rows);
            EXPECT_EQ(status(browser), "Connected!");
            // The first listing already uses the destination's kind of data connection.
            const QStringList commands = log->commands();
            const auto firstData = std::find_if(commands.begin(), commands.end(), [](const QString& command) {
                return command.startsWith("PASV") || command.startsWith("PORT");
            });
            ASSERT_NE(firstData, commands.end());
            EXPECT_TRUE(firstData->startsWith(passive ? "PASV" : "PORT")) << firstData->toStdString();
            EXPECT_EQ(commands.count("LIST "), 1) << commands.join(" | ").toStdString();
            browser->cmdCancel->click();
        }

        frmFTPBrowse* browser = openBrowser("/", passive);
        ASSERT_NE(browser, nullptr);
        doubleClick(browser, "backup");
        EXPECT_EQ(browser->session()->CurrentDirectory(), "/backup");
        EXPECT_EQ(rows(browser).value(0), "1 Go to parent directory");
        doubleClick(browser, "daily");
        EXPECT_EQ(browser->session()->CurrentDirectory(), "/backup/daily");
        doubleClick(browser, "Go to parent directory");
        EXPECT_EQ(browser->session()->CurrentDirectory(), "/backup");
        doubleClick(browser, "Go to parent directory");
        EXPECT_EQ(browser->session()->CurrentDirectory(), "/");
        EXPECT_EQ(rows(browser).size(), rootRows.size()) << "no parent row in the root";
        // A file row does nothing.
        const int commands = log->commands().size();
        doubleClick(browser, "README");
        EXPECT_EQ(log->commands().size(), commands);
        browser->cmdCancel->click();
    }
}

TEST_F(frmFTPBrowseTest, AMissingStartFolderLeavesTheBrowserInTheLoginFolderAndSaysSo)
{
    frmFTPBrowse* browser = openBrowser("/missing", true);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->session()->CurrentDirectory(), "/");
    EXPECT_EQ(rows(browser).size(), rootRows.size());
    EXPECT_TRUE(status(browser).startsWith("Could not open the folder /missing: 550")) << status(browser).toStdString();
    EXPECT_TRUE(status(browser).endsWith("Showing the login folder /.")) << status(browser).toStdString();
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(frmFTPBrowseTest, NewCreatesAFolderInTheCurrentOneAndARefusedOneIsShown)
{
    frmFTPBrowse* browser = openBrowser("/", false);
    ASSERT_NE(browser, nullptr);
    const auto create = [browser](const QString& name) {
        QTimer::singleShot(0, [name] {
            frmFTPNewFolder* prompt = Form<frmFTPNewFolder>::loaded();
            ASSERT_NE(prompt, nullptr);
            prompt->txtFolderName->setText(name);
            prompt->cmdCreate->click();
        });
        browser->cmdMKDIR->click();
        settle(browser);
    };
    create("  fresh set ");
    EXPECT_TRUE(QDir(peer.root() + "/fresh set").exists());
    EXPECT_TRUE(log->commands().contains("MKD /fresh set")) << log->commands().join(" | ").toStdString();
    EXPECT_NE(row(browser, "fresh set"), nullptr);
    EXPECT_TRUE(prompt.shown.empty());

    doubleClick(browser, "backup");
    create("inner");
    EXPECT_TRUE(QDir(peer.root() + "/backup/inner").exists());

    create("daily");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_TRUE(prompt.shown[0].text.startsWith("Could not create the folder /backup/daily: 550"))
        << prompt.shown[0].text.toStdString();
    EXPECT_EQ(status(browser), prompt.shown[0].text);
    EXPECT_NE(row(browser, "daily"), nullptr) << "listed afresh";

    // Cancel in the prompt creates nothing.
    const int commands = log->commands().size();
    QTimer::singleShot(0, [] { Form<frmFTPNewFolder>::loaded()->cmdCancel->click(); });
    browser->cmdMKDIR->click();
    EXPECT_EQ(log->commands().size(), commands);
    EXPECT_TRUE(browser->folderName.isEmpty());
}

TEST_F(frmFTPBrowseTest, OkWritesTheChosenFolderIntoTheDialogAndCancelLeavesIt)
{
    struct Case
    {
        QString start;
        QString selected; // empty: no row selected
        QString folder;
    };
    const Case cases[] = {
        {"/", "backup", "/backup"},
        {"/", "README", "/"},
        {"/", "", "/"},
        {"/backup", "daily", "/backup/daily"},
        {"/backup", "Go to parent directory", "/backup"},
        {"/backup", "old.zip", "/backup"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.start + " " + c.selected).toStdString());
        frmFTPBrowse* browser = openBrowser(c.start, true);
        ASSERT_NE(browser, nullptr);
        if (!c.selected.isEmpty())
            browser->ListView1->setCurrentItem(row(browser, c.selected));
        QPointer<ftp::clsFtpClient> session = browser->session();
        browser->cmdSelect->click();
        EXPECT_EQ(Form<frmAddFTP>::loaded()->txtFTPFolder->text(), c.folder);
        EXPECT_EQ(Form<frmFTPBrowse>::loaded(), nullptr);
        EXPECT_FALSE(core::state().FTPBrowseRequested);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(session.isNull());
    }

    frmFTPBrowse* browser = openBrowser("/backup", true);
    ASSERT_NE(browser, nullptr);
    browser->ListView1->setCurrentItem(row(browser, "daily"));
    browser->cmdCancel->click();
    EXPECT_EQ(Form<frmAddFTP>::loaded()->txtFTPFolder->text(), "/backup");
    EXPECT_FALSE(core::state().FTPBrowseRequested);
}

TEST_F(frmFTPBrowseTest, FailedLoginsShowTheirReasonInsteadOfAnEmptyList)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const int closedPort = closed.serverPort();
    closed.close();
    test::ScriptedServer silent {QByteArray()};

    struct Case
    {
        QString password;
        int port;
        QString reason;
    };
    const Case cases[] = {
        {"wrong", -1, "530"},
        {test::FtpPeer::password(), closedPort, "refused"},
        {test::FtpPeer::password(), silent.port(), "did not answer within 3 seconds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        prompt.shown.clear();
        frmFTPBrowse* browser = openBrowser("/", true, c.password, c.port, 3);
        ASSERT_NE(browser, nullptr);
        EXPECT_TRUE(rows(browser).isEmpty());
        EXPECT_TRUE(status(browser).startsWith("Could not log in to 127.0.0.1: ")) << status(browser).toStdString();
        EXPECT_TRUE(status(browser).contains(c.reason, Qt::CaseInsensitive)) << status(browser).toStdString();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, status(browser));
        browser->cmdCancel->click();
    }
}

TEST_F(frmFTPBrowseTest, AServerThatEndsLinesWithLfAndListsDotsShowsOnlyItsFolders)
{
    // Some small servers end their replies with a bare LF and list the folder and its parent.
    QTcpServer data;
    ASSERT_TRUE(data.listen(QHostAddress::LocalHost, 0));
    const quint16 dataPort = data.serverPort();
    test::ScriptedServer server {"220 ready\n", [&](QTcpSocket& socket, const QByteArray& line) {
                                     const QByteArray word = line.split(' ').value(0);
                                     if (word == "USER")
                                         socket.write("331 password\n");
                                     else if (word == "PASS")
                                         socket.write("230 in\n");
                                     else if (word == "PWD")
                                         socket.write("257 \"/\"\n");
                                     else if (word == "CWD")
                                         socket.write("250 ok\n");
                                     else if (word == "TYPE")
                                         socket.write("200 ok\n");
                                     else if (word == "PASV")
                                         socket.write(QStringLiteral("227 Passive (127,0,0,1,%1,%2)\n")
                                                          .arg(dataPort / 256)
                                                          .arg(dataPort % 256)
                                                          .toLatin1());
                                     else if (word == "LIST") {
                                         socket.write("150 here\n");
                                         if (!data.hasPendingConnections())
                                             data.waitForNewConnection(test::EventLimitMs);
                                         QTcpSocket* listing = data.nextPendingConnection();
                                         ASSERT_NE(listing, nullptr);
                                         listing->write("drwxr-xr-x 2 u g 4096 Jan 02  2024 .\n"
                                                        "drwxr-xr-x 9 u g 4096 Jan 02  2024 ..\n"
                                                        "drwxr-xr-x 2 u g 4096 Jan 02  2024 backup\n"
                                                        "-rw-r--r-- 1 u g 5 Jan 02  2024 notes.txt\n");
                                         listing->disconnectFromHost();
                                         socket.write("226 done\n");
                                     }
                                 }};
    frmFTPBrowse* browser = openBrowser("/", true, test::FtpPeer::password(), server.port());
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(rows(browser), (QStringList {"2 backup", "3 notes.txt"}));
    EXPECT_EQ(status(browser), "Connected!");
    browser->cmdCancel->click();
}

TEST_F(frmFTPBrowseTest, ClosingWhileTheServerIsSilentEndsTheWaitAndTheSession)
{
    test::ScriptedServer silent {QByteArray()};
    frmAddFTP* destination = Form<frmAddFTP>::load();
    destination->txtFTPHost->setText("127.0.0.1");
    destination->txtFTPPort->setText(QString::number(silent.port()));
    core::state().FTPBrowseRequested = true;
    frmFTPBrowse* browser = Form<frmFTPBrowse>::load();
    ASSERT_NE(browser, nullptr);
    QPointer<ftp::clsFtpClient> session = browser->session();
    browser->show();
    ASSERT_TRUE(platform::waitWhile([&session] { return !session->Busy(); }, test::EventLimitMs));
    browser->close();
    EXPECT_EQ(Form<frmFTPBrowse>::loaded(), nullptr);
    EXPECT_FALSE(core::state().FTPBrowseRequested);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(session.isNull());
    EXPECT_TRUE(prompt.shown.empty());

    // Without the dialog's request the browser does not stay.
    EXPECT_EQ(Form<frmFTPBrowse>::load(), nullptr);
}

TEST_F(frmFTPBrowseTest, BrowseFromTheDialogOpensTheBrowserModallyWithItsValues)
{
    frmAddFTP* destination = Form<frmAddFTP>::load();
    destination->txtFTPHost->setText("127.0.0.1");
    destination->txtFTPPort->setText(QString::number(peer.port()));
    destination->txtFTPUsername->setText(test::FtpPeer::user());
    destination->txtFTPPassword->setText(test::FtpPeer::password());
    destination->txtFTPFolder->setText("backup");
    destination->show();
    QTimer::singleShot(0, [] {
        frmFTPBrowse* browser = Form<frmFTPBrowse>::loaded();
        ASSERT_NE(browser, nullptr);
        EXPECT_TRUE(browser->isVisible());
        EXPECT_TRUE(core::state().FTPBrowseRequested);
        settle(browser);
        browser->ListView1->setCurrentItem(row(browser, "daily"));
        browser->cmdSelect->click();
    });
    destination->cmdBrowse->click();
    EXPECT_EQ(destination->txtFTPFolder->text(), "/backup/daily");
    EXPECT_EQ(Form<frmFTPBrowse>::loaded(), nullptr);
    EXPECT_FALSE(core::state().FTPBrowseRequested);

    // Without a user name the login is anonymous: the dialog's password stays in the dialog.
    destination->txtFTPUsername->clear();
    destination->txtFTPPassword->setText("not for anonymous");
    QTimer::singleShot(0, [] {
        frmFTPBrowse* browser = Form<frmFTPBrowse>::loaded();
        ASSERT_NE(browser, nullptr);
        settle(browser);
        EXPECT_EQ(browser->session()->Username(), "anonymous");
        EXPECT_EQ(browser->session()->Password(), ftp::clsFtpClient::anonymousPassword());
        browser->cmdCancel->click();
    });
    destination->cmdBrowse->click();
    EXPECT_EQ(destination->txtFTPFolder->text(), "/backup/daily");
}
