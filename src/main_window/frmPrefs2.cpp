#include "main_window/frmPrefs2.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "core/RegistryHelpers.h"
#include "core/ScramblePassword.h"
#include "core/Settings.h"
#include "localisation/Brand.h"
#include "localisation/Skin.h"
#include "mail/MailSender.h"
#include "platform/FileDialogs.h"
#include "platform/Named.h"
#include "platform/WindowSize.h"

namespace main_window
{

namespace
{
const QString kSettings = QStringLiteral("Settings");

QString runEntryName(int suffix)
{
    return localisation::BrandProgramName() + QString::number(suffix);
}

QLineEdit* box(QWidget* parent, const char* name, const QString& tip = QString())
{
    auto* edit = platform::named<QLineEdit>(name, parent);
    edit->setToolTip(tip);
    return edit;
}

QLabel* tip(QWidget* parent, const char* name, const QString& text)
{
    auto* result = platform::named<QLabel>(name, text, parent);
    result->setWordWrap(true);
    return result;
}

// A check box holds "1" as ticked; anything else, a text that is no number included, shows clear.
void showStored(QCheckBox* box, const QString& stored)
{
    bool number = false;
    box->setChecked(stored.trimmed().toShort(&number) == 1 && number);
}

QString checkText(QCheckBox* box)
{
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

frmPrefs2::frmPrefs2()
{
    setObjectName(QStringLiteral("frmPrefs2"));
    setWindowTitle(QStringLiteral("General Preferences"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);

    Frame4 = new QGroupBox(QStringLiteral("Email Configuration"), this);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    txtServer = box(Frame4, "txtServer");
    txtPort = box(Frame4, "txtPort");
    txtEmailFrom = box(Frame4, "txtEmailFrom");
    txtEmailTo = box(Frame4, "txtEmailTo");
    txtUsername = box(Frame4, "txtUsername");
    txtPassword2 = box(Frame4, "txtPassword2");
    txtPassword2->setEchoMode(QLineEdit::Password);
    chkAuth = platform::named<QCheckBox>("chkAuth", QStringLiteral("Use Authentication"), Frame4);
    chkAttachment = platform::named<QCheckBox>("chkAttachment", QStringLiteral("Send as Attachment"), Frame4);
    chkAttachment->setChecked(true);
    chkAttachment->hide();
    cmdSend = new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Test"), Frame4);
    cmdSend->setObjectName(QStringLiteral("cmdSend"));
    cmdSend->setAutoDefault(false);
    auto* mail = new QGridLayout(Frame4);
    mail->addWidget(platform::named<QLabel>("Label8", QStringLiteral("Mail Server:"), Frame4), 0, 0);
    mail->addWidget(txtServer, 0, 1);
    mail->addWidget(platform::named<QLabel>("Label9", QStringLiteral("Port:"), Frame4), 0, 2);
    mail->addWidget(txtPort, 0, 3);
    mail->addWidget(platform::named<QLabel>("Label3", QStringLiteral("Email From:"), Frame4), 1, 0);
    mail->addWidget(txtEmailFrom, 1, 1);
    mail->addWidget(platform::named<QLabel>("Label10", QStringLiteral("Email To:"), Frame4), 1, 2);
    mail->addWidget(txtEmailTo, 1, 3);
    mail->addWidget(platform::named<QLabel>("Label12", QStringLiteral("Username:"), Frame4), 2, 0);
    mail->addWidget(txtUsername, 2, 1);
    mail->addWidget(platform::named<QLabel>("Label13", QStringLiteral("Password:"), Frame4), 2, 2);
    mail->addWidget(txtPassword2, 2, 3);
    mail->addWidget(chkAuth, 3, 1);
    mail->addWidget(cmdSend, 0, 4, 2, 1, Qt::AlignTop);
    mail->addWidget(tip(Frame4, "Label1",
                        QStringLiteral("TIP: Mail server names usually begin with \"mail.\" or \"smtp.\"; the port "
                                       "is usually 25 or 1025.")),
                    4, 0, 1, 5);
    mail->addWidget(tip(Frame4, "Label4",
                        QStringLiteral("TIP: Authentication is optional.  Try sending a test message without "
                                       "authentication first.")),
                    5, 0, 1, 5);
    mail->addWidget(tip(Frame4, "Label2",
                        QStringLiteral("TIP: The TO field is for testing only.  You will specify the TO value for "
                                       "each backup set.  The value entered here will be the default.")),
                    6, 0, 1, 5);
    mail->addWidget(tip(Frame4, "Label5",
                        QStringLiteral("TIP: If you are having trouble, try a free email provider.  Also, try "
                                       "searching your email provider's website for their mail servers, or for "
                                       "instructions on setting up Microsoft Outlook with your mail provider (the "
                                       "servers and ports will be the same)")),
                    7, 0, 1, 5);
    mail->setColumnStretch(1, 3);
    mail->setColumnStretch(3, 2);

    Frame3 = new QGroupBox(QStringLiteral("Default FTP Values"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    txtFTPHost = box(Frame3, "txtFTPHost", QStringLiteral("Specify the host to connect to"));
    txtFTPFolder = box(Frame3, "txtFTPFolder", QStringLiteral("Specify the location"));
    txtFTPPort = box(Frame3, "txtFTPPort", QStringLiteral("Specify the port number (default is 21)"));
    txtFTPUsername = box(Frame3, "txtFTPUsername", QStringLiteral("Enter username"));
    txtFTPPassword = box(Frame3, "txtFTPPassword", QStringLiteral("Enter password for the user"));
    txtFTPPassword->setEchoMode(QLineEdit::Password);
    auto* ftp = new QGridLayout(Frame3);
    ftp->addWidget(platform::named<QLabel>("lblHost", QStringLiteral("Host:"), Frame3), 0, 0);
    ftp->addWidget(txtFTPHost, 0, 1);
    ftp->addWidget(platform::named<QLabel>("lblFolder", QStringLiteral("Folder:"), Frame3), 0, 2);
    ftp->addWidget(txtFTPFolder, 0, 3);
    ftp->addWidget(platform::named<QLabel>("lblPort", QStringLiteral("Port:"), Frame3), 0, 4);
    ftp->addWidget(txtFTPPort, 0, 5);
    ftp->addWidget(platform::named<QLabel>("lblUsername", QStringLiteral("Username:"), Frame3), 1, 0);
    ftp->addWidget(txtFTPUsername, 1, 1);
    ftp->addWidget(platform::named<QLabel>("lblPassword", QStringLiteral("Password:"), Frame3), 1, 2);
    ftp->addWidget(txtFTPPassword, 1, 3);
    ftp->setColumnStretch(1, 3);
    ftp->setColumnStretch(3, 2);
    ftp->setColumnStretch(5, 1);

    Frame5 = new QGroupBox(QStringLiteral("Default LAN Backup Folder"), this);
    Frame5->setObjectName(QStringLiteral("Frame5"));
    txtLanFolder = box(Frame5, "txtLanFolder");
    cmdBrowse = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), QStringLiteral("Browse"), Frame5);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse->setAutoDefault(false);
    auto* lan = new QGridLayout(Frame5);
    lan->addWidget(platform::named<QLabel>("lblInfo", QStringLiteral("Folder:"), Frame5), 0, 0);
    lan->addWidget(txtLanFolder, 0, 1);
    lan->addWidget(cmdBrowse, 0, 2);

    Frame2 = new QGroupBox(QStringLiteral("Startup Options"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    chkRunAtStart
        = platform::named<QCheckBox>("chkRunAtStart", QStringLiteral("Run when you log in (recommended)"), Frame2);
    chkMin = platform::named<QCheckBox>("chkMin", QStringLiteral("Open minimized to the system Tray"), Frame2);
    chkSplash = platform::named<QCheckBox>("chkSplash", QStringLiteral("Don't show the splash screen"), Frame2);
    auto* startup = new QVBoxLayout(Frame2);
    for (QCheckBox* b : {chkRunAtStart, chkMin, chkSplash})
        startup->addWidget(b);

    Frame1 = new QGroupBox(QStringLiteral("Miscellaneous Options"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    chkNoShow = platform::named<QCheckBox>("chkNoShow",
                                           QStringLiteral("Don't show a reminder when I close the program."), Frame1);
    chkAlwaysExit = platform::named<QCheckBox>("chkAlwaysExit",
                                               QStringLiteral("Always exit completely when I close the program, "
                                                              "don't run scheduled events after closing."),
                                               Frame1);
    chkLog = platform::named<QCheckBox>("chkLog", QStringLiteral("Enable Logging"), Frame1);
    auto* misc = new QVBoxLayout(Frame1);
    for (QCheckBox* b : {chkNoShow, chkAlwaysExit, chkLog})
        misc->addWidget(b);

    // The two option frames stand side by side, so that the window fits a screen 800 pixels high.
    auto* layout = new QGridLayout(this);
    layout->addWidget(Frame4, 0, 0, 1, 2);
    layout->addWidget(Frame3, 1, 0, 1, 2);
    layout->addWidget(Frame5, 2, 0, 1, 2);
    layout->addWidget(Frame2, 3, 0);
    layout->addWidget(Frame1, 3, 1);
    layout->setColumnStretch(1, 1);

    // Texts are stored as they are; the two names written in another case are the stored names.
    const auto storeText = [this](QLineEdit* edit, const QString& name) {
        connect(edit, &QLineEdit::textChanged, this,
                [name](const QString& text) { core::WritePreference(name, text); });
    };
    storeText(txtLanFolder, QStringLiteral("txtLanFolder"));
    storeText(txtFTPHost, QStringLiteral("txtFTPHost"));
    storeText(txtFTPFolder, QStringLiteral("txtFTPfolder"));
    storeText(txtFTPPort, QStringLiteral("txtFTPPort"));
    storeText(txtFTPUsername, QStringLiteral("txtFTPUsername"));
    storeText(txtPort, QStringLiteral("txtport"));
    storeText(txtEmailFrom, QStringLiteral("txtEmailFrom"));
    storeText(txtEmailTo, QStringLiteral("txtEmailTo"));
    storeText(txtUsername, QStringLiteral("txtUsername"));
    storeText(txtServer, QStringLiteral("txtServer"));
    connect(txtServer, &QLineEdit::textChanged, this,
            [](const QString& text) { core::state().NotificationSettings.SMTP_Server = text; });
    const auto storeScrambled = [this](QLineEdit* edit, const QString& name) {
        connect(edit, &QLineEdit::textChanged, this,
                [name](const QString& text) { core::WritePreference(name, core::ScramblePassword(text)); });
    };
    storeScrambled(txtFTPPassword, QStringLiteral("txtFTPPassword"));
    storeScrambled(txtPassword2, QStringLiteral("txtPassword2"));
    const auto storeCheck = [this](QCheckBox* box, const QString& name) {
        connect(box, &QCheckBox::toggled, this, [box, name] { core::WritePreference(name, checkText(box)); });
    };
    storeCheck(chkSplash, QStringLiteral("chkSplash"));
    storeCheck(chkMin, QStringLiteral("chkMin"));
    storeCheck(chkLog, QStringLiteral("chkLog"));
    storeCheck(chkAlwaysExit, QStringLiteral("chkAlwaysExit"));
    storeCheck(chkNoShow, QStringLiteral("chkNoShow"));
    storeCheck(chkAuth, QStringLiteral("chkAuth"));
    connect(chkLog, &QCheckBox::toggled, this, [](bool on) { core::state().LoggingEnabled = on; });
    connect(chkRunAtStart, &QCheckBox::toggled, this, &frmPrefs2::ApplyRunAtStart);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmPrefs2::cmdBrowse_Click);
    connect(cmdSend, &QPushButton::clicked, this, &frmPrefs2::cmdSend_Click);
    connect(&mail::MailSender::instance(), &mail::MailSender::ended, this, &frmPrefs2::onMailEnded);
}

void frmPrefs2::Form_Load()
{
    localisation::translateAndSkin(this);
    platform::fitWindowToContent(this);
    loadValues();
    // The entry is written again for the program as it is now: its path or its program folder may
    // have changed since, and an entry of an older version may lack the folder.
    if (chkRunAtStart->isChecked())
        ApplyRunAtStart();
}

void frmPrefs2::showEvent(QShowEvent* event)
{
    // Another window may have written a value since the last showing.
    loadValues();
    QDialog::showEvent(event);
}

void frmPrefs2::loadValues()
{
    const QList<QWidget*> controls = findChildren<QWidget*>();
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    // Showing a stored value is no change: nothing is written back.
    for (QWidget* control : controls)
        quiet.push_back(std::make_unique<QSignalBlocker>(control));
    const auto text = [](QLineEdit* edit, const char* name, const QString& fallback) {
        edit->setText(core::ReadPreference(QLatin1String(name), fallback));
    };
    const QString address = QLatin1String(mail::PlaceholderAddress);
    text(txtEmailFrom, "txtEmailFrom", address);
    text(txtEmailTo, "txtEmailTo", address);
    txtPassword2->setText(core::ScramblePassword(core::ReadPreference(QStringLiteral("txtPassword2"), QString())));
    text(txtPort, "txtPort", QStringLiteral("25"));
    text(txtServer, "txtServer", QLatin1String(mail::PlaceholderServer));
    text(txtUsername, "txtUsername", QString());
    text(txtFTPFolder, "txtFTPFolder", QStringLiteral("/"));
    text(txtFTPHost, "txtFTPHost", QString());
    txtFTPPassword->setText(core::ScramblePassword(core::ReadPreference(QStringLiteral("txtFTPPassword"), QString())));
    text(txtFTPPort, "txtFTPPort", QStringLiteral("21"));
    text(txtFTPUsername, "txtFTPUsername", QString());
    text(txtLanFolder, "txtLanFolder", QString());
    const auto stored = [](const char* name) { return core::ReadPreference(QLatin1String(name), QStringLiteral("0")); };
    showStored(chkAuth, stored("chkAuth"));
    showStored(chkNoShow, stored("chkNoShow"));
    showStored(chkAlwaysExit, stored("chkAlwaysExit"));
    showStored(chkMin, stored("chkMin"));
    showStored(chkSplash, stored("chkSplash"));
    showStored(chkLog, stored("chkLog"));
    showStored(chkRunAtStart,
               core::ReadSetting(runEntryName(0), kSettings, QStringLiteral("chkRunAtStart"), QStringLiteral("0"))
                   .value_or(QStringLiteral("0")));
    cmdSend->setEnabled(!mail::MailSender::instance().busy());
}

void frmPrefs2::ApplyRunAtStart()
{
    core::WriteSetting(runEntryName(0), kSettings, QStringLiteral("chkRunAtStart"), checkText(chkRunAtStart));
    core::AddRemove entry;
    if (chkRunAtStart->isChecked())
        entry.AddToRun2(runEntryName(0), QCoreApplication::applicationFilePath());
    else
        entry.RemoveFromRun2(runEntryName(0));
    entry.RemoveFromRun2(runEntryName(1));
}

void frmPrefs2::cmdBrowse_Click()
{
    const std::optional<QString> folder
        = platform::fileDialogs().chooseFolder(this, Frame5->title(), txtLanFolder->text());
    if (folder && !folder->isEmpty())
        txtLanFolder->setText(*folder);
}

void frmPrefs2::cmdSend_Click()
{
    core::state().MailIsTest = true;
    cmdSend->setEnabled(false);
    mail::SendEmail();
    // A refused attempt (settings missing) ends before SendEmail returns.
    if (!mail::MailSender::instance().busy())
        cmdSend->setEnabled(true);
}

void frmPrefs2::onMailEnded()
{
    // The sender is still closing its session while it reports the end; ask once it has returned.
    QMetaObject::invokeMethod(
        this, [this] { cmdSend->setEnabled(!mail::MailSender::instance().busy()); }, Qt::QueuedConnection);
}

} // namespace main_window
