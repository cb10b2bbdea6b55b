#include "core/ProgramRun.h"

#include "core/ProgramState.h"

namespace core
{

bool ProgramRun::stopRequested() const
{
    return state().bStopBackup || RunContext::stopRequested();
}

ProgramRun& programRun()
{
    static ProgramRun run;
    return run;
}

} // namespace core
