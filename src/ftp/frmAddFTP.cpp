#include "ftp/frmAddFTP.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "core/Settings.h"
#include "ftp/FtpDestinationFields.h"
#include "ftp/frmFTPBrowse.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/Form.h"
#include "platform/Named.h"

namespace ftp
{
namespace
{
QLineEdit* box(QWidget* parent, const char* name, const QString& text, const QString& tip)
{
    auto* edit = platform::named<QLineEdit>(name, text, parent);
    edit->setToolTip(tip);
    return edit;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QWidget* buddy)
{
    auto* caption = platform::named<QLabel>(name, text, parent);
    caption->setBuddy(buddy);
    return caption;
}

// The value becomes the default only while the stored default is still empty.
void seed(const QString& key, const QString& value)
{
    if (core::ReadPreference(key, QString()).isEmpty())
        core::WritePreference(key, value);
}
} // namespace

frmAddFTP::frmAddFTP()
    : DestinationDialogOf("frmAddFTP", QStringLiteral("Add FTP Destination"))
{
    txtFTPHost = box(this, "txtFTPHost", QString(), QStringLiteral("Specify the host to connect to"));
    txtFTPUsername = box(this, "txtFTPUsername", QString(), QStringLiteral("Enter username"));
    txtFTPPassword = box(this, "txtFTPPassword", QString(), QStringLiteral("Enter password for the user"));
    txtFTPPassword->setEchoMode(QLineEdit::Password);
    txtFTPFolder = box(this, "txtFTPFolder", QStringLiteral("/"), QStringLiteral("Specify the location"));
    txtFTPPort
        = box(this, "txtFTPPort", QStringLiteral("21"), QStringLiteral("Specify the port number (default is 21)"));
    txtFTPPort->setMaximumWidth(90);
    cmdBrowse = platform::named<QPushButton>("cmdBrowse", QStringLiteral("..."), this);
    cmdBrowse->setToolTip(QStringLiteral("Browse for folder on the FTP location specified"));
    cmdBrowse->setFixedWidth(cmdBrowse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    chkFTPPassive = platform::named<QCheckBox>("chkFTPPassive", QStringLiteral("Passive Mode"), this);
    Toolbar1 = platform::named<QToolBar>("Toolbar1", this);
    QAction* browse = Toolbar1->addAction(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("Browse for folder on the FTP location specified"));
    Toolbar1->hide();
    createButtons();

    auto* grid = new QGridLayout;
    grid->addWidget(label(this, "lblHost", QStringLiteral("&Host:"), txtFTPHost), 0, 0);
    grid->addWidget(txtFTPHost, 0, 1, 1, 2);
    grid->addWidget(label(this, "lblUsername", QStringLiteral("&Username:"), txtFTPUsername), 1, 0);
    grid->addWidget(txtFTPUsername, 1, 1, 1, 2);
    grid->addWidget(label(this, "lblPassword", QStringLiteral("&Password:"), txtFTPPassword), 2, 0);
    grid->addWidget(txtFTPPassword, 2, 1, 1, 2);
    grid->addWidget(label(this, "lblFolder", QStringLiteral("&Folder:"), txtFTPFolder), 3, 0);
    grid->addWidget(txtFTPFolder, 3, 1);
    grid->addWidget(cmdBrowse, 3, 2);
    grid->setColumnStretch(1, 1);
    auto* options = new QHBoxLayout;
    options->addWidget(chkFTPPassive);
    options->addStretch();
    options->addWidget(label(this, "lblPort", QStringLiteral("Por&t:"), txtFTPPort));
    options->addWidget(txtFTPPort);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(options);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    resize(420, sizeHint().height());

    connect(cmdOK, &QPushButton::clicked, this, &frmAddFTP::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAddFTP::cmdCancel_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmAddFTP::cmdBrowse_Click);
    connect(browse, &QAction::triggered, this, &frmAddFTP::Toolbar1_ButtonClick);
}

void frmAddFTP::Form_Load()
{
    localisation::translateAndSkin(this);
    txtFTPFolder->setText(core::ReadPreference(QStringLiteral("txtFTPFolder"), QStringLiteral("/")));
    txtFTPUsername->setText(core::ReadPreference(QStringLiteral("txtFTPUsername"), QString()));
    txtFTPPassword->setText(core::ScramblePassword(core::ReadPreference(QStringLiteral("txtFTPPassword"), QString())));
    txtFTPPort->setText(core::ReadPreference(QStringLiteral("txtFTPPort"), QStringLiteral("21")));
    txtFTPHost->setText(core::ReadPreference(QStringLiteral("txtFTPHost"), QString()));
    if (txtFTPPort->text().isEmpty())
        txtFTPPort->setText(QStringLiteral("21"));
    const QString passive = core::ReadPreference(QStringLiteral("txtFTPPassive"), QString());
    if (passive == QLatin1String("0") || passive == QLatin1String("1"))
        chkFTPPassive->setChecked(passive == QLatin1String("1"));
}

void frmAddFTP::LoadDetails()
{
    const auto dest = loadSelected(caller(), core::DestinationType::Ftp);
    if (!dest)
        return;
    txtFTPHost->setText(dest->FTPHost);
    txtFTPPort->setText(dest->FTPPort);
    txtFTPUsername->setText(dest->FTPUser);
    txtFTPPassword->setText(dest->FTPPass);
    txtFTPFolder->setText(dest->FTPFolder);
    chkFTPPassive->setChecked(dest->FTPPassive);
}

bool frmAddFTP::checkServer()
{
    if (txtFTPHost->text().trimmed().isEmpty() || txtFTPPort->text().isEmpty()) {
        refuse(localisation::Languages().getMessages(QStringLiteral("MSG_FTP_DATA_NOT_COMPLETED")));
        return false;
    }
    if (!portNumber(txtFTPPort->text())) {
        refuse(QStringLiteral("The port must be a whole number from 1 to 65535."));
        return false;
    }
    return true;
}

void frmAddFTP::cmdOK_Click()
{
    if (!checkServer())
        return;
    const QString host = txtFTPHost->text();
    const QString port = txtFTPPort->text();
    const QString user = txtFTPUsername->text();
    const QString password = txtFTPPassword->text();
    const QString folder = txtFTPFolder->text();
    const bool passive = chkFTPPassive->isChecked();
    if (const auto error = destinationFieldsError(host, user, password, folder)) {
        refuse(*error);
        return;
    }
    if (!storeRow(caller(), core::ftpRow(host, port, user, password, folder, passive))) {
        refuseFullList();
        return;
    }
    seed(QStringLiteral("txtFTPFolder"), folder);
    seed(QStringLiteral("txtFTPUsername"), user);
    seed(QStringLiteral("txtFTPPort"), port);
    seed(QStringLiteral("txtFTPPassword"), core::ScramblePassword(password));
    seed(QStringLiteral("txtFTPHost"), host);
    seed(QStringLiteral("txtFTPPassive"), passive ? QStringLiteral("1") : QStringLiteral("0"));
    platform::Form<frmAddFTP>::unload();
}

void frmAddFTP::reject()
{
    cmdCancel_Click();
}

void frmAddFTP::cmdBrowse_Click()
{
    if (!checkServer())
        return;
    QPointer<frmAddFTP> self(this);
    core::state().FTPBrowseRequested = true;
    if (frmFTPBrowse* browser = platform::Form<frmFTPBrowse>::load())
        browser->exec();
    core::state().FTPBrowseRequested = false;
    if (self)
        txtFTPFolder->setFocus();
}

void frmAddFTP::Toolbar1_ButtonClick()
{
    cmdBrowse_Click();
}

} // namespace ftp
