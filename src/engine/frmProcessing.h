#pragma once

#include <memory>

#include <QDateTime>
#include <QPalette>

#include "controls/RunWindow.h"
#include "engine/IncrementalIndex.h"

class QEvent;
class QListWidget;

namespace engine
{

// The run window: one run of the loaded set takes place in it. Its start timer begins the run (a
// BackupRun, which does the work), its status box shows the progress, and after the run it counts
// down and closes. It follows the main window's state and visibility and, while open, keeps the
// schedule: sets that fall due are queued for after this run. While nobody can see the program (a
// service, a main window put away) it stays hidden, keeps its status texts out of its controls,
// and goes as soon as its run has ended, without a countdown.
//
// The window is never destroyed while its run is under way: Cancel/Close then only asks the run to
// stop and hides the window, which goes once the run has ended through its cancelled ending.
class frmProcessing : public controls::RunWindow
{
    Q_OBJECT

public:
    frmProcessing();

    // Translates and skins the window; unloads it at once when a stop is requested, and hides it
    // when the main window is hidden (a scheduled run in the tray).
    void Form_Load();
    // Makes a window left loaded by an earlier run carry a new one: stops its countdown and starts
    // the run 250 ms later. False, changing nothing, while this window's run is under way.
    bool turnOffTimer();
    // Cancel/Close: requests the stop and logs it; unloads the window, or, while the run is under
    // way, hides it until the run has ended.
    void cmdClose_Click() override;
    // Whether a folder of that path exists.
    bool DirExists(const QString& OrigFile) const;
    // Whether this window's run is under way.
    bool running() const { return m_running; }
    // The timers' ticks, callable as the events call them.
    void Timer1_Timer();
    void Timer3_Timer();
    void tmrScheduler_Timer();

    // The size in bytes of the file the run last prepared for sending by FTP or e-mail.
    qint64 lngFileSize = 0;

    // Procedures nothing calls yet: the progress and errors of an FTP upload, and the events of a
    // mail being sent.
    void ShowUploadProgress(qint64 bytesSent, qint64 bytesTotal);
    void ShowFtpError(qint64 errorCode, const QString& description);
    void poSendMail_Progress(int PercentComplete);
    void poSendMail_SendFailed(const QString& Explanation);
    void poSendMail_SendSuccesful();
    // When the upload under way began, and its rate in KiB/s ("####.00").
    QDateTime uploadStart;
    QString uploadRate;
    // The delivery under way reached its destination (a sent mail sets it).
    bool bDestinationOK = false;
    // The incremental index tables, made on first use; Cancel/Close releases them.
    IncrementalIndex& incrementalIndex();

    QListWidget* List1 = nullptr;
    QTimer* tmrScheduler = nullptr;

public slots:
    // Escape and the close box act as Cancel/Close.
    void reject() override;

protected:
    bool event(QEvent* event) override;
    // A hidden window does no work per file.
    bool statusInSight() const override { return !unseen(); }

private:
    void RunBackup();
    bool unseen() const;
    void setStatusColour(const QColor& colour);
    void turnOffAllTimers();

    // The run's code is on the stack: the window must stay.
    bool m_running = false;
    // Cancel/Close was pressed during the run: unload once it has ended.
    bool m_closeWhenDone = false;
    // Someone asked to destroy the window during the run: destroy it once the run has ended.
    bool m_deleteWhenDone = false;
    // The status box's colours before a failed run turned its text red.
    QPalette m_statusPalette;
    std::unique_ptr<IncrementalIndex> m_incrementalIndex;
};

} // namespace engine
