#pragma once

namespace test
{

// How long a test waits for what an idle machine does at once: a local peer's reply or close, a
// window's next state, the end of a short step. Only a hang reaches it, also on a machine loaded by
// parallel builds and test runs; a test that shows something happens sooner than a time-out of the
// program's keeps that time-out above this.
constexpr int EventLimitMs = 30000;

} // namespace test
