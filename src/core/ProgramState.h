#pragma once

#include <QString>

#include "core/BackupSet.h"

namespace core
{

// The notification and SMTP values read at start-up from the current user's registry.
struct NotificationSettingsInfo
{
    bool UseNotification = false;
    QString NotificationFrom;
    QString NotificationTo;
    QString NotificationSubject;
    QString NotificationBody;
    QString SMTP_Server;
    QString SMTPPort;
    bool smtpAuthenticate = false;
    QString smtpUID;
    // Kept as stored (scrambled).
    QString smtpPWD;
    qint16 smtpEncoding = 0;
    qint16 smtpPriority = 0;
    QString ClientMailID;
};

// The program-wide flags and values that the windows, the run and the restore share.
// One instance, reached through state(); tests start each case from a fresh one.
struct ProgramState
{
    // A run has ended in any way; the run queue waits for it.
    bool bBackupFinished = false;
    // The stop request of a run or a restore, polled by every step.
    bool bStopBackup = false;
    // The run or restore window's FTP connect limit ran out: only the connect under way gives up (and
    // may be tried again); the run or restore goes on.
    bool bConnectTimedOut = false;
    // A backup run is under way; nothing may start another until it has ended.
    bool RunInProgress = false;
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
    // Brand switches set at start-up: windows are skinned while UseSkin is on; the banner is never shown.
    bool UseSkin = false;
    bool UseBanner = false;
    // The number in the language download path, and the edition that follows the program name in the
    // autostart entry's name.
    int BrandProductId = 0;
    int EditionNumber = 0;
    QString BannerAddress;
    // The mail being sent is a test mail from the preferences or the e-mail destination dialog.
    bool MailIsTest = false;
    NotificationSettingsInfo NotificationSettings;

    // The set loaded in the main window, and its document's whole text.
    BackupSetInfo CurrentSet;
    QString strSetText;
    // The set the new-set wizard fills and WriteProject writes.
    BackupSetInfo NewBackupSet;

    // Restore: the user confirmed the files to restore.
    bool bRestoreConfirmed = false;
    // What the overwrite question shows of the file in place and of the restored one.
    QString ExistingFilePath;
    QString ExistingFileSize;
    QString ExistingFileDate;
    QString RestoredFileSize;
    QString RestoredFileDate;
    int ReplaceMode = 0;
    int ReplaceAnswer = 0;
    // Set by the FTP destination dialog right before it opens the folder browser.
    bool FTPBrowseRequested = false;
};

ProgramState& state();
void resetState();

} // namespace core
