#include "main_window/frmPrefs2.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "localisation/Skin.h"
#include "mail/MailSender.h"

namespace main_window
{

frmPrefs2::frmPrefs2()
{
    setObjectName(QStringLiteral("frmPrefs2"));
    setWindowTitle(QStringLiteral("General Preferences"));
    auto* layout = new QVBoxLayout(this);
    auto* notice = new QLabel(QStringLiteral("Changing the preferences is not available in this version."), this);
    notice->setObjectName(QStringLiteral("lblNotice"));
    cmdSend = new QPushButton(QStringLiteral("Test"), this);
    cmdSend->setObjectName(QStringLiteral("cmdSend"));
    layout->addWidget(notice);
    layout->addWidget(cmdSend, 0, Qt::AlignRight);
    connect(cmdSend, &QPushButton::clicked, this, &frmPrefs2::cmdSend_Click);
}

void frmPrefs2::Form_Load()
{
    localisation::translateAndSkin(this);
}

void frmPrefs2::cmdSend_Click()
{
    core::state().MailIsTest = true;
    mail::SendEmail();
}

} // namespace main_window
