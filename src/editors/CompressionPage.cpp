#include "editors/CompressionPage.h"

#include "localisation/WindowCaptions.h"
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace editors
{
namespace
{
const QColor MatchColour(0x00, 0x80, 0x00);
const QColor MismatchColour(0xC0, 0x00, 0x00);

// A field's label, named so that the language file and the template reach it.
QLabel* fieldLabel(const char* name, const QString& text, QWidget* field)
{
    auto* label = new QLabel(text, field->parentWidget());
    label->setObjectName(QLatin1String(name));
    label->setBuddy(field);
    return label;
}

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}
} // namespace

CompressionPage::CompressionPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pctStep5"));
    auto* lblInfo = new QLabel(QStringLiteral("Your files can be compressed in .ZIP format and/or encrypted to "
                                              "conserve space and provide extra security, or stored in their "
                                              "original format for added convenience."),
                               this);
    lblInfo->setObjectName(QStringLiteral("lblCompressionInfo"));
    lblInfo->setWordWrap(true);

    auto* compression = new QGroupBox(QStringLiteral("Compression"), this);
    compression->setObjectName(QStringLiteral("fraCompression"));
    const char* modes[]
        = {"No compression, backup each file individually", "Compress all my files into one .ZIP file (7000 Files Max)",
           "Compress my files individually into many .ZIP files"};
    auto* compressionLayout = new QVBoxLayout(compression);
    for (int i = 0; i < 3; ++i) {
        optCompressionType[i] = new QRadioButton(QString::fromLatin1(modes[i]), compression);
        optCompressionType[i]->setObjectName(QStringLiteral("optCompressionType"));
        localisation::setControlIndex(optCompressionType[i], i);
        compressionLayout->addWidget(optCompressionType[i]);
        connect(optCompressionType[i], &QRadioButton::clicked, this, [this, i] { optCompressionType_Click(i); });
    }
    optCompressionType[0]->setChecked(true);
    txtZIPName = new QLineEdit(compression);
    txtZIPName->setObjectName(QStringLiteral("txtZIPName"));
    txtZIPName->setEnabled(false);
    auto* zipRow = new QFormLayout;
    zipRow->addRow(fieldLabel("lblZIPName", QStringLiteral("ZIP File Name:"), txtZIPName), txtZIPName);
    compressionLayout->addLayout(zipRow);

    auto* protection = new QGroupBox(QStringLiteral("Encryption"), this);
    protection->setObjectName(QStringLiteral("fraEncryption"));
    cmbProtection = new QComboBox(protection);
    cmbProtection->setObjectName(QStringLiteral("cmbProtection"));
    cmbProtection->addItems({QStringLiteral("No protection"), QStringLiteral("Blowfish encryption")});
    txtBFPassword = new QLineEdit(protection);
    txtBFPassword->setObjectName(QStringLiteral("txtBFPassword"));
    txtBFPassword->setEchoMode(QLineEdit::Password);
    txtBFPassword->setEnabled(false);
    txtBFConfirmation = new QLineEdit(protection);
    txtBFConfirmation->setObjectName(QStringLiteral("txtBFConfirmation"));
    txtBFConfirmation->setEchoMode(QLineEdit::Password);
    txtBFConfirmation->setEnabled(false);
    lblPasswordMatch = new QLabel(protection);
    lblPasswordMatch->setObjectName(QStringLiteral("lblPasswordMatch"));
    setTextColour(lblPasswordMatch, MatchColour);
    lblPasswordMatch->hide();
    auto* protectionLayout = new QFormLayout(protection);
    protectionLayout->addRow(fieldLabel("lblMethod", QStringLiteral("Method:"), cmbProtection), cmbProtection);
    protectionLayout->addRow(fieldLabel("lblBFPassword", QStringLiteral("Password:"), txtBFPassword), txtBFPassword);
    protectionLayout->addRow(fieldLabel("lblBFConfirmation", QStringLiteral("Retype Password:"), txtBFConfirmation),
                             txtBFConfirmation);
    protectionLayout->addRow(QString(), lblPasswordMatch);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addWidget(compression);
    layout->addWidget(protection);
    layout->addStretch();

    txtZIPName->installEventFilter(this);
    txtBFPassword->installEventFilter(this);
    txtBFConfirmation->installEventFilter(this);
    connect(cmbProtection, &QComboBox::currentIndexChanged, this, &CompressionPage::cmbProtection_Click);
    connect(txtBFPassword, &QLineEdit::textChanged, this, &CompressionPage::txtBFPassword_Change);
    connect(txtBFConfirmation, &QLineEdit::textChanged, this, &CompressionPage::txtBFConfirmation_Change);
}

bool CompressionPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtZIPName) {
        if (event->type() == QEvent::KeyPress) {
            const QString typed = static_cast<QKeyEvent*>(event)->text();
            if (typed.size() == 1 && txtZIPName_KeyPress(typed.at(0).unicode()))
                return true;
        } else if (event->type() == QEvent::FocusOut) {
            txtZIPName_LostFocus();
        } else if (event->type() == QEvent::FocusIn) {
            txtZIPName_GotFocus();
        }
    } else if (event->type() == QEvent::FocusIn) {
        if (watched == txtBFPassword)
            txtBFPassword_GotFocus();
        else if (watched == txtBFConfirmation)
            txtBFConfirmation_GotFocus();
    }
    return QWidget::eventFilter(watched, event);
}

void CompressionPage::optCompressionType_Click(int Index)
{
    txtZIPName->setEnabled(Index == 1);
}

bool CompressionPage::txtZIPName_KeyPress(int KeyAscii)
{
    if (KeyAscii != ' ')
        return false;
    txtZIPName->insert(QStringLiteral("_"));
    return true;
}

void CompressionPage::txtZIPName_LostFocus()
{
    QString name = txtZIPName->text().trimmed();
    if (!name.isEmpty() && !name.contains(QLatin1String(".zip"), Qt::CaseInsensitive))
        name += QLatin1String(".zip");
    if (name != txtZIPName->text())
        txtZIPName->setText(name);
}

void CompressionPage::txtZIPName_GotFocus()
{
    SelectText(txtZIPName);
}

void CompressionPage::cmbProtection_Click()
{
    const bool on = cmbProtection->currentIndex() == 1;
    txtBFPassword->setEnabled(on);
    txtBFConfirmation->setEnabled(on);
    lblPasswordMatch->setVisible(on);
}

void CompressionPage::txtBFPassword_Change()
{
    ValidatePassword();
}

void CompressionPage::txtBFConfirmation_Change()
{
    ValidatePassword();
}

void CompressionPage::txtBFPassword_GotFocus()
{
    SelectText(txtBFPassword);
}

void CompressionPage::txtBFConfirmation_GotFocus()
{
    SelectText(txtBFConfirmation);
}

void CompressionPage::ValidatePassword()
{
    const QString password = txtBFPassword->text();
    const QString confirmation = txtBFConfirmation->text();
    if (password.isEmpty() && confirmation.isEmpty()) {
        lblPasswordMatch->clear();
        PasswordsMatch = true;
    } else if (password == confirmation) {
        lblPasswordMatch->setText(QStringLiteral("Passwords match"));
        setTextColour(lblPasswordMatch, MatchColour);
        PasswordsMatch = true;
    } else {
        lblPasswordMatch->setText(QStringLiteral("Passwords do not match"));
        setTextColour(lblPasswordMatch, MismatchColour);
        PasswordsMatch = false;
    }
}

void CompressionPage::SelectText(QLineEdit* Box)
{
    Box->setSelection(0, int(Box->text().size()));
}

void CompressionPage::readInto(core::BackupSetInfo& set) const
{
    for (int i = 0; i < 3; ++i) {
        if (optCompressionType[i]->isChecked()) {
            set.Compression = core::fromStoredCode<core::CompressionMode>(i);
            break;
        }
    }
    set.ZIPName = txtZIPName->text();
    set.ProtectData = core::fromStoredCode<core::ProtectionMode>(cmbProtection->currentIndex());
    set.BFPassword = txtBFPassword->text();
}

void CompressionPage::showValues(const core::BackupSetInfo& set)
{
    const int compression = core::storedCode(set.Compression);
    if (compression >= 0 && compression < 3) {
        optCompressionType[compression]->setChecked(true);
        optCompressionType_Click(compression);
    }
    cmbProtection->setCurrentIndex(set.ProtectData == core::ProtectionMode::Blowfish ? 1 : 0);
    cmbProtection_Click();
    txtBFPassword->setText(set.BFPassword);
    txtBFConfirmation->setText(set.BFPassword);
    txtZIPName->setText(set.ZIPName);
}

} // namespace editors
