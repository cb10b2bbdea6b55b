#include "engine/frmProcessing.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QVBoxLayout>

#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "engine/BackupRun.h"
#include "localisation/ClosingCountdown.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/EventLoop.h"
#include "platform/Form.h"
#include "platform/Prompt.h"

namespace engine
{
namespace
{
using localisation::message;
const QString Caption = QStringLiteral("Please wait...");
const QString Headline = QStringLiteral("Please wait while processing the backup set...");
const QString CountdownStart = QStringLiteral("15");

QWidget* mainWindow()
{
    core::MainWindowServices* services = core::mainWindowServices();
    return services ? services->mainWindow() : nullptr;
}

QTimer* makeTimer(QObject* owner, const char* name, int interval)
{
    auto* timer = new QTimer(owner);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    return timer;
}

QPushButton* makeButton(QWidget* owner, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, owner);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}
} // namespace

frmProcessing::frmProcessing()
{
    setObjectName(QStringLiteral("frmProcessing"));
    setWindowTitle(Caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint);

    lblLabel = new QLabel(Headline, this);
    lblLabel->setObjectName(QStringLiteral("lblLabel"));
    lblStatus = new QPlainTextEdit(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setReadOnly(true);
    lblStatus->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblTime = new QLabel(CountdownStart, this);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    lblTime->hide();
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->hide();
    cmdMin = makeButton(this, "cmdMin", QStringLiteral("Minimize"));
    cmdPause = makeButton(this, "cmdPause", QStringLiteral("Pause"));
    cmdClose = makeButton(this, "cmdClose", QStringLiteral("Cancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdMin);
    buttons->addWidget(cmdPause);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblLabel);
    layout->addWidget(lblStatus);
    layout->addLayout(buttons);
    resize(480, 260);

    connect(cmdMin, &QPushButton::clicked, this, &frmProcessing::cmdMin_Click);
    connect(cmdPause, &QPushButton::clicked, this, &frmProcessing::cmdPause_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmProcessing::cmdClose_Click);

    Timer1 = makeTimer(this, "Timer1", 250);
    Timer3 = makeTimer(this, "Timer3", 1000);
    tmrScheduler = makeTimer(this, "tmrScheduler", 500);
    timFTP = makeTimer(this, "timFTP", 1000);
    tmrClose = makeTimer(this, "tmrClose", 1000);
    connect(Timer1, &QTimer::timeout, this, &frmProcessing::Timer1_Timer);
    connect(Timer3, &QTimer::timeout, this, &frmProcessing::Timer3_Timer);
    connect(tmrScheduler, &QTimer::timeout, this, &frmProcessing::tmrScheduler_Timer);
    connect(timFTP, &QTimer::timeout, this, &frmProcessing::timFTP_Timer);
    connect(tmrClose, &QTimer::timeout, this, &frmProcessing::tmrClose_Timer);
    Timer1->start();
    Timer3->start();
    tmrScheduler->start();
}

void frmProcessing::Form_Load()
{
    localisation::translateAndSkin(this);
    if (core::state().bStopBackup) {
        turnOffAllTimers();
        tmrScheduler->stop();
        platform::Form<frmProcessing>::unload();
        return;
    }
    m_statusPalette = lblStatus->palette();
    const QWidget* main = mainWindow();
    if (main && !main->isVisible()) {
        hide();
        platform::doEvents();
    }
}

bool frmProcessing::DirExists(const QString& OrigFile) const
{
    return QFileInfo(OrigFile).isDir();
}

bool frmProcessing::turnOffTimer()
{
    if (m_running)
        return false;
    tmrClose->stop();
    // A window that carries another run starts its countdown and texts afresh.
    lblTime->setText(CountdownStart);
    setWindowTitle(Caption);
    lblLabel->setText(Headline);
    lblStatus->setPalette(m_statusPalette);
    cmdClose->setText(message("MSG_CANCEL"));
    lblStatus->clear();
    m_statusText.clear();
    Timer1->start();
    platform::doEvents();
    return true;
}

void frmProcessing::cmdClose_Click()
{
    core::state().bStopBackup = true;
    platform::doEvents();
    core::LogEvent(QStringLiteral("=======BACKUP CANCEL/STOP BUTTON PRESSED========="));
    turnOffAllTimers();
    m_incrementalIndex.reset();
    if (m_running) {
        m_closeWhenDone = true;
        hide();
        return;
    }
    platform::Form<frmProcessing>::unload();
}

void frmProcessing::reject()
{
    cmdClose_Click();
}

bool frmProcessing::event(QEvent* event)
{
    if (event->type() == QEvent::DeferredDelete && m_running) {
        m_deleteWhenDone = true;
        return true;
    }
    return QDialog::event(event);
}

void frmProcessing::Timer1_Timer()
{
    // One run at a time in the whole program: a window loaded while another run is under way waits
    // for it to end.
    if (m_running || core::state().RunInProgress)
        return;
    Timer1->stop();
    m_running = true;
    const auto ended = qScopeGuard([this] {
        m_running = false;
        if (m_deleteWhenDone)
            deleteLater();
        else if (m_closeWhenDone && platform::Form<frmProcessing>::loaded() == this)
            platform::Form<frmProcessing>::unload();
    });
    RunBackup();
}

void frmProcessing::RunBackup()
{
    cmdClose->setEnabled(true);
    List1->clear();
    BackupRun run;
    run.showStatus = [this](const QString& text) { setStatus(text); };
    run.watchConnect = [this](bool on) {
        intConnectTicks = 0;
        if (on)
            timFTP->start();
        else
            timFTP->stop();
    };
    const RunResult result = run.run();
    if (!result.status.success) {
        lblLabel->setText(result.status.headline);
        setStatusColour(QColor(192, 0, 0));
    }
    setStatus(result.status.statusText);

    // Nobody would see a countdown, and the run queue waits for the window to go.
    if (unseen())
        m_closeWhenDone = true;
    else if (!m_closeWhenDone && !m_deleteWhenDone)
        tmrClose_Timer();
    cmdClose->setEnabled(true);
    core::state().bBackupFinished = true;
    platform::doEvents();
}

void frmProcessing::Timer3_Timer()
{
    QWidget* main = mainWindow();
    if (!main)
        return;
    if (unseen()) {
        hide();
        return;
    }
    if (main->isMinimized() && !isMinimized()) {
        const auto restored = Qt::WindowStates(core::state().MainWindowState) & ~Qt::WindowMinimized;
        main->setWindowState(restored);
        raise();
        activateWindow();
    }
    if (!main->isMinimized() && isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    if (isVisible() != main->isVisible()) {
        if (main->isVisible() && lblStatus->toPlainText() != m_statusText)
            lblStatus->setPlainText(m_statusText);
        setVisible(main->isVisible());
    }
}

void frmProcessing::tmrScheduler_Timer()
{
    // The main window decides what is due, so that both clocks queue a set once for each due time.
    if (core::MainWindowServices* main = core::mainWindowServices())
        main->queueDueSets();
}

void frmProcessing::timFTP_Timer()
{
    ++intConnectTicks;
    setStatus(QStringLiteral("FTP: Connecting... (") + QString::number(intConnectTicks) + QLatin1Char(')'));
    // Only the connect under way gives up; the delivery decides whether to try again.
    if (intConnectTicks > 30)
        core::state().bConnectTimedOut = true;
}

void frmProcessing::tmrClose_Timer()
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

void frmProcessing::cmdMin_Click()
{
    if (QWidget* main = mainWindow()) {
        main->setWindowState(main->windowState() | Qt::WindowMinimized);
        main->hide();
    }
    setWindowState(windowState() | Qt::WindowMinimized);
}

void frmProcessing::cmdPause_Click()
{
    platform::Message paused;
    paused.text = message("MSG_PAUSED");
    paused.buttons = platform::Buttons::Ok;
    paused.parent = this;
    platform::prompt().show(paused);
}

bool frmProcessing::unseen() const
{
    const core::MainWindowServices* main = core::mainWindowServices();
    return main && main->programUnseen();
}

void frmProcessing::setStatus(const QString& text)
{
    m_statusText = text;
    // A hidden window does no work per file.
    if (!unseen())
        lblStatus->setPlainText(text);
}

void frmProcessing::setStatusColour(const QColor& colour)
{
    QPalette palette = lblStatus->palette();
    palette.setColor(QPalette::Text, colour);
    lblStatus->setPalette(palette);
}

void frmProcessing::turnOffAllTimers()
{
    Timer1->stop();
    Timer3->stop();
    timFTP->stop();
    tmrClose->stop();
}

} // namespace engine
