#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace restore
{

// The new-location dialog of a restore. In this form it only opens and closes; the choice of a folder
// comes with the restore chain.
class frmRestoreToNew : public QDialog
{
    Q_OBJECT

public:
    frmRestoreToNew();

    void Form_Load();
    void cmdCancel_Click();

    QPushButton* cmdCancel = nullptr;
};

} // namespace restore
