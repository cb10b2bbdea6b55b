#include "restore/frmRestoring.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "localisation/ClosingCountdown.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/EventLoop.h"
#include "platform/Form.h"
#include "platform/RunContext.h"
#include "restore/frmWarning.h"

namespace restore
{
namespace
{
using localisation::message;
// Seconds the window stays after the run.
const QString CountdownStart = QStringLiteral("15");
// The connect limit of one FTP attempt, in seconds.
constexpr int ConnectLimitSeconds = 30;

QWidget* mainWindow()
{
    core::MainWindowServices* services = core::mainWindowServices();
    return services ? services->mainWindow() : nullptr;
}

// The main window's last state other than minimised.
Qt::WindowStates lastMainWindowState()
{
    return core::state().MainWindowState == 2 ? Qt::WindowMaximized : Qt::WindowNoState;
}

// The restore's run as this window watches it: the status in the window, the program's stop request.
class WindowRun : public platform::RunContext
{
public:
    explicit WindowRun(QPlainTextEdit* status)
        : m_status(status)
    { }
    void showStatus(const QString& text) override { m_status->setPlainText(text); }
    bool stopRequested() const override { return RunContext::stopRequested() || core::state().bStopBackup; }

private:
    QPlainTextEdit* m_status;
};

QTimer* makeTimer(QObject* parent, const char* name, int intervalMs)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(intervalMs);
    return timer;
}
} // namespace

frmRestoring::frmRestoring()
{
    setObjectName(QStringLiteral("frmRestoring"));
    setWindowTitle(QStringLiteral("Restoring backup, please wait..."));
    auto* layout = new QVBoxLayout(this);
    lblLabel = new QLabel(QStringLiteral("Please wait while restoring the backup set..."), this);
    lblLabel->setObjectName(QStringLiteral("lblLabel"));
    lblStatus = new QPlainTextEdit(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setReadOnly(true);
    lblTime = new QLabel(CountdownStart, this);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    lblTime->hide();
    cmdPause = new QPushButton(QStringLiteral("Pause"), this);
    cmdPause->setObjectName(QStringLiteral("cmdPause"));
    cmdMin = new QPushButton(QStringLiteral("Minimize"), this);
    cmdMin->setObjectName(QStringLiteral("cmdMin"));
    cmdClose = new QPushButton(QStringLiteral("Cancel"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* button : {cmdPause, cmdMin, cmdClose})
        button->setAutoDefault(false);
    layout->addWidget(lblLabel);
    layout->addWidget(lblStatus, 1);
    layout->addWidget(lblTime);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdPause);
    buttons->addWidget(cmdMin);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);
    resize(520, 260);
    connect(cmdPause, &QPushButton::clicked, this, &frmRestoring::cmdPause_Click);
    connect(cmdMin, &QPushButton::clicked, this, &frmRestoring::cmdMin_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmRestoring::cmdClose_Click);

    Timer1 = makeTimer(this, "Timer1", 250);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmRestoring::Timer1_Timer);
    Timer3 = makeTimer(this, "Timer3", 1000);
    connect(Timer3, &QTimer::timeout, this, &frmRestoring::Timer3_Timer);
    Timer3->start();
    timFTP = makeTimer(this, "timFTP", 1000);
    connect(timFTP, &QTimer::timeout, this, &frmRestoring::timFTP_Timer);
    tmrClose = makeTimer(this, "tmrClose", 1000);
    connect(tmrClose, &QTimer::timeout, this, &frmRestoring::tmrClose_Timer);
}

void frmRestoring::Form_Load()
{
    localisation::translateAndSkin(this);
    core::ProgramState& state = core::state();
    if (state.bStopBackup) {
        turnOffTimers();
        platform::Form<frmRestoring>::unload();
        return;
    }
    state.bRestoreConfirmed = false;
    Timer1->start();
}

void frmRestoring::startRestore(const RestoreRequest& request)
{
    m_request = request;
    core::state().bRestoreConfirmed = true;
    show();
    raise();
    turnOnTimer();
}

void frmRestoring::turnOnTimer()
{
    Timer1->start();
}

void frmRestoring::turnOffOnTopTimer()
{
    Timer3->stop();
}

void frmRestoring::turnOnOnTopTimer()
{
    Timer3->start();
}

void frmRestoring::Timer1_Timer()
{
    Timer1->stop();
    if (core::state().bRestoreConfirmed && m_request && !m_running)
        RestoreBackup();
    else if (!m_running)
        platform::Form<frmRestoring>::unload();
}

bool frmRestoring::running() const
{
    return m_running > 0 || (m_request && Timer1->isActive());
}

void frmRestoring::RestoreBackup()
{
    if (!m_request)
        return;
    WindowRun context(lblStatus);
    WarningQuestion question;
    RestoreRun run(*m_request, context, question);
    m_request.reset();
    ++m_running;
    const RestoreRun::Outcome outcome = run.run();
    --m_running;
    if (m_deleteWhenDone) {
        deleteLater();
        return;
    }
    if (outcome == RestoreRun::Outcome::Completed) {
        tmrClose_Timer();
        cmdClose->setEnabled(true);
    }
}

bool frmRestoring::event(QEvent* event)
{
    // Unloaded while the run is on the call stack: the run must stop, and the window must stay
    // valid until it has returned.
    if (event->type() == QEvent::DeferredDelete && m_running > 0) {
        m_deleteWhenDone = true;
        core::state().bStopBackup = true;
        return true;
    }
    return QDialog::event(event);
}

void frmRestoring::closeEvent(QCloseEvent* event)
{
    // The close box is Cancel.
    if (!m_closing) {
        event->ignore();
        cmdClose_Click();
        return;
    }
    QDialog::closeEvent(event);
}

void frmRestoring::cmdClose_Click()
{
    if (m_closing)
        return;
    m_closing = true;
    core::LogEvent(QStringLiteral("============RESTORE CANCEL/STOP BUTTON PRESSED==============="));
    core::state().bStopBackup = true;
    platform::doEvents();
    turnOffTimers();
    platform::Form<frmRestoring>::unload();
}

void frmRestoring::cmdPause_Click()
{
    // The run is held at the yield in which the click arrived until the box is closed.
    core::ask(this, message("MSG_PAUSED"), platform::Icon::None);
}

void frmRestoring::cmdMin_Click()
{
    if (QWidget* main = mainWindow()) {
        main->setWindowState(main->windowState() | Qt::WindowMinimized);
        main->hide();
    }
    setWindowState(windowState() | Qt::WindowMinimized);
}

void frmRestoring::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmRestoring::Form_Resize()
{
    // Coming back from the task bar gives the main window its last state again (it stays hidden).
    if (isMinimized())
        return;
    if (QWidget* main = mainWindow())
        main->setWindowState(lastMainWindowState());
}

void frmRestoring::Timer3_Timer()
{
    QWidget* main = mainWindow();
    if (main && main->isMinimized()) {
        if (!isMinimized())
            main->setWindowState(lastMainWindowState());
    } else if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    raise();
}

void frmRestoring::timFTP_Timer()
{
    ++intConnectSeconds;
    lblStatus->setPlainText(QStringLiteral("FTP: Connecting... (%1)").arg(intConnectSeconds));
    // Only the connect under way gives up, never the whole restore.
    if (intConnectSeconds > ConnectLimitSeconds)
        core::state().bConnectTimedOut = true;
}

void frmRestoring::tmrClose_Timer()
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

void frmRestoring::turnOffTimers()
{
    Timer1->stop();
    Timer3->stop();
    timFTP->stop();
    tmrClose->stop();
}

} // namespace restore
