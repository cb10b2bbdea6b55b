#pragma once

#include <ostream>

#include "platform/Result.h"

namespace test
{

// A result's outcome as one value, so that a test states the one it expects and a failure names
// the one it got.
enum class Outcome
{
    Succeeded,
    Stopped,
    Failed,
};

inline Outcome outcomeOf(const platform::Result& result)
{
    if (result.succeeded())
        return Outcome::Succeeded;
    return result.stopped() ? Outcome::Stopped : Outcome::Failed;
}

inline std::ostream& operator<<(std::ostream& out, Outcome outcome)
{
    switch (outcome) {
    case Outcome::Succeeded:
        return out << "succeeded";
    case Outcome::Stopped:
        return out << "stopped";
    case Outcome::Failed:
        return out << "failed";
    }
    return out;
}

} // namespace test
