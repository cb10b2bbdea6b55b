#pragma once

#include <QDialog>

#include "restore/OverwriteQuestion.h"

class QLabel;
class QPushButton;
class QTimer;

namespace restore
{

// The question the restore asks before it replaces a file: shows the file in place and the
// restored one (ExistingFilePath, ExistingFileSize, ExistingFileDate, RestoredFileSize,
// RestoredFileDate of the program state, filled before the dialog is made) and leaves the answer in
// ReplaceAnswer. Modeless; it answers No by itself after 30 seconds, and its close box answers No
// too. It deletes itself once answered.
class frmWarning : public QDialog
{
    Q_OBJECT

public:
    explicit frmWarning(QWidget* parent = nullptr);

    QLabel* lblFile = nullptr;
    QLabel* lblSize1 = nullptr;
    QLabel* lblDate1 = nullptr;
    QLabel* lblSize2 = nullptr;
    QLabel* lblDate2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblTime = nullptr;
    QPushButton* cmdYes = nullptr;
    QPushButton* cmdNo = nullptr;
    QPushButton* cmdYesAll = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QTimer* tmr30 = nullptr;

public slots:
    void cmdYes_Click();
    void cmdNo_Click();
    void cmdYesAll_Click();
    // "No to All".
    void Command1_Click();
    void cmdCancel_Click();
    // One second of the countdown.
    void tmr30_Timer();
    // A click on the window's background stops the countdown.
    void Form_Click();
    // Escape and the close box.
    void reject() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Form_Load();
    void answer(int code, const QString& logLine);

    QString strTitle;
    bool m_answered = false;
};

// The overwrite question as the program asks it: fills the program state's details of both files,
// shows frmWarning and waits, with the event loop running, for its answer. A stop request takes the
// window away unanswered.
class WarningQuestion final : public OverwriteQuestion
{
public:
    std::optional<OverwriteAnswer> ask(const QString& existing, const QString& replacement,
                                       platform::RunContext& run) override;
};

} // namespace restore
