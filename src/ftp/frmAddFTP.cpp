#include "ftp/frmAddFTP.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ScramblePassword.h"
#include "core/Settings.h"
#include "localisation/Skin.h"
#include "platform/Form.h"

namespace ftp
{
namespace
{
QLineEdit* box(QWidget* parent, const char* name, const QString& text, const QString& tip)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setToolTip(tip);
    return edit;
}

// The value becomes the preference only while the preference is still empty.
void seed(const QString& key, const QString& value)
{
    if (core::ReadPreference(key, QString()).isEmpty())
        core::WritePreference(key, value);
}
} // namespace

frmAddFTP::frmAddFTP()
{
    setObjectName(QStringLiteral("frmAddFTP"));
    setWindowTitle(QStringLiteral("Add FTP Destination"));
    txtFTPHost = box(this, "txtFTPHost", QString(), QStringLiteral("Specify the host to connect to"));
    txtFTPUsername = box(this, "txtFTPUsername", QString(), QStringLiteral("Enter username"));
    txtFTPPassword = box(this, "txtFTPPassword", QString(), QStringLiteral("Enter password for the user"));
    txtFTPPassword->setEchoMode(QLineEdit::Password);
    txtFTPFolder = box(this, "txtFTPFolder", QStringLiteral("/"), QStringLiteral("Specify the location"));
    txtFTPPort
        = box(this, "txtFTPPort", QStringLiteral("21"), QStringLiteral("Specify the port number (default is 21)"));
    cmdBrowse = new QPushButton(QStringLiteral("..."), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse->setEnabled(false);
    chkFTPPassive = new QCheckBox(QStringLiteral("Passive Mode"), this);
    chkFTPPassive->setObjectName(QStringLiteral("chkFTPPassive"));
    chkNew = new QCheckBox(this);
    chkNew->setObjectName(QStringLiteral("chkNew"));
    chkNew->setChecked(true);
    chkNew->hide();
    cmdOK = new QPushButton(QStringLiteral("Ok"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Host:"), txtFTPHost);
    form->addRow(QStringLiteral("Username:"), txtFTPUsername);
    form->addRow(QStringLiteral("Password:"), txtFTPPassword);
    auto* folder = new QHBoxLayout;
    folder->addWidget(txtFTPFolder);
    folder->addWidget(cmdBrowse);
    form->addRow(QStringLiteral("Folder:"), folder);
    form->addRow(QStringLiteral("Port:"), txtFTPPort);
    form->addRow(QString(), chkFTPPassive);
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);
    connect(cmdOK, &QPushButton::clicked, this, &frmAddFTP::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAddFTP::cmdCancel_Click);
}

void frmAddFTP::Form_Load()
{
    localisation::translateAndSkin(this);
    txtFTPHost->setText(core::ReadPreference(QStringLiteral("txtFTPHost"), QString()));
    txtFTPPort->setText(core::ReadPreference(QStringLiteral("txtFTPPort"), QStringLiteral("21")));
    txtFTPUsername->setText(core::ReadPreference(QStringLiteral("txtFTPUsername"), QString()));
    txtFTPPassword->setText(core::ScramblePassword(core::ReadPreference(QStringLiteral("txtFTPPassword"), QString())));
    txtFTPFolder->setText(core::ReadPreference(QStringLiteral("txtFTPFolder"), QStringLiteral("/")));
    const QString passive = core::ReadPreference(QStringLiteral("txtFTPPassive"), QString());
    if (passive == QLatin1String("0") || passive == QLatin1String("1"))
        chkFTPPassive->setChecked(passive == QLatin1String("1"));
}

void frmAddFTP::cmdOK_Click()
{
    seed(QStringLiteral("txtFTPHost"), txtFTPHost->text());
    seed(QStringLiteral("txtFTPPort"), txtFTPPort->text());
    seed(QStringLiteral("txtFTPUsername"), txtFTPUsername->text());
    seed(QStringLiteral("txtFTPPassword"), core::ScramblePassword(txtFTPPassword->text()));
    seed(QStringLiteral("txtFTPFolder"), txtFTPFolder->text());
    seed(QStringLiteral("txtFTPPassive"), chkFTPPassive->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    platform::Form<frmAddFTP>::unload();
}

void frmAddFTP::cmdCancel_Click()
{
    platform::Form<frmAddFTP>::unload();
}

} // namespace ftp
