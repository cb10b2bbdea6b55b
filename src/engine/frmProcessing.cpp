#include "engine/frmProcessing.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/EventLoop.h"
#include "platform/Form.h"

namespace engine
{

frmProcessing::frmProcessing()
{
    setObjectName(QStringLiteral("frmProcessing"));
    setWindowTitle(QStringLiteral("Please wait..."));
    auto* layout = new QVBoxLayout(this);
    lblLabel = new QLabel(QStringLiteral("Please wait while processing the backup set..."), this);
    lblLabel->setObjectName(QStringLiteral("lblLabel"));
    lblStatus = new QPlainTextEdit(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setReadOnly(true);
    cmdClose = new QPushButton(QStringLiteral("Cancel"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    layout->addWidget(lblLabel);
    layout->addWidget(lblStatus);
    layout->addWidget(cmdClose, 0, Qt::AlignRight);
    connect(cmdClose, &QPushButton::clicked, this, &frmProcessing::cmdClose_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(250);
    connect(Timer1, &QTimer::timeout, this, &frmProcessing::Timer1_Timer);
    Timer1->start();
    tmrClose = new QTimer(this);
    tmrClose->setObjectName(QStringLiteral("tmrClose"));
    tmrClose->setInterval(1000);
}

void frmProcessing::Form_Load()
{
    localisation::translateAndSkin(this);
    if (core::state().bStopBackup) {
        turnOffAllTimers();
        platform::Form<frmProcessing>::unload();
        return;
    }
    core::MainWindowServices* services = core::mainWindowServices();
    const QWidget* main = services ? services->mainWindow() : nullptr;
    if (main && !main->isVisible()) {
        hide();
        platform::doEvents();
    }
}

void frmProcessing::turnOffTimer()
{
    tmrClose->stop();
    cmdClose->setText(localisation::Languages().getMessages(QStringLiteral("MSG_CANCEL")));
    lblStatus->clear();
    Timer1->start();
    platform::doEvents();
}

void frmProcessing::cmdClose_Click()
{
    core::state().bStopBackup = true;
    turnOffAllTimers();
    platform::Form<frmProcessing>::unload();
}

void frmProcessing::Timer1_Timer()
{
    Timer1->stop();
    RunBackup();
}

void frmProcessing::RunBackup()
{
    // Nothing is delivered yet: the run ends at once, so that whoever waits for it goes on.
    core::state().bBackupFinished = true;
}

void frmProcessing::turnOffAllTimers()
{
    Timer1->stop();
    tmrClose->stop();
}

} // namespace engine
