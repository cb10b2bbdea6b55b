#pragma once

#include <QString>

namespace core
{

// The program-wide flags and values that the windows, the run and the restore share.
// One instance, reached through state(); tests start each case from a fresh one.
struct ProgramState
{
    // A run has ended in any way; the run queue waits for it.
    bool bBackupFinished = false;
    // The stop request of a run or a restore, polled by every step.
    bool bStopBackup = false;
    bool bMailSuccess = false;
    bool bMailDone = false;
    QString strFailureReason;
    // Row of the set being run in the main window's list.
    int RunningIndex = 0;
    // The main window's last state other than minimised (Qt::WindowStates as int).
    int MainWindowState = 0;
    bool LoggingEnabled = false;
    QString StartupDateText;
    QString StartupTimeText;
    QString AppTitle;
    bool ServiceMode = false;
    bool StartHidden = false;
};

ProgramState& state();
void resetState();

} // namespace core
