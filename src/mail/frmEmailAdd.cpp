#include "mail/frmEmailAdd.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Settings.h"
#include "localisation/Skin.h"
#include "mail/MailSender.h"
#include "platform/Form.h"

namespace mail
{

frmEmailAdd::frmEmailAdd()
{
    setObjectName(QStringLiteral("frmEmailAdd"));
    setWindowTitle(QStringLiteral("Add email destination"));
    txtEmail = new QLineEdit(this);
    txtEmail->setObjectName(QStringLiteral("txtEmail"));
    txtSub = new QLineEdit(this);
    txtSub->setObjectName(QStringLiteral("txtSub"));
    txtBody = new QPlainTextEdit(QStringLiteral("Body\r\n"), this);
    txtBody->setObjectName(QStringLiteral("txtBody"));
    chkNew = new QCheckBox(this);
    chkNew->setObjectName(QStringLiteral("chkNew"));
    chkNew->setChecked(true);
    chkNew->hide();
    cmdSend = new QPushButton(QStringLiteral("Send Test Message"), this);
    cmdSend->setObjectName(QStringLiteral("cmdSend"));
    cmdSend->setEnabled(false);
    cmdOK = new QPushButton(QStringLiteral("Ok"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setEnabled(false);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Email To:"), txtEmail);
    form->addRow(QStringLiteral("Subject:"), txtSub);
    form->addRow(QStringLiteral("Body:"), txtBody);
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSend);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);
    connect(cmdCancel, &QPushButton::clicked, this, &frmEmailAdd::cmdCancel_Click);
}

void frmEmailAdd::Form_Load()
{
    localisation::translateAndSkin(this);
    txtEmail->setText(core::ReadPreference(QStringLiteral("txtEmailTo"), QLatin1String(PlaceholderAddress)));
    connect(txtEmail, &QLineEdit::textChanged, this, &frmEmailAdd::txtEmail_Change);
}

void frmEmailAdd::txtEmail_Change()
{
    core::WritePreference(QStringLiteral("txtEmailTo"), txtEmail->text());
}

void frmEmailAdd::cmdCancel_Click()
{
    platform::Form<frmEmailAdd>::unload();
}

} // namespace mail
