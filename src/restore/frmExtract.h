#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace restore
{

// The extract tool: unpacks one zip archive below a folder, with the archive's folders. A file that
// is already there is kept and named in the status, and so is every entry whose name is not safe to
// write (one that leaves the folder, a link, a device).
class frmExtract : public QDialog
{
    Q_OBJECT

public:
    frmExtract();

    void Form_Load();
    // "...": picks the archive and proposes the folder of its name.
    void Command1_Click();
    // "Extract".
    void Command2_Click();

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* lblStatus = nullptr;

private:
    void showStatus(const QString& text);
};

} // namespace restore
