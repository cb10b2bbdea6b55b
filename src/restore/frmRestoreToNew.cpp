#include "restore/frmRestoreToNew.h"

#include <QAction>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/BrowseForFolder.h"
#include "platform/Form.h"
#include "platform/Named.h"
#include "platform/WindowSize.h"
#include "restore/frmSelectFiles.h"

namespace restore
{

frmRestoreToNew::frmRestoreToNew()
{
    setObjectName(QStringLiteral("frmRestoreToNew"));
    setWindowTitle(QStringLiteral("Restore to new location"));
    auto* layout = new QVBoxLayout(this);
    Label1 = platform::named<QLabel>("Label1", QStringLiteral("Select a folder to restore the selected backup"), this);
    lblInfo = platform::named<QLabel>("lblInfo", QStringLiteral("&Folder:"), this);
    txtnewFolder = platform::named<QLineEdit>("txtnewFolder", this);
    lblInfo->setBuddy(txtnewFolder);
    tbSearchFolder = platform::named<QToolBar>("tbSearchFolder", this);
    QAction* browse = tbSearchFolder->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QStringLiteral("..."));
    connect(browse, &QAction::triggered, this, &frmRestoreToNew::tbSearchFolder_ButtonClick);
    cmdOK = platform::named<QPushButton>("cmdOK", QStringLiteral("Ok"), this);
    cmdOK->setDefault(true);
    cmdCancel = platform::named<QPushButton>("cmdCancel", QStringLiteral("Cancel"), this);

    layout->addWidget(Label1);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(lblInfo);
    folderRow->addWidget(txtnewFolder, 1);
    folderRow->addWidget(tbSearchFolder);
    layout->addLayout(folderRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    connect(cmdOK, &QPushButton::clicked, this, &frmRestoreToNew::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRestoreToNew::cmdCancel_Click);
}

void frmRestoreToNew::Form_Load()
{
    txtnewFolder->clear();
    localisation::translateAndSkin(this);
    // Room for a whole path in the box, in the font it shows it in.
    platform::fitWindowToContent(
        this,
        platform::roomFor(this, txtnewFolder, QSize(platform::textRoom(txtnewFolder, platform::PathCharacters), 0)));
}

void frmRestoreToNew::tbSearchFolder_ButtonClick()
{
    QString folder;
    platform::BrowseForFolder(platform::csidl::Desktop, 64, folder, nullptr,
                              QStringLiteral("Select a folder to restore selected archive:"));
    if (!folder.isEmpty())
        txtnewFolder->setText(folder);
}

void frmRestoreToNew::cmdOK_Click()
{
    const QString folder = txtnewFolder->text();
    if (folder.isEmpty())
        return;
    // A relative folder would land wherever the program happened to start.
    if (!QDir::isAbsolutePath(folder)) {
        core::ask(this, localisation::Languages().getMessages(QStringLiteral("MSG_DIRECTORY")), platform::Icon::None);
        return;
    }
    RestoreRequest choice = m_choice;
    choice.previousLocation = false;
    choice.newFolder = folder;
    frmSelectFiles::open(choice);
    platform::Form<frmRestoreToNew>::unload();
}

void frmRestoreToNew::cmdCancel_Click()
{
    platform::Form<frmRestoreToNew>::unload();
}

} // namespace restore
