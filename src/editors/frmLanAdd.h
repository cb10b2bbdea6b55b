#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace editors
{

// The local-folder destination dialog. In this form it only opens and closes; the destination row
// comes with the set editors.
class frmLanAdd : public QDialog
{
    Q_OBJECT

public:
    frmLanAdd();

    void Form_Load();
    void cmdCancel_Click();

    QPushButton* cmdCancel = nullptr;
};

} // namespace editors
