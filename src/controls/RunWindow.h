#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include "core/ProgramRun.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace controls
{

// What the run window and the restore window share: their status box, countdown label and buttons,
// their start, keep-in-front, connect and closing timers, the connect ticks, the closing countdown,
// minimising with the main window and the pause box. The window is the run context of the work it
// shows: the status goes to its box, the stop is the program's stop request.
class RunWindow : public QDialog, public core::ProgramRun
{
    Q_OBJECT

public:
    // The status box shows the latest status, at most once in the pace's status interval: the newest
    // text of a burst follows when the interval is over.
    void showStatus(const QString& text) override;
    // Shows the latest status now, as the end of a run does.
    void showStatusNow(const QString& text);
    // The latest status, shown or not yet.
    const QString& statusText() const { return m_statusText; }

    // Cancel/Close, which the end of the countdown presses.
    virtual void cmdClose_Click() = 0;
    // One second of the FTP connection attempt under way; past the limit the attempt gives up.
    void timFTP_Timer();
    // Starts (true) or ends (false) the connect limit of one FTP connection attempt.
    void watchConnect(bool on);
    // One second of the closing countdown; at 0 the window closes as Cancel/Close does.
    void tmrClose_Timer();
    // Minimises the main window (which hides) with this one.
    void cmdMin_Click();
    // Holds the work at the yield in which the click arrived until the box is closed.
    void cmdPause_Click();

    QLabel* lblLabel = nullptr;
    QPlainTextEdit* lblStatus = nullptr;
    // Seconds left in the closing countdown.
    QLabel* lblTime = nullptr;
    QPushButton* cmdMin = nullptr;
    QPushButton* cmdPause = nullptr;
    QPushButton* cmdClose = nullptr;
    // Start timer.
    QTimer* Timer1 = nullptr;
    // Keep-in-front timer.
    QTimer* Timer3 = nullptr;
    // The FTP connect limit: on while an attempt waits, with intConnectTicks at 0 at its start.
    QTimer* timFTP = nullptr;
    // Closing countdown.
    QTimer* tmrClose = nullptr;
    // Seconds of the FTP connection attempt under way.
    int intConnectTicks = 0;

protected:
    // Makes the controls and timers under their design names; the window lays them out.
    RunWindow(const char* name, const QString& caption, const QString& headline);

    // The main window, when there is one.
    static QWidget* mainWindow();
    // The countdown's first value, for a window that carries another run.
    static QString countdownStart();
    // Whether anyone can see the status box; while nobody can, its texts stay out of it.
    virtual bool statusInSight() const { return true; }
    // Puts the latest status into the box when it is not there yet.
    void flushStatus();
    // Empties the status box and forgets the latest status.
    void clearStatus();

private:
    QString m_statusText;
    bool m_statusPending = false;
    QElapsedTimer m_statusShown;
    QTimer* m_statusLater = nullptr;
};

} // namespace controls
