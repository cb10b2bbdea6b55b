#pragma once

#include <QString>

namespace main_window
{

// Why the main window is asked to close.
enum class UnloadMode
{
    CloseBox = 0,
    Code = 1,
    SessionEnd = 2,
    TaskManager = 3,
};

// The main window's own flags of a close.
struct CloseFlags
{
    // An exit was asked for: closing the window ends the program instead of hiding it.
    bool ExitRequested = false;
    // The session ends while the program runs as a service: the windows go, the program stays.
    bool SessionEndInService = false;
};

enum class CloseOutcome
{
    // The window unloads now.
    Unload,
    // The window hides, then unloads (closing always ends the program).
    HideThenUnload,
    // The window hides to the tray and the still-running notice is shown.
    HideWithNotice,
    // The window hides to the tray without a word.
    HideSilently,
};

// The close request: what happens when the window is asked to close, from the preferences
// chkAlwaysExit and chkNoShow. Updates the flags as the request goes.
CloseOutcome decideClose(UnloadMode mode, bool serviceMode, CloseFlags& flags, const QString& alwaysExit,
                         const QString& noShow);

// After the tray menu's Hide window: whether the still-running notice follows.
bool noticeAfterHide(const QString& alwaysExit, const QString& noShow);

} // namespace main_window
