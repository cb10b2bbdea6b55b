#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace editors
{

// The new-set wizard. In this form it closes without writing a set, so the main window's newItem stays
// false; the pages come with the set editors.
class frmWizard : public QDialog
{
    Q_OBJECT

public:
    frmWizard();

    void Form_Load();
    void cmdCancel_Click();

    QPushButton* cmdCancel = nullptr;
};

} // namespace editors
