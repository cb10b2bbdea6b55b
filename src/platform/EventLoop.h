#pragma once

#include <functional>

namespace platform
{

// One pass of the event loop, so that a long step on the UI thread keeps the windows alive.
void doEvents();

// Pumps events while the predicate holds, at most limitMs milliseconds.
// True when the predicate turned false; false when the limit ran out first.
bool waitWhile(const std::function<bool()>& predicate, int limitMs);

} // namespace platform
