#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace restore
{

// The decrypt tool window. In this form it only opens and closes; deciphering a file by hand comes
// with the restore.
class frmDecrypt : public QDialog
{
    Q_OBJECT

public:
    frmDecrypt();

    void Form_Load();
    void cmdCancel_Click();

    QPushButton* cmdCancel = nullptr;
};

} // namespace restore
