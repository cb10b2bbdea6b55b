#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTabWidget;

namespace editors
{

class BackupTypeFrame;
class CompressionPage;
class SchedulePage;
class TimestampPage;

// The set properties window. In this form it only opens and closes; the pages come with the set
// editors.
class frmSettings : public QDialog
{
    Q_OBJECT

public:
    frmSettings();

    void Form_Load();
    void cmdCancel_Click();
    // Checks the page shown (lblStep) before the window leaves it.
    bool ValidateStep();

    QPushButton* cmdCancel = nullptr;
    // The number of the page shown.
    QLabel* lblStep = nullptr;
    QTabWidget* TSMenu = nullptr;
    BackupTypeFrame* backupType = nullptr;
    TimestampPage* timestampPage = nullptr;
    CompressionPage* compressionPage = nullptr;
    SchedulePage* schedulePage = nullptr;
};

} // namespace editors
