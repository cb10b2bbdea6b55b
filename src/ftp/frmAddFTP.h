#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace ftp
{

// The FTP destination dialog. In this form it shows the default FTP values and, on OK, seeds the
// preferences that are still empty; the destination row and the folder browser come with the FTP
// client.
class frmAddFTP : public QDialog
{
    Q_OBJECT

public:
    frmAddFTP();

    // Fills the boxes from the preferences' default FTP values.
    void Form_Load();
    // Writes each value whose preference is still empty, then unloads.
    void cmdOK_Click();
    void cmdCancel_Click();

    QLineEdit* txtFTPHost = nullptr;
    QLineEdit* txtFTPUsername = nullptr;
    QLineEdit* txtFTPPassword = nullptr;
    QLineEdit* txtFTPFolder = nullptr;
    QLineEdit* txtFTPPort = nullptr;
    QCheckBox* chkFTPPassive = nullptr;
    QCheckBox* chkNew = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};

} // namespace ftp
