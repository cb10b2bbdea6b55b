// The main window's set list, its set loader and its file view.

#include <optional>

#include <QAction>
#include <QComboBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "main_window/BackupSetList.h"
#include "main_window/frmMain.h"

namespace main_window
{
namespace
{
const QString LoadLocation = QStringLiteral("frmMain.LoadBackup(bFromFile,strBackupname)");
const QString AllFiles = QStringLiteral("(All files)");
// Appended to a file view row's path: a folder gets a blank before it.
const QString FileMarker = QString(QChar(0x00A0));
const QString FolderMarker = QStringLiteral(" ") + QChar(0x00A0);

QString withoutMarker(const QString& text)
{
    if (text.endsWith(FolderMarker))
        return text.chopped(FolderMarker.size());
    if (text.endsWith(FileMarker))
        return text.chopped(FileMarker.size());
    return text;
}
} // namespace

// ---- Set list ----

void frmMain::LoadBackupSets(int Id)
{
    showSetListing(main_window::LoadBackupSets(Id));
}

void frmMain::listSetsSelecting(const QString& setName)
{
    SetListing listing = main_window::LoadBackupSets(-1);
    for (qsizetype i = 0; i < listing.rows.size(); ++i) {
        if (listing.rows.at(i).name == setName)
            listing.selectedRow = static_cast<int>(i);
    }
    showSetListing(listing);
}

void frmMain::showSetListing(const SetListing& listing)
{
    lstBackupSet->clear();
    lstBackupFiles->clear();
    clearSetProblem();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(listing.rows.size());
    for (const SetListRow& listed : listing.rows) {
        auto* row = new QTreeWidgetItem;
        row->setText(0, listed.name);
        for (int column = ItemTypeColumn; column <= SetColumnCount; ++column) {
            row->setText(column, listed.cells.value(column - 1));
            if (!listed.valid)
                row->setForeground(column, QColor(Qt::red));
        }
        if (!listed.valid) {
            row->setForeground(0, QColor(Qt::red));
            setRowProblem(row, QStringLiteral("The set \"%1\" cannot be used: %2").arg(listed.name, listed.problem));
        }
        rows.append(row);
    }
    lstBackupSet->addTopLevelItems(rows);

    if (listing.selectedRow < 0) {
        lstBackupFiles->hide();
        lblBackupSet->hide();
        // No set is left to act on.
        setSetCommands(false, false, false, false);
        return;
    }
    selectRow(lstBackupSet->topLevelItem(listing.selectedRow));
    if (loadSet(false, QString()) == LoadOutcome::Refused)
        return;
    if (QTreeWidgetItem* selected = selectedSetRow()) {
        CurrentSetName = selected->text(0);
        SelectedIndex = lstBackupSet->indexOfTopLevelItem(selected);
    }
}

QTreeWidgetItem* frmMain::setRow(const QString& setName) const
{
    for (int i = 0; i < lstBackupSet->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lstBackupSet->topLevelItem(i);
        if (row->text(0) == setName)
            return row;
    }
    return nullptr;
}

QTreeWidgetItem* frmMain::selectedSetRow() const
{
    const QList<QTreeWidgetItem*> selected = lstBackupSet->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void frmMain::selectRow(QTreeWidgetItem* row)
{
    lstBackupSet->setCurrentItem(row);
    row->setSelected(true);
}

void frmMain::SelectBackupSet(const QString& name)
{
    if (QTreeWidgetItem* row = setRow(name)) {
        selectRow(row);
        CurrentSetName = row->text(0);
        SelectedIndex = lstBackupSet->indexOfTopLevelItem(row);
    }
}

bool frmMain::setSetRowCell(const QString& setName, int subItem, const QString& text)
{
    QTreeWidgetItem* row = setRow(setName);
    if (!row)
        return false;
    row->setText(subItem, text);
    return true;
}

void frmMain::showSetRowFailed(const QString& setName)
{
    if (QTreeWidgetItem* row = setRow(setName)) {
        for (int column = 0; column < lstBackupSet->columnCount(); ++column)
            row->setForeground(column, QColor(Qt::red));
    }
}

// ---- Set loader ----

void frmMain::setSyncVersions(SetLoader::SyncVersionsFunction syncVersions)
{
    m_loader.setSyncVersions(std::move(syncVersions));
}

bool frmMain::LoadBackup(bool bFromFile, const QString& strBackupname)
{
    return loadSet(bFromFile, strBackupname) == LoadOutcome::Loaded;
}

frmMain::LoadOutcome frmMain::loadSet(bool bFromFile, const QString& strBackupname)
{
    // A load under way lets other handlers run while it prunes; a second one would mix two sets. The
    // set being loaded keeps the selection.
    if (m_loader.loading()) {
        if (QTreeWidgetItem* row = setRow(m_setBeingLoaded))
            selectRow(row);
        return LoadOutcome::Refused;
    }
    QString name = strBackupname;
    if (name.isEmpty()) {
        if (const QTreeWidgetItem* row = selectedSetRow()) {
            name = row->text(0);
        } else {
            core::reportFailure(LoadLocation, {bFromFile, strBackupname}, core::err::ObjectNotSet,
                                QStringLiteral("No set is selected in the list."));
            return LoadOutcome::NoSetSelected;
        }
    }
    // A run works on the loaded set from its start to its end: another set loaded meanwhile would
    // run in its place or take its outcome. The running set keeps the selection.
    const QString runningSet = core::state().CurrentSet.ItemName;
    if (name != runningSet && runUnderWay()) {
        if (QTreeWidgetItem* row = setRow(runningSet))
            selectRow(row);
        return LoadOutcome::Refused;
    }
    if (!strBackupname.isEmpty())
        SelectBackupSet(name);

    m_setBeingLoaded = name;
    const SetLoader::Result result = m_loader.LoadBackup(name);
    switch (result.outcome) {
    case SetLoader::Outcome::Refused:
        return LoadOutcome::Refused;
    case SetLoader::Outcome::Failed:
        showFailedLoad(result.setName, result.reason);
        break;
    case SetLoader::Outcome::Loaded:
        showLoadedSet(result, bFromFile);
        break;
    }
    // Other handlers may have run meanwhile: the selection goes back to the set loaded.
    if (QTreeWidgetItem* row = setRow(result.setName))
        selectRow(row);
    return result.outcome == SetLoader::Outcome::Loaded ? LoadOutcome::Loaded : LoadOutcome::Failed;
}

void frmMain::showLoadedSet(const SetLoader::Result& result, bool bFromFile)
{
    resetFileView();
    std::optional<QStringList> cached;
    if (bFromFile)
        cached = readFileListCache(result.setName);
    if (cached) {
        for (const QString& text : *cached) {
            QString line = text + QLatin1Char('\t');
            StickIconOntoListView(line, false, false, true);
        }
    } else {
        addFileRows(result.fileRows);
    }
    if (QTreeWidgetItem* row = setRow(result.setName)) {
        row->setText(NextRunTimeColumn, result.nextRunTime);
        setRowProblem(row, QString());
    }
    clearSetProblem();
    setSetCommands(true, core::state().CurrentSet.Ran, true, true);
    lstBackupFiles->show();
    lblBackupSet->show();
    if (!bFromFile)
        SaveFileListCache(result.setName);
}

void frmMain::showFailedLoad(const QString& setName, const QString& reason)
{
    resetFileView();
    QTreeWidgetItem* row = setRow(setName);
    // The reason goes where a person looks: the row and, while it is selected, the status bar.
    m_setProblem = reason;
    setStatusText(reason);
    if (row) {
        setRowProblem(row, reason);
        const QColor red(Qt::red);
        row->setForeground(0, red);
        row->setForeground(ItemTypeColumn, red);
        row->setText(ItemTypeColumn, QStringLiteral("Invalid file"));
        for (int column = LastRunTimeColumn; column <= StatusColumn; ++column)
            row->setText(column, QString());
    }
    // A set whose row is listed can still be deleted.
    const bool remove = row || m_deleteAllowed;
    setSetCommands(false, false, remove, false);
}

void frmMain::setRowProblem(QTreeWidgetItem* row, const QString& reason)
{
    for (int column = 0; column < lstBackupSet->columnCount(); ++column)
        row->setToolTip(column, reason);
}

void frmMain::clearSetProblem()
{
    // The mail sender's progress shares the panel and stays.
    if (!m_setProblem.isEmpty() && statusPanel(1)->text() == m_setProblem)
        setStatusText(QString());
    m_setProblem.clear();
}

void frmMain::resetFileView()
{
    lstBackupFiles->clear();
    ilImages.clear();
    imgCombo->clear();
    imgCombo->addItem(style()->standardIcon(QStyle::SP_DirOpenIcon), AllFiles, QStringLiteral("*.*"));
    imgCombo->setCurrentIndex(0);
}

void frmMain::SaveFileListCache(const QString& setName)
{
    QStringList texts;
    texts.reserve(lstBackupFiles->topLevelItemCount());
    for (int i = 0; i < lstBackupFiles->topLevelItemCount(); ++i)
        texts << lstBackupFiles->topLevelItem(i)->text(0);
    // The cache only spares a reading of the set; the load stands without it.
    main_window::SaveFileListCache(setName, texts);
}

// ---- File view ----

void frmMain::addFileRows(const QList<FileViewRow>& rows)
{
    // Added in one piece: a long list would otherwise be laid out once per row.
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const FileViewRow& row : rows) {
        QString path = row.path;
        items.append(fileViewRow(path, row.excluded, false));
    }
    lstBackupFiles->addTopLevelItems(items);
    if (m_filesSorted)
        lstBackupFiles->sortItems(m_filesSortColumn, m_filesSortOrder);
}

bool frmMain::ShowFolderContents(QString& folder)
{
    lstBackupFiles->clear();
    ilImages.clear();
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    addFileRows(main_window::ShowFolderContents(folder, globalexcludes()));
    return true;
}

void frmMain::showFileList(const QStringList& lines, const QList<bool>& excluded)
{
    lstBackupFiles->clear();
    ilImages.clear();
    QList<FileViewRow> rows;
    rows.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines.at(i).isEmpty())
            rows.append(FileViewRow {lines.at(i), excluded.value(i, false)});
    }
    addFileRows(rows);
}

void frmMain::StickIconOntoListView(QString& strFile, bool grayed, bool, bool bFromFile)
{
    lstBackupFiles->addTopLevelItem(fileViewRow(strFile, grayed, bFromFile));
}

QTreeWidgetItem* frmMain::fileViewRow(QString& strFile, bool grayed, bool bFromFile)
{
    const qsizetype tab = strFile.indexOf(QLatin1Char('\t'));
    if (tab >= 0)
        strFile.truncate(tab);
    // A cached row already carries its marker; its picture is still the path's.
    const QString key = bFromFile ? withoutMarker(strFile) : strFile;
    const QFileInfo info(key);
    QIcon& picture = ilImages[key];
    if (picture.isNull())
        picture = filePicture(info);
    if (!bFromFile)
        strFile += info.isDir() ? FolderMarker : FileMarker;
    auto* row = new QTreeWidgetItem(QStringList {strFile});
    row->setIcon(0, picture);
    if (grayed)
        row->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
    return row;
}

QIcon frmMain::filePicture(const QFileInfo& info)
{
    // A path that is gone is taken for a folder when it holds no point.
    if (!info.exists())
        return info.filePath().contains(QLatin1Char('.')) ? unknownPicture : folderPicture;
    // Files of one kind share a picture; asking the system once per kind keeps long lists quick.
    const QString kind = info.isDir() ? QStringLiteral("/") : info.suffix().toLower();
    QIcon& picture = m_kindPictures[kind];
    if (picture.isNull()) {
        picture = QFileIconProvider().icon(info);
        if (picture.isNull())
            picture = info.isDir() ? folderPicture : unknownPicture;
    }
    return picture;
}

// ---- Commands ----

void frmMain::setSetCommands(bool go, bool restore, bool remove, bool settings)
{
    m_deleteAllowed = remove;
    const QTreeWidgetItem* selected = selectedSetRow();
    remove = remove && !(selected && setIsBusy(selected->text(0)));
    toolbarButton(QStringLiteral("go"))->setEnabled(go);
    toolbarButton(QStringLiteral("restore"))->setEnabled(restore);
    toolbarButton(QStringLiteral("delete"))->setEnabled(remove);
    toolbarButton(QStringLiteral("settings"))->setEnabled(settings);
    cmdBackup->setEnabled(go);
    cmdRestore->setEnabled(restore);
    cmdDelete->setEnabled(remove);
    cmdSettings->setEnabled(settings);
    mnuFileSettings->setEnabled(settings);
    SyncButtons();
}

void frmMain::SyncButtons()
{
    mnuFileExecute->setEnabled(toolbarButton(QStringLiteral("go"))->isEnabled());
    mnuBackupAll->setEnabled(mnuFileExecute->isEnabled());
    mnuFileRestore->setEnabled(toolbarButton(QStringLiteral("restore"))->isEnabled());
    mnuFileDelete->setEnabled(toolbarButton(QStringLiteral("delete"))->isEnabled());
    mnuProjectSettings->setEnabled(toolbarButton(QStringLiteral("settings"))->isEnabled());
}

// ---- Events ----

void frmMain::lstBackupSet_ItemClick(QTreeWidgetItem* Item)
{
    if (!Item)
        return;
    // The row itself may be rebuilt while the set loads; its name stays.
    const QString name = Item->text(0);
    switch (loadSet(false, QString())) {
    case LoadOutcome::Loaded:
    case LoadOutcome::Failed:
        if (QTreeWidgetItem* row = setRow(name)) {
            CurrentSetName = name;
            SelectedIndex = lstBackupSet->indexOfTopLevelItem(row);
        }
        break;
    case LoadOutcome::Refused:
        break;
    case LoadOutcome::NoSetSelected:
        SelectedIndex = core::state().RunningIndex;
        break;
    }
}

void frmMain::lstBackupSet_MouseDown(Qt::MouseButton Button)
{
    LeftButtonDown = Button == Qt::LeftButton;
}

void frmMain::lstBackupSet_MouseUp(const QPoint& position)
{
    if (!lstBackupSet->itemAt(position)) {
        lstBackupSet->clearSelection();
        clearSetProblem();
        setSetCommands(false, false, false, false);
        return;
    }
    const core::BackupSetInfo& loaded = core::state().CurrentSet;
    if (loaded.LoadFailed)
        setSetCommands(false, false, true, false);
    else
        setSetCommands(true, loaded.Ran, true, true);
}

void frmMain::lstBackupSet_DblClick()
{
    if (LeftButtonDown && mnuProjectSettings->isEnabled())
        mnuProjectSettings_Click();
}

void frmMain::lstBackupFiles_ColumnClick(int column)
{
    m_filesSortColumn = column;
    m_filesSortOrder = m_filesSortOrder == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
    m_filesSorted = true;
    lstBackupFiles->header()->setSortIndicatorShown(true);
    lstBackupFiles->header()->setSortIndicator(column, m_filesSortOrder);
    lstBackupFiles->sortItems(column, m_filesSortOrder);
}

void frmMain::imgCombo_Click()
{
    if (imgCombo->currentIndex() == 0) {
        LoadBackup(false, QString());
        return;
    }
    QString folder = imgCombo->currentText();
    ShowFolderContents(folder);
}

} // namespace main_window
