#pragma once

#include "localisation/DestinationDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolBar;

namespace ftp
{

// The dialog that adds an FTP destination to an editor's destination list, or changes the row it was
// opened for. The first values confirmed become the defaults of later FTP destinations.
class frmAddFTP : public localisation::DestinationDialogOf<frmAddFTP>
{
    Q_OBJECT

public:
    frmAddFTP();

    // Shows the values of the caller's selected row; OK with chkNew unchecked rewrites that row.
    void LoadDetails();

    void Form_Load();
    void cmdOK_Click();
    // Opens the folder browser with the values standing in the dialog.
    void cmdBrowse_Click();
    void Toolbar1_ButtonClick();

    QLineEdit* txtFTPHost = nullptr;
    QLineEdit* txtFTPUsername = nullptr;
    QLineEdit* txtFTPPassword = nullptr;
    QLineEdit* txtFTPFolder = nullptr;
    QLineEdit* txtFTPPort = nullptr;
    QCheckBox* chkFTPPassive = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QPushButton* cmdBrowse = nullptr;

protected:
    // Escape and the close box cancel.
    void reject() override;

private:
    // The server and port a session can use; otherwise shows why not.
    bool checkServer();
};

} // namespace ftp
