#pragma once

#include "platform/RunContext.h"

namespace core
{

// A run under the program-wide stop request (bStopBackup): the run window's Cancel sets it, and so
// does a failure that breaks the run off, so every step below asks the same flag.
class ProgramRun : public platform::RunContext
{
public:
    bool stopRequested() const override;
};

// The program's run when no window shows its status.
ProgramRun& programRun();

} // namespace core
