#include "core/ProgramState.h"

namespace core
{

ProgramState& state()
{
    static ProgramState instance;
    return instance;
}

void resetState()
{
    state() = ProgramState{};
}

} // namespace core
