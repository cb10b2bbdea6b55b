#pragma once

#include <QDialog>

#include "restore/RestoreRun.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace restore
{

// The new-location dialog: asks for the folder below which the chosen version is restored, then
// hands the choice on to the file selection.
class frmRestoreToNew : public QDialog
{
    Q_OBJECT

public:
    frmRestoreToNew();

    void Form_Load();
    // The version chooser's choice, before the dialog shows.
    void setChoice(const RestoreRequest& choice) { m_choice = choice; }
    const RestoreRequest& choice() const { return m_choice; }

    // The browse button.
    void tbSearchFolder_ButtonClick();
    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel* lblInfo = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtnewFolder = nullptr;
    QToolBar* tbSearchFolder = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    RestoreRequest m_choice;
};

} // namespace restore
