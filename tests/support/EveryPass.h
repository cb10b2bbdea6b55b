#pragma once

#include "platform/RunContext.h"

namespace test
{

// For a test that acts at an exact point of a run: while it lives, every yield is a pass of the
// event loop and every status reaches the window at once, as on a machine of unbounded speed.
class EveryPass
{
public:
    EveryPass() { platform::setRunPace({0, 0}); }
    ~EveryPass() { platform::setRunPace(m_saved); }
    EveryPass(const EveryPass&) = delete;
    EveryPass& operator=(const EveryPass&) = delete;

private:
    const platform::RunPace m_saved = platform::runPace();
};

} // namespace test
