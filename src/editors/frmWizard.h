#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace editors
{

class BackupTypeFrame;
class CompressionPage;
class SchedulePage;
class TimestampPage;

// The new-set wizard. In this form it closes without writing a set, so the main window's newItem stays
// false; the pages come with the set editors.
class frmWizard : public QDialog
{
    Q_OBJECT

public:
    frmWizard();

    void Form_Load();
    void cmdCancel_Click();
    // Checks the page shown (lblStep) before the window leaves it.
    bool ValidateStep();

    QPushButton* cmdCancel = nullptr;
    // The number of the page shown.
    QLabel* lblStep = nullptr;
    QStackedWidget* pages = nullptr;
    BackupTypeFrame* backupType = nullptr;
    TimestampPage* timestampPage = nullptr;
    CompressionPage* compressionPage = nullptr;
    SchedulePage* schedulePage = nullptr;
};

} // namespace editors
