#include "restore/frmDecrypt.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "core/FileSystemHelpers.h"
#include "core/PathHelpers.h"
#include "core/ProgramState.h"
#include "crypto/BackupFileCipher.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/FileDialogs.h"
#include "platform/Prompt.h"
#include "platform/WindowSize.h"

namespace restore
{
namespace
{
using localisation::message;
const QString Suffix = QStringLiteral(".bf");

} // namespace

frmDecrypt::frmDecrypt()
{
    setObjectName(QStringLiteral("frmDecrypt"));
    setWindowTitle(QStringLiteral("File Decryptor"));
    auto* layout = new QGridLayout(this);
    Label1 = new QLabel(QStringLiteral("Encrypted File:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Label1->setBuddy(Text1);
    Command1 = new QPushButton(QStringLiteral("..."), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Label2 = new QLabel(QStringLiteral("Password:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Text3 = new QLineEdit(this);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setEchoMode(QLineEdit::Password);
    Label2->setBuddy(Text3);
    Command2 = new QPushButton(QStringLiteral("Decrypt"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Text1, 0, 1);
    layout->addWidget(Command1, 0, 2);
    layout->addWidget(Label2, 1, 0);
    layout->addWidget(Text3, 1, 1);
    layout->addWidget(Command2, 1, 2);
    layout->addWidget(lblStatus, 2, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    // Height the window gains goes below the status line, not between the rows.
    layout->setRowStretch(3, 1);
    connect(Command1, &QPushButton::clicked, this, &frmDecrypt::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmDecrypt::Command2_Click);
}

void frmDecrypt::Form_Load()
{
    localisation::translateAndSkin(this);
    // Room for a whole path in the boxes.
    platform::fitWindowToContent(this, QSize(560, 0));
}

void frmDecrypt::showStatus(const QString& text)
{
    lblStatus->setText(text);
    lblStatus->repaint();
}

void frmDecrypt::Command1_Click()
{
    const std::optional<QString> chosen = platform::fileDialogs().chooseOpenFile(
        this, windowTitle(), QFileInfo(Text1->text()).path(), QStringLiteral("Blowfish Files (*.bf)"));
    if (chosen)
        Text1->setText(*chosen);
}

void frmDecrypt::Command2_Click()
{
    const QString source = Text1->text();
    if (source.isEmpty())
        return;
    if (!QDir::isAbsolutePath(source)) {
        showStatus(QStringLiteral("Status: Please give the whole path of the file to decrypt"));
        return;
    }
    if (!source.endsWith(Suffix, Qt::CaseInsensitive)) {
        showStatus(QStringLiteral("Status: Only a protected file, named with \".bf\" at the end, can be decrypted"));
        return;
    }
    if (!core::FileExists(source)) {
        showStatus(QStringLiteral("Status: Zip file does not exist"));
        return;
    }
    const QString target = source.chopped(Suffix.size());
    const QFileInfo existing(target);
    if (existing.exists() || existing.isSymLink()) {
        if (!existing.isFile() || existing.isSymLink()) {
            showStatus(
                QStringLiteral("Status: \"%1\" is in the way and is not a file; nothing was decrypted").arg(target));
            return;
        }
        platform::Message question;
        question.text = QStringLiteral("The file \"%1\" already exists.\n\nDo you want to replace it?").arg(target);
        question.buttons = platform::Buttons::YesNo;
        question.icon = platform::Icon::Question;
        question.unattendedAnswer = platform::Answer::No;
        question.parent = this;
        if (platform::prompt().show(question) != platform::Answer::Yes) {
            showStatus(QStringLiteral("Status: \"%1\" was kept; nothing was decrypted").arg(target));
            return;
        }
    }

    // A run or a restore leaves the stop request set; it would end this decryption at once.
    core::state().bStopBackup = false;
    Command2->setEnabled(false);
    showStatus(message("MSG_STATUS3"));
    const QPointer<frmDecrypt> self(this);
    const crypto::CipherResult result = crypto::DecryptBackupFile(source, target, Text3->text());
    // The window may have been closed while the decryption let other handlers run.
    if (!self)
        return;
    Command2->setEnabled(true);
    if (result.succeeded()) {
        QString name = source;
        showStatus(message("MSG_STATUS4") + core::LastPathPart(name));
    } else {
        showStatus(QStringLiteral("Status: ") + result.reason());
    }
}

} // namespace restore
