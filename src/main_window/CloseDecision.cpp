#include "main_window/CloseDecision.h"

namespace main_window
{

CloseOutcome decideClose(UnloadMode mode, bool serviceMode, CloseFlags& flags, const QString& alwaysExit,
                         const QString& noShow)
{
    const bool sessionEnds = mode == UnloadMode::SessionEnd || mode == UnloadMode::TaskManager;
    if (sessionEnds)
        flags.ExitRequested = true;
    if (sessionEnds && serviceMode) {
        flags.SessionEndInService = true;
        return CloseOutcome::Unload;
    }
    flags.SessionEndInService = false;
    if (flags.ExitRequested)
        return CloseOutcome::Unload;
    if (alwaysExit != QLatin1String("0"))
        return CloseOutcome::HideThenUnload;
    return noShow == QLatin1String("0") ? CloseOutcome::HideWithNotice : CloseOutcome::HideSilently;
}

bool noticeAfterHide(const QString& alwaysExit, const QString& noShow)
{
    return alwaysExit == QLatin1String("0") && noShow == QLatin1String("0");
}

} // namespace main_window
