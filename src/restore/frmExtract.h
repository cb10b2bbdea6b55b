#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace restore
{

// The extract tool window. In this form it only opens and closes; unpacking an archive by hand comes
// with the restore.
class frmExtract : public QDialog
{
    Q_OBJECT

public:
    frmExtract();

    void Form_Load();
    void cmdCancel_Click();

    QPushButton* cmdCancel = nullptr;
};

} // namespace restore
