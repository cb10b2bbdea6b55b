#include "restore/frmDecrypt.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "core/Ask.h"
#include "core/FileSystemHelpers.h"
#include "core/PathHelpers.h"
#include "core/ProgramState.h"
#include "crypto/BackupFileCipher.h"
#include "localisation/Languages.h"
#include "platform/FileDialogs.h"

namespace restore
{
namespace
{
using localisation::message;
const QString Suffix = QStringLiteral(".bf");

} // namespace

frmDecrypt::frmDecrypt()
    : ToolWindow({"frmDecrypt", QStringLiteral("File Decryptor"), QStringLiteral("Encrypted File:"),
                  QStringLiteral("Password:"), "Text3", QStringLiteral("Decrypt")})
{
    Text3 = secondBox();
    Text3->setEchoMode(QLineEdit::Password);
    // Enter after the password decrypts.
    Command2->setDefault(true);
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
        const QString question
            = QStringLiteral("The file \"%1\" already exists.\n\nDo you want to replace it?").arg(target);
        if (core::ask(this, question, platform::Icon::Question, platform::Buttons::YesNo, platform::Answer::No)
            != platform::Answer::Yes) {
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
