#include "localisation/frmLanguage.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/Settings.h"
#include "localisation/LanguageDownload.h"
#include "localisation/LanguageFile.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/Form.h"
#include "platform/Named.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"

namespace localisation
{

namespace
{
const QString kChooseHere = QStringLiteral("Choose Language Here");

QString languageFilePath()
{
    return platform::ProgramFolder::file(QLatin1String(LanguageFileName));
}
} // namespace

frmLanguage::frmLanguage()
    : m_download(new LanguageDownload(this))
{
    setObjectName(QStringLiteral("frmLanguage"));
    setWindowTitle(QStringLiteral("Language Selection"));
    auto* layout = new QVBoxLayout(this);
    Label1
        = platform::named<QLabel>("Label1", QStringLiteral("Please select the language you would like to use:"), this);
    Combo1 = platform::named<QComboBox>("Combo1", this);
    Combo1->setEditable(false);
    Combo1->setPlaceholderText(kChooseHere);
    Command1 = platform::named<QPushButton>("Command1", QStringLiteral("Check for language updates"), this);
    Command1->setAutoDefault(false);
    Command3 = platform::named<QPushButton>("Command3", QStringLiteral("Translate this program"), this);
    Command3->setAutoDefault(false);
    Command2 = platform::named<QPushButton>("Command2", QStringLiteral("OK"), this);
    Command2->setDefault(true);
    layout->addWidget(Label1);
    layout->addWidget(Combo1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command2);
    layout->addLayout(buttons);
    // Only the user's choice applies a language; filling the list is no choice.
    connect(Combo1, &QComboBox::activated, this, &frmLanguage::Combo1_Click);
    connect(Command1, &QPushButton::clicked, this, &frmLanguage::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmLanguage::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmLanguage::Command3_Click);
    connect(m_download, &LanguageDownload::finished, this, &frmLanguage::onDownloaded);
}

frmLanguage::~frmLanguage() = default;

void frmLanguage::Form_Load()
{
    const QString title = Languages().getMessages(QStringLiteral("MSG_TITLELANGUAGE"));
    if (!title.isEmpty())
        setWindowTitle(title);
    FillLanguageList();
    if (core::state().UseSkin)
        ApplySkin(this);
}

void frmLanguage::FillLanguageList()
{
    Combo1->clear();
    const std::optional<QString> text = readLanguageFile();
    if (!text)
        return;
    Combo1->addItems(languageNames(*text));
    const QString stored = core::GetUserPreference(QStringLiteral("Language"), QStringLiteral("English"));
    Combo1->setCurrentIndex(Combo1->findText(stored, Qt::MatchFixedString));
}

void frmLanguage::Combo1_Click()
{
    const QString language = Combo1->currentText();
    if (language.isEmpty() || language == kChooseHere)
        return;
    core::SaveUserPreference(QStringLiteral("Language"), language);
    if (core::MainWindowServices* services = core::mainWindowServices())
        if (QWidget* main = services->mainWindow())
            Languages().ChangeLanguage(main, language);
    Languages().ChangeLanguage(this, language);
}

void frmLanguage::Command1_Click()
{
    Command1->setEnabled(false);
    m_download->start(languageDownloadUrl());
}

void frmLanguage::onDownloaded(const QString& reason)
{
    Command1->setEnabled(true);
    if (reason.isEmpty()) {
        FillLanguageList();
        core::ask(this, Languages().getMessages(QStringLiteral("MSG_DOWNLOADED")), platform::Icon::None);
    } else {
        qWarning("Language file not downloaded: %s", qUtf8Printable(reason));
    }
    emit downloadEnded(reason);
}

void frmLanguage::Command2_Click()
{
    m_download->cancel();
    platform::Form<frmLanguage>::unload();
}

void frmLanguage::Command3_Click()
{
    const QString path = languageFilePath();
    if (QFile::exists(path))
        platform::shell().open(path, QString());
}

void frmLanguage::closeEvent(QCloseEvent* event)
{
    m_download->cancel();
    QDialog::closeEvent(event);
}

} // namespace localisation
