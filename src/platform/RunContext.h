#pragma once

#include <QElapsedTimer>
#include <QString>

namespace platform
{

// How often long work lets the event loop run, and how often a window shows a new status, in
// milliseconds. A pass per file cost more than the file itself; a pass every 20 ms still sees a
// Cancel click at once and keeps the windows smooth.
struct RunPace
{
    int passMs = 20;
    int statusMs = 60;
};

RunPace runPace();
// Another pace for the whole program; {0, 0} gives a pass at every yield and shows every status.
void setRunPace(RunPace pace);

// What long work needs from whoever started it: somewhere to show its latest status, the user's stop
// request, and a chance to keep the windows alive. One object is handed down through a run, a restore
// and the copy, zip, cipher and transfer calls below them; a window or a test provides it.
class RunContext
{
public:
    virtual ~RunContext() = default;

    // The latest status line. A window may show only the newest of several.
    virtual void showStatus(const QString& text);
    // True once a stop was asked for; work ends at its next safe point and reports a stop.
    virtual bool stopRequested() const;
    // Lets the event loop run once so windows repaint and a stop request can arrive; calls that
    // come sooner than the pace's pass interval after the last pass return at once, so work may
    // yield as often as it likes.
    virtual void yield();
    // How far the work under way has come, in whole percent; each percent is shown at most once.
    virtual void showProgress(int percent);

    void requestStop() { m_stop = true; }

private:
    bool m_stop = false;
    QElapsedTimer m_sincePass;
};

// The context of work that nobody watches: no status, no stop, events still pumped.
RunContext& unwatchedRun();

} // namespace platform
