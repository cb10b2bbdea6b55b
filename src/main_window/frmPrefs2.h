#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace main_window
{

// The program-wide preferences. There is no OK button: each control stores its value the moment it
// changes. Every showing reads the stored values again.
class frmPrefs2 : public QDialog
{
    Q_OBJECT

public:
    frmPrefs2();

    void Form_Load();
    void cmdSend_Click();
    void cmdBrowse_Click();

    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame1 = nullptr;

    QLineEdit* txtServer = nullptr;
    QLineEdit* txtPort = nullptr;
    QLineEdit* txtEmailFrom = nullptr;
    QLineEdit* txtEmailTo = nullptr;
    QLineEdit* txtUsername = nullptr;
    QLineEdit* txtPassword2 = nullptr;
    QCheckBox* chkAuth = nullptr;
    QCheckBox* chkAttachment = nullptr;
    QPushButton* cmdSend = nullptr;

    QLineEdit* txtFTPHost = nullptr;
    QLineEdit* txtFTPFolder = nullptr;
    QLineEdit* txtFTPPort = nullptr;
    QLineEdit* txtFTPUsername = nullptr;
    QLineEdit* txtFTPPassword = nullptr;

    QLineEdit* txtLanFolder = nullptr;
    QPushButton* cmdBrowse = nullptr;

    QCheckBox* chkRunAtStart = nullptr;
    QCheckBox* chkMin = nullptr;
    QCheckBox* chkSplash = nullptr;
    QCheckBox* chkNoShow = nullptr;
    QCheckBox* chkAlwaysExit = nullptr;
    QCheckBox* chkLog = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void loadValues();
    void ApplyRunAtStart();
    void onMailEnded();
};

} // namespace main_window
