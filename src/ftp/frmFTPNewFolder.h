#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace ftp
{

// The new-remote-folder dialog. In this form it only opens and closes; the folder is made with the FTP
// client.
class frmFTPNewFolder : public QDialog
{
    Q_OBJECT

public:
    frmFTPNewFolder();

    void Form_Load();
    void cmdCancel_Click();

    QPushButton* cmdCancel = nullptr;
};

} // namespace ftp
