#pragma once

#include <gtest/gtest.h>

namespace test
{

// Every test starts from fresh program-wide state and the real edges, whatever ran before it.
class StateResetListener : public ::testing::EmptyTestEventListener
{
public:
    void OnTestStart(const ::testing::TestInfo&) override;
};

} // namespace test
