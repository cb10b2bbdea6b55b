#include "ftp/frmFTPNewFolder.h"

#include <algorithm>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "ftp/frmFTPBrowse.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/Form.h"
#include "platform/Named.h"

namespace ftp
{

frmFTPNewFolder::frmFTPNewFolder()
{
    setObjectName(QStringLiteral("frmFTPNewFolder"));
    setWindowTitle(QStringLiteral("Create new FTP folder..."));
    Label1 = platform::named<QLabel>("Label1", QStringLiteral("Please enter folder name:"), this);
    txtFolderName = platform::named<QLineEdit>("txtFolderName", this);
    txtFolderName->setMaxLength(250);
    txtFolderName->installEventFilter(this);
    Label1->setBuddy(txtFolderName);
    cmdCreate = platform::named<QPushButton>("cmdCreate", QStringLiteral("Create"), this);
    cmdCreate->setDefault(true);
    cmdCancel = platform::named<QPushButton>("cmdCancel", QStringLiteral("Cancel"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(txtFolderName);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCreate);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    resize(360, sizeHint().height());
    connect(cmdCreate, &QPushButton::clicked, this, &frmFTPNewFolder::cmdCreate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFTPNewFolder::cmdCancel_Click);
}

void frmFTPNewFolder::Form_Load()
{
    localisation::translateAndSkin(this);
}

bool frmFTPNewFolder::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtFolderName) {
        if (event->type() == QEvent::FocusIn)
            txtFolderName->selectAll();
        else if (event->type() == QEvent::FocusOut)
            txtFolderName->setText(txtFolderName->text().trimmed());
    }
    return QDialog::eventFilter(watched, event);
}

bool frmFTPNewFolder::ValidateFolderName(const QString& strText)
{
    static const QString refused = QStringLiteral("<>\\/:\"*?|");
    // "." and ".." name folders that exist already; neither can be created.
    if (strText == QLatin1String(".") || strText == QLatin1String(".."))
        return false;
    return std::none_of(strText.begin(), strText.end(),
                        [](QChar c) { return refused.contains(c) || c.category() == QChar::Other_Control; });
}

void frmFTPNewFolder::handBack(const QString& name)
{
    if (frmFTPBrowse* browser = platform::Form<frmFTPBrowse>::loaded())
        browser->folderName = name;
}

void frmFTPNewFolder::cmdCreate_Click()
{
    // Enter creates without leaving the box, so the blanks go here too.
    const QString name = txtFolderName->text().trimmed();
    txtFolderName->setText(name);
    if (name.isEmpty() || !ValidateFolderName(name)) {
        core::ask(this, localisation::Languages().getMessages(QStringLiteral("MSG_INVALID_FOLDER_NAME")));
        return;
    }
    handBack(name);
    platform::Form<frmFTPNewFolder>::unload();
}

void frmFTPNewFolder::cmdCancel_Click()
{
    handBack(QString());
    platform::Form<frmFTPNewFolder>::unload();
}

void frmFTPNewFolder::reject()
{
    cmdCancel_Click();
}

} // namespace ftp
