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
#include "localisation/Skin.h"
#include "platform/EventLoop.h"
#include "platform/Form.h"
#include "restore/frmWarning.h"

namespace restore
{
namespace
{
// The main window's last state other than minimised.
Qt::WindowStates lastMainWindowState()
{
    return core::state().MainWindowState == 2 ? Qt::WindowMaximized : Qt::WindowNoState;
}
} // namespace

frmRestoring::frmRestoring()
    : RunWindow("frmRestoring", QStringLiteral("Restoring backup, please wait..."),
                QStringLiteral("Please wait while restoring the backup set..."))
{
    auto* layout = new QVBoxLayout(this);
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
    setTabOrder(lblStatus, cmdPause);
    setTabOrder(cmdPause, cmdMin);
    setTabOrder(cmdMin, cmdClose);

    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmRestoring::Timer1_Timer);
    connect(Timer3, &QTimer::timeout, this, &frmRestoring::Timer3_Timer);
    Timer3->start();
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
    WarningQuestion question;
    RestoreRun run(*m_request, *this, question);
    run.watchConnect = [this](bool on) { watchConnect(on); };
    m_request.reset();
    ++m_running;
    const RestoreRun::Outcome outcome = run.run();
    --m_running;
    // The run's last words may still wait for the status interval.
    flushStatus();
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

void frmRestoring::turnOffTimers()
{
    Timer1->stop();
    Timer3->stop();
    timFTP->stop();
    tmrClose->stop();
}

} // namespace restore
