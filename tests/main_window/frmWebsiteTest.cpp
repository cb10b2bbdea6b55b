#include <algorithm>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include "localisation/Brand.h"
#include "main_window/MainWindowTest.h"
#include "main_window/WebBrowser.h"
#include "main_window/frmWebsite.h"
#include "peers/LoopbackServers.h"
#include "peers/PeerProcess.h"
#include "platform/EventLoop.h"
#include "support/Screenshot.h"

using main_window::frmWebsite;
using platform::Form;

using test::closedPort;

namespace
{
class WebsiteWindowTest : public test::MainWindowTest
{
protected:
    static void SetUpTestSuite()
    {
        server = new test::PeerProcess;
        ASSERT_TRUE(server->start(QStringLiteral("http_peer.py"))) << server->error().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    void TearDown() override
    {
        frmWebsite::setStartAddress(QString());
        MainWindowTest::TearDown();
    }

    static QString address(const QString& path)
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server->port()).arg(path);
    }

    // Opens the window on page A and waits until it is shown.
    frmWebsite* openOnPageA()
    {
        frmWebsite::setStartAddress(address("/a.html"));
        frmWebsite* window = Form<frmWebsite>::load();
        window->show();
        settle(window);
        return window;
    }

    // Every fetch ends by its own time-out at the latest; the limit only keeps a hang from stopping the run.
    static bool settle(frmWebsite* window)
    {
        return platform::waitWhile([window] { return window->WebBrowser1->Busy(); },
                                   2 * main_window::WebBrowser::DefaultTimeoutMs);
    }

    static test::PeerProcess* server;
};
test::PeerProcess* WebsiteWindowTest::server = nullptr;

} // namespace

TEST_F(WebsiteWindowTest, OpensMaximisedOnTheStartPageAndFollowsIt)
{
    frmWebsite::setStartAddress(address("/a.html"));
    frmWebsite* window = Form<frmWebsite>::load();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), localisation::BrandWebsite());
    EXPECT_TRUE(window->windowState().testFlag(Qt::WindowMaximized));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    window->show();
    ASSERT_TRUE(settle(window));

    EXPECT_EQ(window->windowTitle(), "Page A");
    EXPECT_EQ(window->Text1->text(), address("/a.html"));
    EXPECT_EQ(window->Panel1->text(), "Done");
    ASSERT_NE(window->Panel2, nullptr);
    EXPECT_EQ(window->Panel2->text(), "");
    EXPECT_NEAR(window->Panel1->width(), window->Panel2->width(), 2);
    const QString text = window->WebBrowser1->toPlainText();
    EXPECT_TRUE(text.contains("Page A"));
    EXPECT_FALSE(text.contains("ran")) << "scripts are not run";
    EXPECT_FALSE(test::saveScreenshot(window, QStringLiteral("frmWebsite")).isEmpty());
}

TEST_F(WebsiteWindowTest, GoEnterLinksAndHistoryMoveBetweenPages)
{
    frmWebsite* window = openOnPageA();
    auto at = [window] { return window->Text1->text(); };

    // Back with no history, Forward at the newest page and Stop with nothing loading do nothing.
    window->Command4->click();
    window->Command5->click();
    window->Command6->click();
    EXPECT_FALSE(window->WebBrowser1->Busy());
    EXPECT_EQ(at(), address("/a.html"));
    EXPECT_EQ(window->Panel1->text(), "Done");

    // A link opens inside the window, relative to the page.
    emit window->WebBrowser1->anchorClicked(QUrl("b.html"));
    settle(window);
    EXPECT_EQ(at(), address("/b.html"));
    EXPECT_EQ(window->windowTitle(), "Page B");

    window->Command4->click();
    settle(window);
    EXPECT_EQ(at(), address("/a.html"));
    window->Command5->click();
    settle(window);
    EXPECT_EQ(at(), address("/b.html"));
    window->Command5->click();
    settle(window);
    EXPECT_EQ(at(), address("/b.html"));

    // Enter in the address box does what Go does; a bare host gets "http://".
    window->Text1->setText(QStringLiteral("127.0.0.1:%1/a.html").arg(server->port()));
    QTest::keyClick(window->Text1, Qt::Key_Return);
    settle(window);
    EXPECT_EQ(at(), address("/a.html"));

    // A new page after Back drops the forward pages.
    window->Command4->click();
    settle(window);
    EXPECT_EQ(at(), address("/b.html"));
    window->Text1->setText(address("/redirect"));
    window->Command3->click();
    settle(window);
    EXPECT_EQ(at(), address("/b.html")) << "a redirect shows where it ended";
    window->Command5->click();
    settle(window);
    EXPECT_EQ(at(), address("/b.html"));

    window->Command7->click();
    EXPECT_TRUE(window->WebBrowser1->Busy());
    settle(window);
    EXPECT_EQ(at(), address("/b.html"));
}

TEST_F(WebsiteWindowTest, AFailedFetchShowsItsReasonAndKeepsThePage)
{
    // Only the stalled page runs out of time: the others keep the usual time-out, so that a slow,
    // busy machine still sees their own reason.
    constexpr int StallTimeoutMs = 500;
    const struct
    {
        QString typed;
        const char* reason;
        int timeoutMs = main_window::WebBrowser::DefaultTimeoutMs;
    } cases[] = {
        {address("/missing"), "The server answered 404"},
        {QStringLiteral("http://127.0.0.1:%1/").arg(closedPort()), "refused"},
        // Without a reachable resolver the lookup runs out of time instead.
        {QStringLiteral("http://no-such-host.invalid/"), "name is unknown|did not answer in time"},
        {address("/stall"), "did not answer in time", StallTimeoutMs},
        {address("/big"), "larger than 1 MiB"},
        {QStringLiteral("ftp://127.0.0.1/file"), "Only http and https addresses are opened"},
        {QStringLiteral("file:///etc/passwd"), "Only http and https addresses are opened"},
        {QStringLiteral("javascript:alert(1)"), "Only http and https addresses are opened"},
    };
    frmWebsite* window = openOnPageA();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        window->WebBrowser1->setLimits(c.timeoutMs, 1024 * 1024);
        window->Text1->setText(c.typed);
        window->Command3->click();
        ASSERT_TRUE(settle(window));
        const QStringList reasons = QString::fromUtf8(c.reason).split(u'|');
        EXPECT_TRUE(std::any_of(reasons.begin(), reasons.end(), [&](const QString& reason) {
            return window->Panel1->text().contains(reason);
        })) << window->Panel1->text().toStdString();
        EXPECT_EQ(window->windowTitle(), "Page A");
        EXPECT_TRUE(window->WebBrowser1->toPlainText().contains("Page A"));
        // The address box keeps what was typed, so it can be mended.
        EXPECT_EQ(window->Text1->text(), c.typed);
    }
    // Back still knows only page A.
    window->Command4->click();
    EXPECT_FALSE(window->WebBrowser1->Busy());
}

TEST_F(WebsiteWindowTest, StopEndsAStalledFetchAndSmallSizesStayValid)
{
    frmWebsite* window = openOnPageA();
    window->Text1->setText(address("/stall"));
    window->Command3->click();
    EXPECT_TRUE(window->WebBrowser1->Busy());
    window->Command6->click();
    EXPECT_FALSE(window->WebBrowser1->Busy());
    EXPECT_EQ(window->Panel1->text(), "Stopped");
    EXPECT_EQ(window->windowTitle(), "Page A");

    window->showNormal();
    window->resize(20, 20);
    QCoreApplication::processEvents();
    for (QWidget* child : window->findChildren<QWidget*>()) {
        EXPECT_GE(child->width(), 0) << child->objectName().toStdString();
        EXPECT_GE(child->height(), 0) << child->objectName().toStdString();
    }
}
