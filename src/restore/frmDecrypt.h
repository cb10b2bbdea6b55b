#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace restore
{

// The decrypt tool: turns one protected .bf file back into the file it was made from, beside it
// under its name without ".bf". The password is the key of the file; a wrong one writes nothing. An
// existing file of the plain name is replaced only when the user agrees.
class frmDecrypt : public QDialog
{
    Q_OBJECT

public:
    frmDecrypt();

    void Form_Load();
    // "...": picks the protected file.
    void Command1_Click();
    // "Decrypt".
    void Command2_Click();

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* lblStatus = nullptr;

private:
    void showStatus(const QString& text);
};

} // namespace restore
