#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ftp
{

// The prompt for the name of one new remote folder. It never talks to the server: Create hands the
// name to the folder browser's folderName, Cancel hands it an empty one.
class frmFTPNewFolder : public QDialog
{
    Q_OBJECT

public:
    frmFTPNewFolder();

    void Form_Load();
    void cmdCreate_Click();
    void cmdCancel_Click();

    QLabel* Label1 = nullptr;
    QLineEdit* txtFolderName = nullptr;
    QPushButton* cmdCreate = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    // Escape and the close box cancel.
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool ValidateFolderName(const QString& strText);
    static void handBack(const QString& name);
};

} // namespace ftp
