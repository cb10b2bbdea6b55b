#pragma once

#include <QDialog>

#include "controls/cVBALSysImageList.h"
#include "platform/ShellFolders.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace editors
{

// A tree of the computer's folders, opened level by level, from which the user hands one folder to
// the source list of the editor named in CalledBy. Files show but cannot be chosen.
class frmFilesAndDirectories : public QDialog
{
    Q_OBJECT

public:
    frmFilesAndDirectories();

    void Form_Load();
    // Fills a folder node the first time it is opened.
    void tvwDirs_Expand(QTreeWidgetItem* Node);
    void tvwDirs_SelectedNodeChanged();
    void cmdSelectFolder_Click();
    void cmdCancel_Click();

    // The node's key and its mark (0 a folder or drive, 1 anything else), as the tree keeps them.
    static QString nodeKey(const QTreeWidgetItem* node);
    static int nodeMark(const QTreeWidgetItem* node);

    QTreeWidget* tvwDirs = nullptr;
    QPushButton* cmdSelectFolder = nullptr;
    QPushButton* cmdCancel = nullptr;
    // The window that gets the folder: "frmSettings" or "frmWizard".
    QLineEdit* CalledBy = nullptr;

private:
    void addNode(QTreeWidgetItem* parent, const platform::ShellItem& item);

    controls::cVBALSysImageList m_icons;
    qint32 m_nodeCounter = 0;
    QString m_chosenPath;
};

} // namespace editors
