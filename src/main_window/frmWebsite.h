#pragma once

#include <QDialog>

class QLineEdit;

namespace main_window
{

// The website window. In this form it names the website; browsing it comes with the window's own
// work.
class frmWebsite : public QDialog
{
    Q_OBJECT

public:
    frmWebsite();

    void Form_Load();

    QLineEdit* Text1 = nullptr;
};

} // namespace main_window
