#include "platform/RunContext.h"

#include "platform/EventLoop.h"

namespace platform
{
namespace
{
RunPace& pace()
{
    static RunPace current;
    return current;
}
} // namespace

RunPace runPace()
{
    return pace();
}

void setRunPace(RunPace newPace)
{
    pace() = newPace;
}

void RunContext::showStatus(const QString&) { }

bool RunContext::stopRequested() const
{
    return m_stop;
}

void RunContext::yield()
{
    const int interval = pace().passMs;
    if (interval > 0 && m_sincePass.isValid() && m_sincePass.elapsed() < interval)
        return;
    doEvents();
    m_sincePass.start();
}

void RunContext::showProgress(int) { }

RunContext& unwatchedRun()
{
    static RunContext context;
    return context;
}

} // namespace platform
