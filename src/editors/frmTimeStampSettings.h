#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace editors
{

// The time-stamp options dialog. In this form it only opens and closes; the options come with the set
// editors.
class frmTimeStampSettings : public QDialog
{
    Q_OBJECT

public:
    frmTimeStampSettings();

    void Form_Load();
    void cmdCancel_Click();

    QPushButton* cmdCancel = nullptr;
};

} // namespace editors
