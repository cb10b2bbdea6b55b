#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace restore
{

// The restore window. In this form it only opens and closes; the restore run comes with the restore.
class frmRestoring : public QDialog
{
    Q_OBJECT

public:
    frmRestoring();

    void Form_Load();
    // Cancel: requests the stop and unloads the window.
    void cmdClose_Click();

    QLabel* lblStatus = nullptr;
    QPushButton* cmdClose = nullptr;

private:
    QLabel* lblLabel = nullptr;
};

} // namespace restore
