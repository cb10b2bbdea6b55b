#include "editors/DestinationListPage.h"

#include <functional>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/Settings.h"
#include "editors/frmLanAdd.h"
#include "localisation/Languages.h"
#include "localisation/WindowCaptions.h"
#include "platform/Prompt.h"

namespace editors
{
namespace
{
constexpr int KeyRole = Qt::UserRole;
constexpr int TagRole = Qt::UserRole + 1;

// A list whose label edits never happen: the wizard opens the row's dialog instead, so the row's
// text, which names its kind, stays.
class DestinationTree : public QTreeWidget
{
public:
    using QTreeWidget::QTreeWidget;
    std::function<void()> beforeLabelEdit;

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        if (trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger)) {
            if (index.isValid() && beforeLabelEdit)
                beforeLabelEdit();
            return false;
        }
        return QTreeWidget::edit(index, trigger, event);
    }
};
} // namespace

DestinationListPage::DestinationListPage(EditorKind host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
{
    setObjectName(QStringLiteral("pctStep3"));
    lblDestinations = new QLabel(
        QStringLiteral("Select destination(s) for the backup set. You can backup your data locally, at a remote FTP "
                       "server or at an email address.  Note that files that are backed up to an email address must "
                       "be restored manually."),
        this);
    lblDestinations->setObjectName(QStringLiteral("lblDestinations"));
    lblDestinations->setWordWrap(true);

    auto* tree = new DestinationTree(this);
    lvDestinations = tree;
    lvDestinations->setObjectName(QStringLiteral("lvDestinations"));
    lvDestinations->setHeaderLabels({QStringLiteral("Destination"), QStringLiteral("Details")});
    lvDestinations->setRootIsDecorated(false);
    lvDestinations->setSelectionMode(QAbstractItemView::SingleSelection);
    lvDestinations->header()->resizeSection(0, 140);
    lvDestinations->header()->setStretchLastSection(true);

    cmdAddNewDest = new QPushButton(QStringLiteral("Add New Destination"), this);
    cmdAddNewDest->setObjectName(QStringLiteral("cmdAddNewDest"));
    cmdDestDetails = new QPushButton(QStringLiteral("Details"), this);
    cmdDestDetails->setObjectName(QStringLiteral("cmdDestDetails"));
    cmdRemoveDest = new QPushButton(QStringLiteral("Remove"), this);
    cmdRemoveDest->setObjectName(QStringLiteral("cmdRemoveDest"));

    mnuDestinationKind = new QMenu(this);
    mnuDestinationKind->setObjectName(host == EditorKind::Wizard ? QStringLiteral("mnuNewDestination")
                                                                 : QStringLiteral("mnuSelectDest"));
    mnuLocalLANFolder = mnuDestinationKind->addAction(QStringLiteral("Local or LAN folder"));
    mnuLocalLANFolder->setObjectName(QStringLiteral("mnuLocalLANFolder"));
    mnuFTPLocation = mnuDestinationKind->addAction(QStringLiteral("FTP Location"));
    mnuFTPLocation->setObjectName(QStringLiteral("mnuFTPLocation"));
    mnuEmailAddress = mnuDestinationKind->addAction(QStringLiteral("Email Address"));
    mnuEmailAddress->setObjectName(QStringLiteral("mnuEmailAddress"));

    fraRotation = new QGroupBox(QStringLiteral("Rotation"), this);
    fraRotation->setObjectName(QStringLiteral("fraRotation"));
    auto* rotation = new QVBoxLayout(fraRotation);
    const QString rotationTexts[] = {QStringLiteral("Rotate destinations each time this item is backed up."),
                                     QStringLiteral("Backup to all destinations every time.")};
    for (int i = 0; i < 2; ++i) {
        optRotation[i] = new QRadioButton(rotationTexts[i], fraRotation);
        optRotation[i]->setObjectName(QStringLiteral("optRotation"));
        localisation::setControlIndex(optRotation[i], i);
        rotation->addWidget(optRotation[i]);
    }
    optRotation[0]->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblDestinations);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(lvDestinations, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdAddNewDest);
    buttons->addWidget(cmdDestDetails);
    buttons->addWidget(cmdRemoveDest);
    buttons->addStretch();
    listRow->addLayout(buttons);
    layout->addLayout(listRow, 1);
    layout->addWidget(fraRotation);

    connect(cmdAddNewDest, &QPushButton::clicked, this, &DestinationListPage::cmdAddNewDest_Click);
    connect(mnuLocalLANFolder, &QAction::triggered, this, &DestinationListPage::mnuLocalLANFolder_Click);
    connect(mnuFTPLocation, &QAction::triggered, this, &DestinationListPage::mnuFTPLocation_Click);
    connect(mnuEmailAddress, &QAction::triggered, this, &DestinationListPage::mnuEmailAddress_Click);
    connect(cmdDestDetails, &QPushButton::clicked, this, &DestinationListPage::cmdDestDetails_Click);
    connect(cmdRemoveDest, &QPushButton::clicked, this, &DestinationListPage::cmdRemoveDest_Click);
    if (host == EditorKind::Wizard) {
        lvDestinations->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
        tree->beforeLabelEdit = [this] { lvDestinations_BeforeLabelEdit(); };
    } else {
        lvDestinations->setEditTriggers(QAbstractItemView::NoEditTriggers);
        connect(lvDestinations, &QTreeWidget::itemDoubleClicked, this, &DestinationListPage::lvDestinations_DblClick);
    }
    updateKindMenu();
}

void DestinationListPage::updateKindMenu()
{
    mnuFTPLocation->setEnabled(static_cast<bool>(core::destinationDialog(2)));
    mnuEmailAddress->setEnabled(static_cast<bool>(core::destinationDialog(3)));
}

void DestinationListPage::cmdAddNewDest_Click()
{
    updateKindMenu();
    // Drops down under the button.
    mnuDestinationKind->popup(cmdAddNewDest->mapToGlobal(QPoint(0, cmdAddNewDest->height())));
}

bool DestinationListPage::hasRoomForAnother()
{
    if (lvDestinations->topLevelItemCount() < core::MaxDestinations)
        return true;
    core::ask(window(), QStringLiteral("A backup set can have at most %1 destinations.").arg(core::MaxDestinations));
    return false;
}

bool DestinationListPage::openDialog(int type, bool edit)
{
    if (type == 1) {
        frmLanAdd::open(*this, edit);
        return true;
    }
    const core::DestinationDialogOpener open = core::destinationDialog(type);
    if (!open)
        return false;
    open(*this, edit);
    return true;
}

void DestinationListPage::mnuLocalLANFolder_Click()
{
    if (hasRoomForAnother())
        openDialog(1, false);
}

void DestinationListPage::mnuFTPLocation_Click()
{
    if (core::destinationDialog(2) && hasRoomForAnother())
        openDialog(2, false);
}

void DestinationListPage::mnuEmailAddress_Click()
{
    if (!core::destinationDialog(3))
        return;
    const QString recipient = core::ReadPreference(QStringLiteral("txtEmailTo"), QString());
    const QString server = core::ReadPreference(QStringLiteral("txtServer"), QString());
    if (!recipient.isEmpty() && !server.isEmpty()) {
        if (hasRoomForAnother())
            openDialog(3, false);
        return;
    }
    platform::Message notice;
    notice.title = core::state().AppTitle;
    notice.parent = window();
    if (m_host == EditorKind::Wizard) {
        const localisation::clsLanguages& languages = localisation::Languages();
        notice.text = languages.getMessages(QStringLiteral("MSG_SMTP1")) + QStringLiteral("\r\n")
            + languages.getMessages(QStringLiteral("MSG_SMTP2"));
    } else {
        notice.text = QStringLiteral("SMTP email settings have not been entered.\r\n"
                                     "Please enter email details before using this type of destination");
        notice.icon = platform::Icon::Information;
    }
    platform::prompt().show(notice);
    if (core::MainWindowServices* services = core::mainWindowServices())
        services->showPreferences(true);
}

void DestinationListPage::cmdDestDetails_Click()
{
    const int type = GetDestinationType(-1);
    if (type >= 1 && type <= 3)
        openDialog(type, true);
}

void DestinationListPage::cmdRemoveDest_Click()
{
    delete selectedRow();
}

void DestinationListPage::lvDestinations_BeforeLabelEdit()
{
    cmdDestDetails_Click();
}

void DestinationListPage::lvDestinations_DblClick()
{
    cmdDestDetails_Click();
}

int DestinationListPage::GetDestinationType(int row) const
{
    const QTreeWidgetItem* item = row == -1 ? selectedRow() : lvDestinations->topLevelItem(row - 1);
    if (!item)
        return -1;
    return core::storedCode(core::destinationRowType(item->text(0)));
}

void DestinationListPage::showDestinations(const core::BackupSetInfo& set)
{
    lvDestinations->clear();
    for (int slot = 1; slot <= std::min(set.DestCount, core::MaxDestinations); ++slot) {
        if (const auto row = core::rowFromDestination(set.Dest.at(slot)))
            addDestination(*row);
    }
    optRotation[set.RotationType == core::RotationMode::EveryDestination ? 1 : 0]->setChecked(true);
}

void DestinationListPage::storeDestinations(core::BackupSetInfo& set) const
{
    const int rows = std::min(lvDestinations->topLevelItemCount(), core::MaxDestinations);
    set.DestCount = rows;
    for (int i = 1; i <= rows; ++i)
        core::destinationFromRow(rowOf(lvDestinations->topLevelItem(i - 1)), set.Dest[i]);
    set.RotationType = core::fromStoredCode<core::RotationMode>(RotationType());
}

QList<core::DestinationRow> DestinationListPage::rows() const
{
    QList<core::DestinationRow> list;
    for (int i = 0; i < lvDestinations->topLevelItemCount(); ++i)
        list << rowOf(lvDestinations->topLevelItem(i));
    return list;
}

QList<quint64> DestinationListPage::rowKeys() const
{
    QList<quint64> keys;
    for (int i = 0; i < lvDestinations->topLevelItemCount(); ++i)
        keys << lvDestinations->topLevelItem(i)->data(0, KeyRole).toULongLong();
    return keys;
}

int DestinationListPage::RotationType() const
{
    return optRotation[0]->isChecked() ? 1 : 2;
}

std::optional<core::ListedDestination> DestinationListPage::selectedDestination() const
{
    const QTreeWidgetItem* item = selectedRow();
    if (!item)
        return std::nullopt;
    return core::ListedDestination {item->data(0, KeyRole).toULongLong(), rowOf(item)};
}

bool DestinationListPage::addDestination(const core::DestinationRow& row)
{
    if (lvDestinations->topLevelItemCount() >= core::MaxDestinations)
        return false;
    auto* item = new QTreeWidgetItem(lvDestinations);
    item->setData(0, KeyRole, m_nextKey++);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    writeRow(item, row);
    return true;
}

bool DestinationListPage::rewriteDestination(quint64 key, const core::DestinationRow& row)
{
    QTreeWidgetItem* item = rowWithKey(key);
    if (!item)
        return false;
    writeRow(item, row);
    return true;
}

QTreeWidgetItem* DestinationListPage::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = lvDestinations->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidgetItem* DestinationListPage::rowWithKey(quint64 key) const
{
    for (int i = 0; i < lvDestinations->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lvDestinations->topLevelItem(i);
        if (item->data(0, KeyRole).toULongLong() == key)
            return item;
    }
    return nullptr;
}

core::DestinationRow DestinationListPage::rowOf(const QTreeWidgetItem* item)
{
    return {item->text(0), item->text(1), core::DestinationRowTag(item->data(0, TagRole).toStringList())};
}

void DestinationListPage::writeRow(QTreeWidgetItem* item, const core::DestinationRow& row)
{
    item->setText(0, row.text);
    item->setText(1, row.details);
    item->setData(0, TagRole, row.tag.fields());
}

} // namespace editors
