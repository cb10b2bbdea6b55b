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

#include "core/ProgramState.h"
#include "core/Settings.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/FileDialogs.h"
#include "platform/Form.h"
#include "platform/Prompt.h"

namespace editors
{
namespace
{
core::DestinationCallerRef& caller()
{
    static core::DestinationCallerRef remembered;
    return remembered;
}
} // namespace

frmLanAdd::frmLanAdd()
{
    setObjectName(QStringLiteral("frmLanAdd"));
    setWindowTitle(QStringLiteral("Add LAN / Local folder"));
    auto* layout = new QVBoxLayout(this);
    lblInfo1 = new QLabel(QStringLiteral("Select a folder on the local machine or LAN to backup"), this);
    lblInfo1->setObjectName(QStringLiteral("lblInfo1"));
    lblInfo2 = new QLabel(QStringLiteral("&Folder:"), this);
    lblInfo2->setObjectName(QStringLiteral("lblInfo2"));
    txtFolderBackup = new QLineEdit(this);
    txtFolderBackup->setObjectName(QStringLiteral("txtFolderBackup"));
    txtFolderBackup->setToolTip(QStringLiteral("Specify the location"));
    lblInfo2->setBuddy(txtFolderBackup);
    tbSearchFolder = new QToolBar(this);
    tbSearchFolder->setObjectName(QStringLiteral("tbSearchFolder"));
    QAction* browse = tbSearchFolder->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QStringLiteral("..."));
    connect(browse, &QAction::triggered, this, &frmLanAdd::tbSearchFolder_ButtonClick);
    chkNew = new QCheckBox(this);
    chkNew->setObjectName(QStringLiteral("chkNew"));
    chkNew->setChecked(true);
    chkNew->hide();
    cmdOK = new QPushButton(QStringLiteral("Ok"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

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
    resize(460, sizeHint().height());
    connect(cmdOK, &QPushButton::clicked, this, &frmLanAdd::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLanAdd::cmdCancel_Click);
}

void frmLanAdd::SetCaller(core::DestinationCaller* frmName)
{
    caller().set(frmName);
}

void frmLanAdd::open(core::DestinationCaller& destinations, bool edit)
{
    core::openDestinationDialog<frmLanAdd>(destinations, edit);
}

void frmLanAdd::LoadDetails()
{
    const core::DestinationCaller* list = caller().get();
    const auto selected = list ? list->selectedDestination() : std::nullopt;
    if (!selected)
        return;
    m_loadedRow = selected->key;
    const QStringList& fields = selected->row.tag.fields();
    txtFolderBackup->setText(fields.isEmpty() ? QString() : fields.first());
}

void frmLanAdd::Form_Load()
{
    localisation::translateAndSkin(this);
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
        platform::Message message;
        message.text = localisation::Languages().getMessages(QStringLiteral("MSG_DIRECTORY"));
        message.title = core::state().AppTitle;
        message.icon = platform::Icon::Information;
        message.parent = this;
        platform::prompt().show(message);
        return;
    }
    if (core::DestinationCaller* list = caller().get()) {
        const core::DestinationRow row = core::folderRow(folder);
        if (chkNew->isChecked())
            list->addDestination(row);
        else if (m_loadedRow)
            list->rewriteDestination(*m_loadedRow, row);
    }
    platform::Form<frmLanAdd>::unload();
}

void frmLanAdd::cmdCancel_Click()
{
    platform::Form<frmLanAdd>::unload();
}

} // namespace editors
