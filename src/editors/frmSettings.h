#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace editors
{

// The set properties window. In this form it only opens and closes; the pages come with the set
// editors.
class frmSettings : public QDialog
{
    Q_OBJECT

public:
    frmSettings();

    void Form_Load();
    void cmdCancel_Click();

    QPushButton* cmdCancel = nullptr;
};

} // namespace editors
