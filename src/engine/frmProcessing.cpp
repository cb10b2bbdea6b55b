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
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/EventLoop.h"
#include "platform/Form.h"
#include "platform/Named.h"

namespace engine
{
namespace
{
using localisation::message;
const QString Caption = QStringLiteral("Please wait...");
const QString Headline = QStringLiteral("Please wait while processing the backup set...");
} // namespace

frmProcessing::frmProcessing()
    : RunWindow("frmProcessing", Caption, Headline)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    lblStatus->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    List1 = platform::named<QListWidget>("List1", this);
    List1->hide();

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

    tmrScheduler = platform::namedTimer(this, "tmrScheduler", 500);
    connect(Timer1, &QTimer::timeout, this, &frmProcessing::Timer1_Timer);
    connect(Timer3, &QTimer::timeout, this, &frmProcessing::Timer3_Timer);
    connect(tmrScheduler, &QTimer::timeout, this, &frmProcessing::tmrScheduler_Timer);
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
    lblTime->setText(countdownStart());
    setWindowTitle(Caption);
    lblLabel->setText(Headline);
    lblStatus->setPalette(m_statusPalette);
    cmdClose->setText(message("MSG_CANCEL"));
    clearStatus();
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
    BackupRun run(*this);
    run.watchConnect = [this](bool on) { watchConnect(on); };
    const RunResult result = run.run();
    if (!result.status.succeeded()) {
        lblLabel->setText(result.status.headline);
        setStatusColour(QColor(192, 0, 0));
    }
    showStatusNow(result.status.statusText);

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
        if (main->isVisible() && lblStatus->toPlainText() != statusText())
            lblStatus->setPlainText(statusText());
        setVisible(main->isVisible());
    }
}

void frmProcessing::tmrScheduler_Timer()
{
    // The main window decides what is due, so that both clocks queue a set once for each due time.
    if (core::MainWindowServices* main = core::mainWindowServices())
        main->queueDueSets();
}

bool frmProcessing::unseen() const
{
    const core::MainWindowServices* main = core::mainWindowServices();
    return main && main->programUnseen();
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
