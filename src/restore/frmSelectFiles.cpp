#include "restore/frmSelectFiles.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "core/ProgramState.h"
#include "localisation/Skin.h"
#include "platform/Form.h"
#include "platform/Named.h"
#include "platform/WindowSize.h"
#include "restore/RestoreList.h"
#include "restore/frmRestoring.h"

namespace restore
{
namespace
{
void tell(QWidget* parent, const QString& text)
{
    core::ask(parent, text);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    return platform::named<QPushButton>(name, caption, parent);
}
} // namespace

frmSelectFiles::frmSelectFiles()
{
    setObjectName(QStringLiteral("frmSelectFiles"));
    setWindowTitle(QStringLiteral("Select the files you would like to restore"));
    auto* layout = new QVBoxLayout(this);
    List1 = platform::named<QTreeWidget>("List1", this);
    List1->setRootIsDecorated(false);
    List1->setUniformRowHeights(true);
    List1->setHeaderLabels({QStringLiteral("File")});
    List1->header()->setStretchLastSection(true);
    cmdSelectAll = button(this, "cmdSelectAll", QStringLiteral("Select All"));
    cmdSelInv = button(this, "cmdSelInv", QStringLiteral("Select Inverse"));
    cmdOK = button(this, "cmdOK", QStringLiteral("Ok"));
    cmdCancel = button(this, "cmdCancel", QStringLiteral("Cancel"));
    layout->addWidget(List1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSelectAll);
    buttons->addWidget(cmdSelInv);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    connect(cmdSelectAll, &QPushButton::clicked, this, &frmSelectFiles::cmdSelectAll_Click);
    connect(cmdSelInv, &QPushButton::clicked, this, &frmSelectFiles::cmdSelInv_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmSelectFiles::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSelectFiles::cmdCancel_Click);
}

frmSelectFiles* frmSelectFiles::open(const RestoreRequest& choice)
{
    platform::Form<frmSelectFiles>::unload();
    frmSelectFiles* window = platform::Form<frmSelectFiles>::load();
    if (!window)
        return nullptr;
    window->setChoice(choice);
    window->show();
    return window;
}

void frmSelectFiles::Form_Load()
{
    localisation::translateAndSkin(this);
}

void frmSelectFiles::setChoice(const RestoreRequest& choice)
{
    m_choice = choice;
    fillList();
    // Paths whole where the screen allows, and rows for a good part of the list, in the list's font.
    platform::fitWindowToContent(
        this,
        platform::roomFor(this, List1,
                          QSize(platform::fitColumnsToContent(List1), platform::heightForRows(List1, ShownRows))));
}

void frmSelectFiles::fillList()
{
    List1->clear();
    QString error;
    const std::optional<QStringList> paths = readLastRunFiles(m_choice.setName, error);
    if (!paths) {
        tell(this, error);
        return;
    }
    QList<QTreeWidgetItem*> items;
    items.reserve(paths->size());
    for (const QString& path : *paths) {
        auto* item = new QTreeWidgetItem(QStringList {path});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren);
        items << item;
    }
    List1->addTopLevelItems(items);
    cmdSelectAll_Click();
}

void frmSelectFiles::cmdSelectAll_Click()
{
    for (int i = 0; i < List1->topLevelItemCount(); ++i)
        List1->topLevelItem(i)->setCheckState(0, Qt::Checked);
}

void frmSelectFiles::cmdSelInv_Click()
{
    for (int i = 0; i < List1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = List1->topLevelItem(i);
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

QStringList frmSelectFiles::tickedPaths() const
{
    QStringList paths;
    for (int i = 0; i < List1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = List1->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            paths << item->text(0);
    }
    return paths;
}

void frmSelectFiles::cmdOK_Click()
{
    // The restore reads the loaded set; a choice made for another set must not run on it.
    if (loadedSetName() != m_choice.setName) {
        tell(this,
             QStringLiteral("The set \"%1\" is no longer the set loaded in the main window. Select it in "
                            "the main window and start the restore again.")
                 .arg(m_choice.setName));
        return;
    }
    // Both would share the stop request: a Cancel of one would end the other.
    if (core::state().RunInProgress) {
        tell(this, QStringLiteral("A backup is running. Please start the restore when it has finished."));
        return;
    }
    if (const platform::Result written = writeRestoreList(m_choice.setName, tickedPaths()); !written) {
        tell(this, QStringLiteral("The list of the files to restore could not be written: %1").arg(written.reason()));
        return;
    }
    // A run that ended since the restore was opened leaves its stop request set.
    core::state().bStopBackup = false;
    if (frmRestoring* restoring = platform::Form<frmRestoring>::load())
        restoring->startRestore(m_choice);
    platform::Form<frmSelectFiles>::unload();
}

void frmSelectFiles::cmdCancel_Click()
{
    platform::Form<frmSelectFiles>::unload();
}

} // namespace restore
