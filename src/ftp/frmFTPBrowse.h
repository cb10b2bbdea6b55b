#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace ftp
{

// The remote-folder browser. Opened without a request from the FTP destination dialog it unloads
// itself at once; otherwise, in this form, it only opens and closes: browsing comes with the FTP
// client.
class frmFTPBrowse : public QDialog
{
    Q_OBJECT

public:
    frmFTPBrowse();

    void Form_Load();
    void cmdCancel_Click();

    QTreeWidget* ListView1 = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    QLabel* Label1 = nullptr;
};

} // namespace ftp
