#include "mail/frmEmailAdd.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "core/Settings.h"
#include "localisation/Brand.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "mail/MailSender.h"
#include "platform/Form.h"
#include "platform/Prompt.h"

namespace mail
{
namespace
{
core::DestinationCallerRef& caller()
{
    static core::DestinationCallerRef remembered;
    return remembered;
}

// The row's fields are kept joined by this separator; a field holding it would be cut when read back.
const QString FieldSeparator = QStringLiteral("~!~");
} // namespace

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
    cmdOK = new QPushButton(QStringLiteral("Ok"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
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
    connect(cmdOK, &QPushButton::clicked, this, &frmEmailAdd::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmEmailAdd::cmdCancel_Click);
    connect(cmdSend, &QPushButton::clicked, this, &frmEmailAdd::cmdSend_Click);
}

void frmEmailAdd::SetCaller(core::DestinationCaller* frmName)
{
    caller().set(frmName);
}

void frmEmailAdd::open(core::DestinationCaller& destinations, bool edit)
{
    core::openDestinationDialog<frmEmailAdd>(destinations, edit);
}

void frmEmailAdd::LoadDetails()
{
    const core::DestinationCaller* list = caller().get();
    const auto selected = list ? list->selectedDestination() : std::nullopt;
    core::DestinationInfo dest;
    if (!selected || !core::destinationFromRow(selected->row, dest) || dest.Type != core::DestinationType::Email)
        return;
    m_loadedRow = selected->key;
    txtEmail->setText(dest.EmailID);
    txtSub->setText(dest.Subject);
    txtBody->setPlainText(dest.Body);
}

void frmEmailAdd::Form_Load()
{
    localisation::translateAndSkin(this);
    txtEmail->setText(core::ReadPreference(QStringLiteral("txtEmailTo"), QLatin1String(PlaceholderAddress)));
    txtSub->setText(localisation::BrandProgramName() + QStringLiteral(" - Backup Files"));
    connect(txtEmail, &QLineEdit::textChanged, this, &frmEmailAdd::txtEmail_Change);
}

void frmEmailAdd::txtEmail_Change()
{
    core::WritePreference(QStringLiteral("txtEmailTo"), txtEmail->text());
}

void frmEmailAdd::refuse(const QString& text)
{
    platform::Message message;
    message.text = text;
    message.title = core::state().AppTitle;
    message.icon = platform::Icon::Exclamation;
    message.parent = this;
    platform::prompt().show(message);
}

void frmEmailAdd::cmdOK_Click()
{
    const QString to = txtEmail->text();
    const QString subject = txtSub->text();
    const QString body = txtBody->toPlainText();
    if (to.trimmed().isEmpty()) {
        refuse(localisation::Languages().getMessages(QStringLiteral("MSG_EMAIL_DATA_NOT_COMPLETED")));
        return;
    }
    for (const auto& [field, text] :
         {std::pair {QStringLiteral("recipient"), to}, std::pair {QStringLiteral("subject"), subject},
          std::pair {QStringLiteral("body"), body}}) {
        if (text.contains(FieldSeparator)) {
            refuse(QStringLiteral("The %1 may not contain \"%2\".").arg(field, FieldSeparator));
            return;
        }
    }
    if (core::DestinationCaller* list = caller().get()) {
        const core::DestinationRow row = core::emailRow(to, subject, body);
        if (chkNew->isChecked()) {
            if (!list->addDestination(row)) {
                refuse(QStringLiteral("A backup set can have at most %1 destinations.").arg(core::MaxDestinations));
                return;
            }
        } else if (m_loadedRow) {
            list->rewriteDestination(*m_loadedRow, row);
        }
    }
    platform::Form<frmEmailAdd>::unload();
}

void frmEmailAdd::cmdCancel_Click()
{
    platform::Form<frmEmailAdd>::unload();
}

void frmEmailAdd::reject()
{
    cmdCancel_Click();
}

void frmEmailAdd::cmdSend_Click()
{
    core::state().MailIsTest = true;
    SendEmail();
}

} // namespace mail
