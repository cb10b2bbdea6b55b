#pragma once

#include <array>

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace editors
{

class BackupTypeFrame;
class CompressionPage;
class DestinationListPage;
class SchedulePage;
class SourceListPage;
class TimestampPage;

// The new-set wizard: seven steps walked with Next and Back. Each Next checks the step and copies it
// into the program's NewBackupSet; Finish writes that set's document.
class frmWizard : public QDialog
{
    Q_OBJECT

public:
    frmWizard();

    void Form_Load();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();
    void optItemType_Click(int Index);
    // Checks the page shown (lblStep) before the window leaves it.
    bool ValidateStep();

    // The number of the step shown.
    QLabel* lblStep = nullptr;
    QStackedWidget* steps = nullptr;
    QWidget* pctStep1 = nullptr;
    QWidget* pctStep7 = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLineEdit* txtItemName = nullptr;
    std::array<QRadioButton*, 2> optItemType {};
    QPlainTextEdit* txtReport = nullptr;
    SourceListPage* sourcePage = nullptr;
    DestinationListPage* destinationPage = nullptr;
    BackupTypeFrame* backupType = nullptr;
    TimestampPage* timestampPage = nullptr;
    CompressionPage* compressionPage = nullptr;
    SchedulePage* schedulePage = nullptr;

protected:
    // Escape and the close box cancel, so the next opening starts afresh.
    void reject() override;

private:
    QWidget* buildStep1();
    QWidget* buildStep7();
    void showStep(int step);
    // Copies the page of `step` into NewBackupSet.
    void copyStep(int step);
    void Finish();
};

} // namespace editors
