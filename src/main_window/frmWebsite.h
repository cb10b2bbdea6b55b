#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace main_window
{

class WebBrowser;

// The website window: a small browser opened on the brand website. Not translated.
class frmWebsite : public QDialog
{
    Q_OBJECT

public:
    frmWebsite();

    void Form_Load();

    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click(int Index);

    // Where the window opens; empty means the brand website. Tests point it at a local server.
    static void setStartAddress(const QString& address);

    QGroupBox* frmBrowser = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    WebBrowser* WebBrowser1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* Panel1 = nullptr;
    QLabel* Panel2 = nullptr;
};

} // namespace main_window
