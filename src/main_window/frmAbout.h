#pragma once

#include <QDialog>

class QLabel;

namespace main_window
{

// The About box: the program's name, its version line and credits. Not translated.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    frmAbout();

    void Form_Load();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
};

} // namespace main_window
