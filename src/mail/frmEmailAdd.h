#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace mail
{

// The e-mail destination dialog. In this form it keeps the test address in the preferences; the
// destination row and the test mail come with the mail sender.
class frmEmailAdd : public QDialog
{
    Q_OBJECT

public:
    frmEmailAdd();

    // Shows the test address of the preferences; every change of the box is written back.
    void Form_Load();
    void txtEmail_Change();
    void cmdCancel_Click();

    QLineEdit* txtEmail = nullptr;
    QLineEdit* txtSub = nullptr;
    QPlainTextEdit* txtBody = nullptr;
    QCheckBox* chkNew = nullptr;
    QPushButton* cmdSend = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};

} // namespace mail
