#include "editors/SourceListPage.h"

#include <functional>
#include <set>

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "core/ProgramState.h"
#include "localisation/Languages.h"
#include "localisation/WindowCaptions.h"
#include "platform/FileDialogs.h"
#include "platform/Form.h"
#include "platform/Prompt.h"

namespace editors
{
namespace
{
// A tree that hands dropped data to the page.
class SourceTree : public QTreeWidget
{
public:
    using QTreeWidget::QTreeWidget;
    std::function<void(const QMimeData*)> dropped;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override
    {
        if (dropped)
            dropped(event->mimeData());
        event->acceptProposedAction();
    }
};

// A set stores each source on a line of its own, and the run mirrors it below its destinations.
bool isStorableSource(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return false;
    if (path.contains(QLatin1Char('\t')) || path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n')))
        return false;
    return !path.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

// The paths listed in a tree, kept sorted so that an overlap with a new path is found without
// comparing it with each of them: thousands of paths are added at once.
class ListedPaths
{
public:
    explicit ListedPaths(const QTreeWidget* tree)
    {
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            m_paths.insert(tree->topLevelItem(i)->text(0));
    }

    void insert(const QString& path) { m_paths.insert(path); }

    // Equal to a listed path, or one lies inside the other: the shorter ends at a folder boundary
    // of the longer.
    bool overlaps(const QString& path) const
    {
        if (m_paths.count(path) > 0)
            return true;
        for (qsizetype slash = path.indexOf(QLatin1Char('/')); slash >= 0;
             slash = path.indexOf(QLatin1Char('/'), slash + 1)) {
            if ((slash > 0 && m_paths.count(path.left(slash)) > 0) || m_paths.count(path.left(slash + 1)) > 0)
                return true;
        }
        const QString below = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
        const auto next = m_paths.lower_bound(below);
        return next != m_paths.end() && next->startsWith(below);
    }

private:
    std::set<QString> m_paths;
};

void refuse(QWidget* parent, const QString& text)
{
    core::ask(parent, text, platform::Icon::None);
}
} // namespace

SourceListPage::SourceListPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pctStep2"));
    m_icons.setIconSizeX(16);
    m_icons.setIconSizeY(16);
    m_icons.Create();

    auto* lblAddHint = new QLabel(QStringLiteral("Use the \"Add\" button to choose files/folders to backup."), this);
    lblAddHint->setObjectName(QStringLiteral("lblAddHint"));
    auto* lblCheckHint = new QLabel(QStringLiteral("Remove checkmarks to exclude selected files/folders."), this);
    lblCheckHint->setObjectName(QStringLiteral("lblCheckHint"));

    auto* tree = new SourceTree(this);
    tvBackupList = tree;
    tvBackupList->setObjectName(QStringLiteral("tvBackupList"));
    tvBackupList->setHeaderHidden(true);
    tvBackupList->setRootIsDecorated(false);
    tvBackupList->setSelectionMode(QAbstractItemView::SingleSelection);
    tvBackupList->setAcceptDrops(true);
    tvBackupList->viewport()->setAcceptDrops(true);
    tvBackupList->setDropIndicatorShown(false);
    tvBackupList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The column is fitted to the widest path once a batch of paths is in: fitting it on every
    // inserted row made thousands of paths take minutes.
    tvBackupList->header()->setSectionResizeMode(QHeaderView::Fixed);
    tvBackupList->header()->setResizeContentsPrecision(-1);
    tvBackupList->header()->setStretchLastSection(false);
    tree->dropped = [this](const QMimeData* data) { tvBackupList_OLEDragDrop(data); };

    cmdAdd = new QPushButton(QStringLiteral("Add"), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdRemove = new QPushButton(QStringLiteral("Remove"), this);
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    cmdRemove->setEnabled(false);
    // The wizard puts the focus on Add; Enter still belongs to the host's Next or OK.
    cmdAdd->setAutoDefault(false);
    cmdRemove->setAutoDefault(false);
    mnuSelectSource = new QMenu(this);
    mnuSelectSource->setObjectName(QStringLiteral("mnuSelectSource"));
    mnuFolder = mnuSelectSource->addAction(QStringLiteral("Fol&der..."));
    mnuFolder->setObjectName(QStringLiteral("mnuFolder"));
    mnuFiles = mnuSelectSource->addAction(QStringLiteral("&Files..."));
    mnuFiles->setObjectName(QStringLiteral("mnuFiles"));

    auto* lblExclude = new QLabel(QStringLiteral("Exclude masks: the program will ignore these files"), this);
    lblExclude->setObjectName(QStringLiteral("lblExclude"));
    txtExcludeMasks = new QLineEdit(this);
    txtExcludeMasks->setObjectName(QStringLiteral("txtExcludeMasks"));
    txtExcludeMasks->setToolTip(QStringLiteral("This pattern defines files to exclude from backup set"));
    auto* lblInclude = new QLabel(QStringLiteral("Include masks: the program will process only these files"), this);
    lblInclude->setObjectName(QStringLiteral("lblInclude"));
    txtIncludeMasks = new QLineEdit(QStringLiteral("*.*"), this);
    txtIncludeMasks->setObjectName(QStringLiteral("txtIncludeMasks"));
    txtIncludeMasks->setToolTip(QStringLiteral("This pattern defines files to be included."));
    auto* lblMaskHint = new QLabel(QStringLiteral("Separate multiple masks with a comma (i.e. *.bak, *.old)"), this);
    lblMaskHint->setObjectName(QStringLiteral("lblMaskHint"));
    lblExclude->setBuddy(txtExcludeMasks);
    lblInclude->setBuddy(txtIncludeMasks);

    chkToFolders = new QCheckBox(QStringLiteral("Include Subfolders"), this);
    chkToFolders->setObjectName(QStringLiteral("chkToFolders"));
    chkToFolders->setChecked(true);
    chkToFolders->hide();
    const QString maskOptions[] = {QStringLiteral("Exclude masks (the program will ignore these files ):"),
                                   QStringLiteral("Include masks (the program will process only these files): ")};
    for (int i = 0; i < 2; ++i) {
        optMasks[i] = new QRadioButton(maskOptions[i], this);
        optMasks[i]->setObjectName(QStringLiteral("optMasks"));
        localisation::setControlIndex(optMasks[i], i);
        optMasks[i]->hide();
    }
    optMasks[1]->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblAddHint);
    layout->addWidget(lblCheckHint);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(tvBackupList, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdRemove);
    buttons->addStretch();
    listRow->addLayout(buttons);
    layout->addLayout(listRow, 1);
    auto* masks = new QGridLayout;
    masks->addWidget(lblExclude, 0, 0);
    masks->addWidget(txtExcludeMasks, 0, 1);
    masks->addWidget(lblInclude, 1, 0);
    masks->addWidget(txtIncludeMasks, 1, 1);
    masks->setColumnStretch(1, 1);
    layout->addLayout(masks);
    layout->addWidget(lblMaskHint);

    connect(cmdAdd, &QPushButton::clicked, this, &SourceListPage::cmdAdd_Click);
    connect(mnuFiles, &QAction::triggered, this, &SourceListPage::mnuFiles_Click);
    connect(mnuFolder, &QAction::triggered, this, &SourceListPage::mnuFolder_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &SourceListPage::cmdRemove_Click);
    connect(tvBackupList, &QTreeWidget::itemChanged, this, &SourceListPage::tvBackupList_NodeCheck);
    txtExcludeMasks->installEventFilter(this);
    txtIncludeMasks->installEventFilter(this);
}

bool SourceListPage::StickIconOntoListView(const QString& strFile)
{
    return addPaths({strFile}) == 1;
}

int SourceListPage::addPaths(const QStringList& paths)
{
    ListedPaths listed(tvBackupList);
    QStringList accepted;
    for (const QString& path : paths) {
        if (!isStorableSource(path)) {
            refuse(window(),
                   QStringLiteral("\"%1\" cannot be backed up: a backup item must be a full path without \"..\" "
                                  "parts, tabs or line breaks.")
                       .arg(path));
            continue;
        }
        if (listed.overlaps(path)) {
            const localisation::clsLanguages& languages = localisation::Languages();
            refuse(window(),
                   languages.getMessages(QStringLiteral("MSG_DUPE1")) + QStringLiteral("\r\n\r\n")
                       + languages.getMessages(QStringLiteral("MSG_DUPE2")) + QStringLiteral("\r\n\r\n")
                       + languages.getMessages(QStringLiteral("MSG_DUPE3")));
            continue;
        }
        listed.insert(path);
        accepted << path;
    }
    showStoredPaths(accepted);
    return static_cast<int>(accepted.size());
}

void SourceListPage::showStoredPaths(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    QList<QTreeWidgetItem*> nodes;
    nodes.reserve(paths.size());
    for (const QString& path : paths) {
        // A path with no icon of its own (gone, or unreadable) shows the unknown-file icon at index 0.
        auto* node = new QTreeWidgetItem;
        node->setText(0, path);
        node->setIcon(0, controls::cVBALSysImageList::iconAt(m_icons.hIml(), m_icons.ItemIndex(path, true)));
        node->setFlags(node->flags() | Qt::ItemIsUserCheckable);
        node->setCheckState(0, Qt::Checked);
        node->setForeground(0, nodeColour(Qt::Checked));
        nodes << node;
    }
    tvBackupList->addTopLevelItems(nodes);
    tvBackupList->setCurrentItem(nodes.last());
    cmdRemove->setEnabled(true);
    fitColumn();
}

void SourceListPage::fitColumn()
{
    tvBackupList->resizeColumnToContents(0);
}

QBrush SourceListPage::nodeColour(Qt::CheckState state) const
{
    return palette().brush(state == Qt::Checked ? QPalette::Active : QPalette::Disabled, QPalette::Text);
}

void SourceListPage::cmdAdd_Click()
{
    // Drops down under the button.
    mnuSelectSource->popup(cmdAdd->mapToGlobal(QPoint(0, cmdAdd->height())));
}

void SourceListPage::mnuFiles_Click()
{
    const auto files = platform::fileDialogs().chooseOpenFiles(
        window(), QStringLiteral("Select a file or files to backup..."), QString(), QStringLiteral("All files (*)"));
    if (!files)
        return;
    addPaths(*files);
    scrollToLeft();
}

void SourceListPage::mnuFolder_Click()
{
    const auto folder
        = platform::fileDialogs().chooseFolder(window(), QStringLiteral("Select a folder to backup..."), QString());
    if (folder && !folder->isEmpty())
        StickIconOntoListView(*folder);
}

void SourceListPage::cmdRemove_Click()
{
    QTreeWidgetItem* node = tvBackupList->currentItem();
    if (!node || !node->isSelected())
        return;
    delete node;
    if (tvBackupList->topLevelItemCount() == 0)
        cmdRemove->setEnabled(false);
    fitColumn();
}

void SourceListPage::tvBackupList_NodeCheck(QTreeWidgetItem* Node)
{
    if (!Node)
        return;
    const QBrush colour = nodeColour(Node->checkState(0));
    if (Node->foreground(0) != colour)
        Node->setForeground(0, colour);
}

void SourceListPage::tvBackupList_OLEDragDrop(const QMimeData* Data)
{
    if (!Data || !Data->hasUrls())
        return;
    QStringList paths;
    for (const QUrl& url : Data->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    addPaths(paths);
    scrollToLeft();
}

void SourceListPage::txtExcludeMasks_GotFocus()
{
    txtExcludeMasks->selectAll();
}

void SourceListPage::txtIncludeMasks_GotFocus()
{
    txtIncludeMasks->selectAll();
}

void SourceListPage::scrollToLeft()
{
    tvBackupList->horizontalScrollBar()->setValue(tvBackupList->horizontalScrollBar()->minimum());
}

bool SourceListPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor.
        if (watched == txtExcludeMasks)
            QTimer::singleShot(0, this, &SourceListPage::txtExcludeMasks_GotFocus);
        else if (watched == txtIncludeMasks)
            QTimer::singleShot(0, this, &SourceListPage::txtIncludeMasks_GotFocus);
    }
    return QWidget::eventFilter(watched, event);
}

QStringList SourceListPage::checkedPaths() const
{
    QStringList paths;
    for (int i = 0; i < tvBackupList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* node = tvBackupList->topLevelItem(i);
        if (node->checkState(0) == Qt::Checked)
            paths << node->text(0);
    }
    return paths;
}

QString SourceListPage::excludeMasks() const
{
    return txtExcludeMasks->text();
}

QString SourceListPage::includeMasks() const
{
    return txtIncludeMasks->text();
}

bool SourceListPage::includeSubfolders() const
{
    return chkToFolders->isChecked();
}

SourceListPage* loadedSourcePage(const QString& editorName)
{
    for (QWidget* window : platform::loadedWindows()) {
        if (window->objectName() == editorName)
            return window->findChild<SourceListPage*>(QStringLiteral("pctStep2"));
    }
    return nullptr;
}

} // namespace editors
