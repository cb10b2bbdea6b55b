#pragma once

#include "localisation/DestinationDialog.h"

class QLabel;
class QLineEdit;
class QToolBar;

namespace editors
{

// The dialog that adds a local or network folder to an editor's destination list, or changes the
// folder of the row it was opened for.
class frmLanAdd : public localisation::DestinationDialogOf<frmLanAdd>
{
    Q_OBJECT

public:
    frmLanAdd();

    // Shows the folder of the caller's selected row; OK with chkNew unchecked rewrites that row.
    void LoadDetails();

    void Form_Load();
    void tbSearchFolder_ButtonClick();
    void cmdOK_Click();

    // A folder a run can deliver to and record: absolute as typed, and free of "|" (version lines are
    // split at it), of "~!~" and of control characters.
    static bool isStorableFolder(const QString& folder);

    QLabel* lblInfo1 = nullptr;
    QLabel* lblInfo2 = nullptr;
    QLineEdit* txtFolderBackup = nullptr;
    QToolBar* tbSearchFolder = nullptr;
};

} // namespace editors
