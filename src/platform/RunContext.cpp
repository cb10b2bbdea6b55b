#include "platform/RunContext.h"

#include "platform/EventLoop.h"

namespace platform
{

void RunContext::showStatus(const QString&) { }

bool RunContext::stopRequested() const
{
    return m_stop;
}

void RunContext::yield()
{
    doEvents();
}

void RunContext::showProgress(int) { }

RunContext& unwatchedRun()
{
    static RunContext context;
    return context;
}

} // namespace platform
