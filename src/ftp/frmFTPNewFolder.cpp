#include "ftp/frmFTPNewFolder.h"

#include <algorithm>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "ftp/frmFTPBrowse.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/Form.h"
#include "platform/Prompt.h"

namespace ftp
{

frmFTPNewFolder::frmFTPNewFolder()
{
    setObjectName(QStringLiteral("frmFTPNewFolder"));
    setWindowTitle(QStringLiteral("Create new FTP folder..."));
    Label1 = new QLabel(QStringLiteral("Please enter folder name:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtFolderName = new QLineEdit(this);
    txtFolderName->setObjectName(QStringLiteral("txtFolderName"));
    txtFolderName->setMaxLength(250);
    txtFolderName->installEventFilter(this);
    Label1->setBuddy(txtFolderName);
    cmdCreate = new QPushButton(QStringLiteral("Create"), this);
    cmdCreate->setObjectName(QStringLiteral("cmdCreate"));
    cmdCreate->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

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
        platform::Message message;
        message.text = localisation::Languages().getMessages(QStringLiteral("MSG_INVALID_FOLDER_NAME"));
        message.title = core::state().AppTitle;
        message.icon = platform::Icon::Exclamation;
        message.parent = this;
        platform::prompt().show(message);
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
