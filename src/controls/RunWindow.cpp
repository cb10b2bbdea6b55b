#include "controls/RunWindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "core/Ask.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "localisation/ClosingCountdown.h"
#include "localisation/Languages.h"
#include "platform/Named.h"

namespace controls
{
namespace
{
// The connect limit of one FTP attempt, in seconds.
constexpr int ConnectLimitSeconds = 30;

QPushButton* makeButton(const char* name, const QString& caption, QWidget* owner)
{
    auto* button = platform::named<QPushButton>(name, caption, owner);
    button->setAutoDefault(false);
    return button;
}
} // namespace

RunWindow::RunWindow(const char* name, const QString& caption, const QString& headline)
{
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    lblLabel = platform::named<QLabel>("lblLabel", headline, this);
    lblStatus = platform::named<QPlainTextEdit>("lblStatus", this);
    lblStatus->setReadOnly(true);
    lblTime = platform::named<QLabel>("lblTime", countdownStart(), this);
    lblTime->hide();
    cmdMin = makeButton("cmdMin", QStringLiteral("Minimize"), this);
    cmdPause = makeButton("cmdPause", QStringLiteral("Pause"), this);
    cmdClose = makeButton("cmdClose", QStringLiteral("Cancel"), this);
    connect(cmdMin, &QPushButton::clicked, this, &RunWindow::cmdMin_Click);
    connect(cmdPause, &QPushButton::clicked, this, &RunWindow::cmdPause_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });

    Timer1 = platform::namedTimer(this, "Timer1", 250);
    Timer3 = platform::namedTimer(this, "Timer3", 1000);
    timFTP = platform::namedTimer(this, "timFTP", 1000);
    tmrClose = platform::namedTimer(this, "tmrClose", 1000);
    connect(timFTP, &QTimer::timeout, this, &RunWindow::timFTP_Timer);
    connect(tmrClose, &QTimer::timeout, this, &RunWindow::tmrClose_Timer);
}

QString RunWindow::countdownStart()
{
    return QStringLiteral("15");
}

QWidget* RunWindow::mainWindow()
{
    core::MainWindowServices* services = core::mainWindowServices();
    return services ? services->mainWindow() : nullptr;
}

void RunWindow::showStatus(const QString& text)
{
    lblStatus->setPlainText(text);
}

void RunWindow::timFTP_Timer()
{
    ++intConnectTicks;
    showStatus(QStringLiteral("FTP: Connecting... (") + QString::number(intConnectTicks) + QLatin1Char(')'));
    // Only the connect under way gives up; the caller decides whether to try again.
    if (intConnectTicks > ConnectLimitSeconds)
        core::state().bConnectTimedOut = true;
}

void RunWindow::watchConnect(bool on)
{
    intConnectTicks = 0;
    if (on)
        timFTP->start();
    else
        timFTP->stop();
}

void RunWindow::tmrClose_Timer()
{
    if (!tmrClose->isActive())
        tmrClose->start();
    const int left = lblTime->text().toInt() - 1;
    lblTime->setText(QString::number(left));
    if (left <= 0) {
        cmdClose_Click();
        return;
    }
    localisation::showClosingCountdown(this, cmdClose, left);
}

void RunWindow::cmdMin_Click()
{
    if (QWidget* main = mainWindow()) {
        main->setWindowState(main->windowState() | Qt::WindowMinimized);
        main->hide();
    }
    setWindowState(windowState() | Qt::WindowMinimized);
}

void RunWindow::cmdPause_Click()
{
    core::ask(this, localisation::message("MSG_PAUSED"), platform::Icon::None);
}

} // namespace controls
