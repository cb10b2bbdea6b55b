#pragma once

#include <optional>

#include <QDialog>

#include "core/DestinationCaller.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace ftp
{

// The dialog that adds an FTP destination to an editor's destination list, or changes the row it was
// opened for. The first values confirmed become the defaults of later FTP destinations.
class frmAddFTP : public QDialog
{
    Q_OBJECT

public:
    frmAddFTP();

    // Remembers the editor whose list the dialog works on, until the next call.
    static void SetCaller(core::DestinationCaller* frmName);
    // Opens the dialog modally for the caller: to add a row, or with `edit` to change the selected one.
    static void open(core::DestinationCaller& caller, bool edit);

    // Shows the values of the caller's selected row; OK with chkNew unchecked rewrites that row.
    void LoadDetails();

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    // Opens the folder browser with the values standing in the dialog.
    void cmdBrowse_Click();
    void Toolbar1_ButtonClick();

    QLineEdit* txtFTPHost = nullptr;
    QLineEdit* txtFTPUsername = nullptr;
    QLineEdit* txtFTPPassword = nullptr;
    QLineEdit* txtFTPFolder = nullptr;
    QLineEdit* txtFTPPort = nullptr;
    QCheckBox* chkFTPPassive = nullptr;
    QCheckBox* chkNew = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    // Escape and the close box cancel.
    void reject() override;

private:
    // The server and port a session can use; otherwise shows why not.
    bool checkServer();
    void refuse(const QString& text);

    std::optional<quint64> m_loadedRow;
};

} // namespace ftp
