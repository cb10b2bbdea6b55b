#pragma once

#include <array>

#include <QStringList>
#include <QWidget>

#include "controls/cVBALSysImageList.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace editors
{

// The page of both editors that lists what a set saves: files and folders with their icons and
// check marks, and the include and exclude masks. No listed entry may overlap another, so that no
// file is collected twice by a run.
class SourceListPage : public QWidget
{
    Q_OBJECT

public:
    explicit SourceListPage(QWidget* parent = nullptr);

    // Adds one path to the tree, checked and selected, unless a set cannot store it or it overlaps a
    // listed one; a refusal is shown with the reason. True when the path was added.
    bool StickIconOntoListView(const QString& strFile);
    // Adds several paths at once, each as StickIconOntoListView does; the last one added is selected.
    // The number added.
    int addPaths(const QStringList& paths);
    // Adds paths the set already holds, checked, as they are stored: refusing an overlap here would
    // drop them from the set on the next save.
    void showStoredPaths(const QStringList& paths);

    void cmdAdd_Click();
    void mnuFiles_Click();
    void mnuFolder_Click();
    void cmdRemove_Click();
    void tvBackupList_NodeCheck(QTreeWidgetItem* Node);
    // Adds every local file or folder of the dropped data; links to anything else add nothing.
    void tvBackupList_OLEDragDrop(const QMimeData* Data);
    void txtExcludeMasks_GotFocus();
    void txtIncludeMasks_GotFocus();
    // Shows the tree from its left edge.
    void scrollToLeft();

    // What the page yields to its host: the checked paths in node order, the masks and the switch.
    QStringList checkedPaths() const;
    // Masks separated by "," or ";", as typed: the run takes both.
    QString excludeMasks() const;
    QString includeMasks() const;
    bool includeSubfolders() const;

    QTreeWidget* tvBackupList = nullptr;
    QPushButton* cmdAdd = nullptr;
    QMenu* mnuSelectSource = nullptr;
    QAction* mnuFolder = nullptr;
    QAction* mnuFiles = nullptr;
    QPushButton* cmdRemove = nullptr;
    QLineEdit* txtExcludeMasks = nullptr;
    QLineEdit* txtIncludeMasks = nullptr;
    QCheckBox* chkToFolders = nullptr;
    std::array<QRadioButton*, 2> optMasks {};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Fits the column to the widest path, so that the tree scrolls to the end of every one.
    void fitColumn();
    QBrush nodeColour(Qt::CheckState state) const;

    controls::cVBALSysImageList m_icons;
};

// The source page of the loaded editor window named `editorName` ("frmWizard" or "frmSettings",
// exactly); nullptr when no such window is loaded.
SourceListPage* loadedSourcePage(const QString& editorName);

} // namespace editors
