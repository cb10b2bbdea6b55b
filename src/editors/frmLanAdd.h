#pragma once

#include <optional>

#include <QDialog>

#include "core/DestinationCaller.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace editors
{

// The dialog that adds a local or network folder to an editor's destination list, or changes the
// folder of the row it was opened for.
class frmLanAdd : public QDialog
{
    Q_OBJECT

public:
    frmLanAdd();

    // Remembers the editor whose list the dialog works on, until the next call.
    static void SetCaller(core::DestinationCaller* frmName);
    // Opens the dialog modally for the caller: to add a row, or with `edit` to change the selected one.
    static void open(core::DestinationCaller& caller, bool edit);

    // Shows the folder of the caller's selected row; OK with chkNew unchecked rewrites that row.
    void LoadDetails();

    void Form_Load();
    void tbSearchFolder_ButtonClick();
    void cmdOK_Click();
    void cmdCancel_Click();

    // A folder a run can deliver to and record: absolute as typed, and free of "|" (version lines are
    // split at it), of "~!~" and of control characters.
    static bool isStorableFolder(const QString& folder);

    QLabel* lblInfo1 = nullptr;
    QLabel* lblInfo2 = nullptr;
    QLineEdit* txtFolderBackup = nullptr;
    QToolBar* tbSearchFolder = nullptr;
    QCheckBox* chkNew = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    std::optional<quint64> m_loadedRow;
};

} // namespace editors
