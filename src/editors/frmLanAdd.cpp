#include "editors/frmLanAdd.h"

#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "core/Settings.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/FileDialogs.h"
#include "platform/Form.h"
#include "platform/Named.h"
#include "platform/WindowSize.h"

namespace editors
{
frmLanAdd::frmLanAdd()
    : DestinationDialogOf("frmLanAdd", QStringLiteral("Add LAN / Local folder"))
{
    auto* layout = new QVBoxLayout(this);
    lblInfo1 = platform::named<QLabel>("lblInfo1",
                                       QStringLiteral("Select a folder on the local machine or LAN to backup"), this);
    lblInfo2 = platform::named<QLabel>("lblInfo2", QStringLiteral("&Folder:"), this);
    txtFolderBackup = platform::named<QLineEdit>("txtFolderBackup", this);
    txtFolderBackup->setToolTip(QStringLiteral("Specify the location"));
    lblInfo2->setBuddy(txtFolderBackup);
    tbSearchFolder = platform::named<QToolBar>("tbSearchFolder", this);
    QAction* browse = tbSearchFolder->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QStringLiteral("..."));
    connect(browse, &QAction::triggered, this, &frmLanAdd::tbSearchFolder_ButtonClick);
    createButtons();

    layout->addWidget(lblInfo1);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(lblInfo2);
    folderRow->addWidget(txtFolderBackup, 1);
    folderRow->addWidget(tbSearchFolder);
    layout->addLayout(folderRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    connect(cmdOK, &QPushButton::clicked, this, &frmLanAdd::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLanAdd::cmdCancel_Click);
}

void frmLanAdd::LoadDetails()
{
    const auto selected = loadSelected(caller());
    if (!selected)
        return;
    const QStringList& fields = selected->row.tag.fields();
    txtFolderBackup->setText(fields.isEmpty() ? QString() : fields.first());
}

void frmLanAdd::Form_Load()
{
    localisation::translateAndSkin(this);
    // Room for a whole path in the box, in the font it shows it in.
    platform::fitWindowToContent(
        this,
        platform::roomFor(this, txtFolderBackup,
                          QSize(platform::textRoom(txtFolderBackup, platform::PathCharacters), 0)));
    txtFolderBackup->setText(core::ReadPreference(QStringLiteral("txtLanFolder"), QString()));
}

void frmLanAdd::tbSearchFolder_ButtonClick()
{
    const auto folder = platform::fileDialogs().chooseFolder(
        this, QStringLiteral("Please select a folder to store the backup:"), txtFolderBackup->text());
    if (folder && !folder->isEmpty())
        txtFolderBackup->setText(*folder);
}

bool frmLanAdd::isStorableFolder(const QString& folder)
{
    if (folder.trimmed().isEmpty() || !folder.startsWith(QLatin1Char('/')))
        return false;
    if (folder.contains(QLatin1Char('|')) || folder.contains(QStringLiteral("~!~")))
        return false;
    return std::none_of(folder.begin(), folder.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

void frmLanAdd::cmdOK_Click()
{
    const QString folder = txtFolderBackup->text();
    if (!isStorableFolder(folder)) {
        core::ask(this, localisation::Languages().getMessages(QStringLiteral("MSG_DIRECTORY")),
                  platform::Icon::Information);
        return;
    }
    storeRow(caller(), core::folderRow(folder));
    platform::Form<frmLanAdd>::unload();
}

} // namespace editors
