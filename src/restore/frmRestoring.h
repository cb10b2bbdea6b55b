#pragma once

#include <optional>

#include "controls/RunWindow.h"
#include "restore/RestoreRun.h"

namespace restore
{

// The window in which a restore runs. It shows the run's progress, offers Cancel, Pause and
// Minimize, keeps itself in front of the program's other windows and follows the main window's
// minimised state; after the run it counts down and closes itself.
//
// The hand-over: the file selection writes the loaded set's restore list (RestoreList.h), then
//     if (auto* window = platform::Form<frmRestoring>::load())
//         window->startRestore(request);
// which confirms the hand-over (bRestoreConfirmed), shows the window and runs the restore at the
// start timer's next tick. A window loaded without a confirmed hand-over removes itself at that
// tick; a load while bStopBackup is set removes it at once (load() then gives nullptr).
class frmRestoring : public controls::RunWindow
{
    Q_OBJECT

public:
    frmRestoring();

    void Form_Load();
    // Confirms the hand-over of `request`, shows the window and starts the start timer.
    void startRestore(const RestoreRequest& request);
    // Runs the restore of the request handed over (the start timer calls it).
    void RestoreBackup();
    // A restore is about to start or under way.
    bool running() const;

    // The connect ticks of timFTP: an FTP fetch sets them to 0 for each attempt.
    int& intConnectSeconds = intConnectTicks;

public slots:
    void turnOnTimer();
    // The overwrite question switches the keep-in-front timer off so that it is not covered.
    void turnOffOnTopTimer();
    void turnOnOnTopTimer();
    // Cancel, and the end of the countdown: requests the stop and unloads the window.
    void cmdClose_Click() override;
    void Timer1_Timer();
    void Timer3_Timer();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Resize();
    void turnOffTimers();

    std::optional<RestoreRequest> m_request;
    // The run is on the call stack: the window must outlive it, even once unloaded.
    int m_running = 0;
    bool m_deleteWhenDone = false;
    bool m_closing = false;
};

} // namespace restore
