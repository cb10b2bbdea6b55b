#include "editors/frmFilesAndDirectories.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editors/SourceListPage.h"
#include "localisation/Skin.h"
#include "platform/Form.h"
#include "platform/Named.h"

namespace editors
{
namespace
{
constexpr int KeyRole = Qt::UserRole;
constexpr int MarkRole = Qt::UserRole + 1;
const QString Placeholder = QStringLiteral("TODO:");

// The hourglass for as long as a folder is being listed, however the listing ends.
class BusyPointer
{
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};
} // namespace

frmFilesAndDirectories::frmFilesAndDirectories()
{
    setObjectName(QStringLiteral("frmFilesAndDirectories"));
    setWindowTitle(QStringLiteral("Browse for folder."));
    tvwDirs = platform::named<QTreeWidget>("tvwDirs", this);
    tvwDirs->setHeaderHidden(true);
    tvwDirs->setSelectionMode(QAbstractItemView::SingleSelection);
    tvwDirs->setIconSize(QSize(16, 16));
    cmdSelectFolder
        = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("Select"), this);
    cmdSelectFolder->setObjectName(QStringLiteral("cmdSelectFolder"));
    cmdSelectFolder->setIconSize(QSize(24, 24));
    cmdSelectFolder->setMinimumSize(93, 40);
    cmdCancel = platform::named<QPushButton>("cmdCancel", style()->standardIcon(QStyle::SP_DialogCancelButton),
                                             QStringLiteral("Cancel"), this);
    cmdCancel->setIconSize(QSize(24, 24));
    cmdCancel->setMinimumSize(93, 40);
    CalledBy = platform::named<QLineEdit>("CalledBy", this);
    CalledBy->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tvwDirs, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdSelectFolder);
    layout->addLayout(buttons);
    resize(560, 330);

    connect(tvwDirs, &QTreeWidget::itemExpanded, this, &frmFilesAndDirectories::tvwDirs_Expand);
    connect(tvwDirs, &QTreeWidget::itemSelectionChanged, this, &frmFilesAndDirectories::tvwDirs_SelectedNodeChanged);
    connect(cmdSelectFolder, &QPushButton::clicked, this, &frmFilesAndDirectories::cmdSelectFolder_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFilesAndDirectories::cmdCancel_Click);
}

void frmFilesAndDirectories::Form_Load()
{
    localisation::translateAndSkin(this);
    m_icons.setIconSizeX(16);
    m_icons.setIconSizeY(16);
    m_icons.Create();
    // Nothing chosen yet: Select would hand over the whole machine.
    cmdSelectFolder->setEnabled(false);
    for (const platform::ShellItem& item : platform::shellNamespace().drives())
        addNode(nullptr, item);
}

void frmFilesAndDirectories::addNode(QTreeWidgetItem* parent, const platform::ShellItem& item)
{
    ++m_nodeCounter;
    auto* node = new QTreeWidgetItem;
    node->setData(0, KeyRole, QString::number(m_nodeCounter) + QLatin1Char(':') + item.path);
    node->setText(0, item.name);
    node->setIcon(0, controls::cVBALSysImageList::iconAt(m_icons.hIml(), m_icons.ItemIndex(item.path, true)));
    if (parent)
        parent->addChild(node);
    else
        tvwDirs->addTopLevelItem(node);
    if (item.isFolder) {
        node->setData(0, MarkRole, 0);
        ++m_nodeCounter;
        // Lets the tree offer to open the folder before it has been listed.
        auto* placeholder = new QTreeWidgetItem(node);
        placeholder->setData(0, KeyRole, Placeholder + QString::number(m_nodeCounter));
        placeholder->setText(0, QStringLiteral("Unexpanded"));
    } else {
        node->setData(0, MarkRole, 1);
    }
}

void frmFilesAndDirectories::tvwDirs_Expand(QTreeWidgetItem* Node)
{
    if (!Node || Node->childCount() == 0 || !nodeKey(Node->child(0)).startsWith(Placeholder))
        return;
    const BusyPointer busy;
    delete Node->takeChild(0);
    const QString key = nodeKey(Node);
    const QString path = key.mid(key.indexOf(QLatin1Char(':')) + 1);
    if (const auto items = platform::shellNamespace().items(path)) {
        for (const platform::ShellItem& item : *items)
            addNode(Node, item);
    }
}

void frmFilesAndDirectories::tvwDirs_SelectedNodeChanged()
{
    const QList<QTreeWidgetItem*> selected = tvwDirs->selectedItems();
    if (selected.isEmpty())
        return;
    const QTreeWidgetItem* node = selected.first();
    const QString key = nodeKey(node);
    m_chosenPath = key.mid(key.indexOf(QLatin1Char(':')) + 1);
    cmdSelectFolder->setEnabled(nodeMark(node) == 0);
}

void frmFilesAndDirectories::cmdSelectFolder_Click()
{
    const QString caller = CalledBy->text();
    if (caller == QLatin1String("frmSettings") || caller == QLatin1String("frmWizard")) {
        if (SourceListPage* sources = loadedSourcePage(caller)) {
            // A root already ends with "/" and is not handed over.
            if (!m_chosenPath.endsWith(QLatin1Char('/')))
                sources->StickIconOntoListView(m_chosenPath + QLatin1Char('/'));
            sources->scrollToLeft();
        }
    }
    platform::Form<frmFilesAndDirectories>::unload();
}

void frmFilesAndDirectories::cmdCancel_Click()
{
    platform::Form<frmFilesAndDirectories>::unload();
}

QString frmFilesAndDirectories::nodeKey(const QTreeWidgetItem* node)
{
    return node ? node->data(0, KeyRole).toString() : QString();
}

int frmFilesAndDirectories::nodeMark(const QTreeWidgetItem* node)
{
    // A placeholder carries no mark and can never be chosen.
    const QVariant mark = node ? node->data(0, MarkRole) : QVariant();
    return mark.isValid() ? mark.toInt() : 1;
}

} // namespace editors
