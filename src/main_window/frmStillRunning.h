#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace main_window
{

// The notice that the program goes on running in the tray after its window was closed.
class frmStillRunning : public QDialog
{
    Q_OBJECT

public:
    frmStillRunning();

    void Form_Load();
    // Keeps the ticked choices (an unticked box writes nothing) and closes the notice; "always exit"
    // ends the program.
    void cmdOK_Click();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* chkAlwaysExit = nullptr;
    QCheckBox* chkNoShow = nullptr;
    QPushButton* cmdOK = nullptr;
};

} // namespace main_window
