#include "platform/RunContext.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace
{

// Puts the program's pace back whatever a test set.
class RunContextTest : public ::testing::Test
{
protected:
    void TearDown() override { platform::setRunPace(saved); }

    const platform::RunPace saved = platform::runPace();
};

TEST_F(RunContextTest, YieldsSoonAfterAPassReturnWithoutOne)
{
    // A pass interval no test outlasts, so that only the first yield may run the loop.
    platform::setRunPace({60000, 60000});
    platform::RunContext run;
    int delivered = 0;
    QTimer::singleShot(0, [&] { ++delivered; });
    run.yield();
    EXPECT_EQ(delivered, 1);
    QTimer::singleShot(0, [&] { ++delivered; });
    for (int i = 0; i < 1000; ++i)
        run.yield();
    EXPECT_EQ(delivered, 1);

    // Without an interval every yield is a pass.
    platform::setRunPace({0, 0});
    run.yield();
    EXPECT_EQ(delivered, 2);
}

TEST_F(RunContextTest, WorkThatYieldsAtEveryEntrySeesAStopThatComesThroughTheEventLoop)
{
    platform::RunContext run;
    QTimer::singleShot(50, [&] { run.requestStop(); });
    QElapsedTimer guard;
    guard.start();
    int entries = 0;
    while (!run.stopRequested() && guard.elapsed() < 10000) {
        ++entries;
        run.yield();
    }
    EXPECT_TRUE(run.stopRequested()) << entries;
}

} // namespace
