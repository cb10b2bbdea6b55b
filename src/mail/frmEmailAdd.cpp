#include "mail/frmEmailAdd.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
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
#include "platform/Named.h"

namespace mail
{
namespace
{
// The row's fields are kept joined by this separator; a field holding it would be cut when read back.
const QString FieldSeparator = QStringLiteral("~!~");
} // namespace

frmEmailAdd::frmEmailAdd()
    : DestinationDialogOf("frmEmailAdd", QStringLiteral("Add email destination"))
{
    txtEmail = platform::named<QLineEdit>("txtEmail", this);
    txtSub = platform::named<QLineEdit>("txtSub", this);
    txtBody = platform::named<QPlainTextEdit>("txtBody", QStringLiteral("Body\r\n"), this);
    cmdSend = platform::named<QPushButton>("cmdSend", QStringLiteral("Send Test Message"), this);
    createButtons();

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    // Named, so that the language file and the template reach them.
    const auto addRow = [this, form](const char* name, const QString& text, QWidget* field) {
        auto* label = platform::named<QLabel>(name, text, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    addRow("lblEmail", QStringLiteral("Email To:"), txtEmail);
    addRow("lblSub", QStringLiteral("Subject:"), txtSub);
    addRow("lblBody", QStringLiteral("Body:"), txtBody);
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

void frmEmailAdd::LoadDetails()
{
    const auto dest = loadSelected(caller(), core::DestinationType::Email);
    if (!dest)
        return;
    txtEmail->setText(dest->EmailID);
    txtSub->setText(dest->Subject);
    txtBody->setPlainText(dest->Body);
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
    if (!storeRow(caller(), core::emailRow(to, subject, body))) {
        refuseFullList();
        return;
    }
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
