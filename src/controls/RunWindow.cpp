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
#include "platform/RunContext.h"

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

    m_statusLater = new QTimer(this);
    m_statusLater->setSingleShot(true);
    connect(m_statusLater, &QTimer::timeout, this, &RunWindow::flushStatus);
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
    m_statusText = text;
    m_statusPending = true;
    const int interval = platform::runPace().statusMs;
    if (interval <= 0 || !m_statusShown.isValid() || m_statusShown.elapsed() >= interval) {
        flushStatus();
        return;
    }
    // The timer fires at the work's next pass of the event loop after the interval.
    if (!m_statusLater->isActive())
        m_statusLater->start(int(interval - m_statusShown.elapsed()));
}

void RunWindow::showStatusNow(const QString& text)
{
    m_statusText = text;
    m_statusPending = true;
    flushStatus();
}

void RunWindow::flushStatus()
{
    m_statusLater->stop();
    if (!m_statusPending || !statusInSight())
        return;
    m_statusPending = false;
    // Laying the text out and repainting the box and its scroll bar costs more than a small file.
    lblStatus->setPlainText(m_statusText);
    m_statusShown.start();
}

void RunWindow::clearStatus()
{
    m_statusLater->stop();
    m_statusText.clear();
    m_statusPending = false;
    m_statusShown.invalidate();
    lblStatus->clear();
}

void RunWindow::timFTP_Timer()
{
    ++intConnectTicks;
    showStatusNow(QStringLiteral("FTP: Connecting... (") + QString::number(intConnectTicks) + QLatin1Char(')'));
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
