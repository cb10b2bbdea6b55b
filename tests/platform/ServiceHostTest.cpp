#include "platform/ServiceHost.h"

#include <csignal>

#include <QFile>

#include <gtest/gtest.h>

#include "platform/EventLoop.h"
#include "support/ProgramFolderTest.h"

namespace
{
class ServiceHostTest : public test::ProgramFolderTest
{
protected:
    void TearDown() override
    {
        platform::serviceHost().removeSignalHandlers();
        ProgramFolderTest::TearDown();
    }
};
} // namespace

TEST_F(ServiceHostTest, ActiveIsReadFromTheLinesBeforeAnyGroup)
{
    struct Case
    {
        const char* file;
        const char* active;
    };
    const Case cases[] = {
        {nullptr, "0"},
        {"Active=1\n", "1"},
        {"active=1\n[Service]\nActive=0\n", "1"},
        {"[Service]\nActive=1\n", "0"},
    };
    for (const Case& c : cases) {
        QFile::remove(programFile("settings/service.ini"));
        if (c.file) {
            ASSERT_TRUE(test::writeFile(programFile("settings/service.ini"), c.file));
        }
        EXPECT_EQ(platform::ServiceHost::activeSetting(), QString(c.active)) << (c.file ? c.file : "no file");
    }
}

TEST_F(ServiceHostTest, TerminateAndInterruptRaiseStopThroughTheEventLoop)
{
    ASSERT_TRUE(platform::serviceHost().installSignalHandlers());
    int stops = 0;
    QObject receiver;
    QObject::connect(&platform::serviceHost(), &platform::ServiceHost::stopRequested, &receiver, [&] { ++stops; });
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        const int before = stops;
        ASSERT_EQ(std::raise(signalNumber), 0);
        EXPECT_TRUE(platform::waitWhile([&] { return stops == before; }, 10000)) << signalNumber;
        EXPECT_EQ(stops, before + 1);
    }
}

TEST_F(ServiceHostTest, StartingTheServiceRaisesStart)
{
    int starts = 0;
    QObject receiver;
    QObject::connect(&platform::serviceHost(), &platform::ServiceHost::started, &receiver, [&] { ++starts; });
    platform::serviceHost().startService();
    EXPECT_EQ(starts, 1);
}
