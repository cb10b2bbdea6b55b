#pragma once

#include <QDialog>

class QPushButton;

namespace main_window
{

// The preferences window. In this form it holds the test-mail button that the mail sender enables;
// the preferences themselves come with the window's own work.
class frmPrefs2 : public QDialog
{
    Q_OBJECT

public:
    frmPrefs2();

    void Form_Load();
    void cmdSend_Click();

    QPushButton* cmdSend = nullptr;
};

} // namespace main_window
