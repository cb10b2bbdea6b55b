#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace editors
{

// A folder-tree picker that only the localisation template writer loads. In this form it only opens
// and closes.
class frmFilesAndDirectories : public QDialog
{
    Q_OBJECT

public:
    frmFilesAndDirectories();

    void Form_Load();
    void cmdCancel_Click();

    QPushButton* cmdCancel = nullptr;
};

} // namespace editors
