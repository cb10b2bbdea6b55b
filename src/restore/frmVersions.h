#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace restore
{

// The version chooser. In this form it lists the loaded set's folder and FTP versions; restoring one
// comes with the restore chain.
class frmVersions : public QDialog
{
    Q_OBJECT

public:
    frmVersions();

    void Form_Load();
    void cmdCancel_Click();

    QTreeWidget* lvArchives = nullptr;
    QPushButton* cmdContinue = nullptr;
    QPushButton* cmdRestoreToNewLocation = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    QLabel* Label1 = nullptr;
};

} // namespace restore
