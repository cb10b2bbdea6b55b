#include "platform/Form.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

namespace
{
struct Loads
{
    static inline int count = 0;
    static inline bool unloadWhileLoading = false;
};

class WindowA : public QWidget
{
public:
    void Form_Load()
    {
        ++Loads::count;
        if (Loads::unloadWhileLoading)
            platform::Form<WindowA>::unload();
    }
};

class WindowB : public QWidget
{
public:
    void Form_Load() { }
};

class FormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Loads::count = 0;
        Loads::unloadWhileLoading = false;
    }
    void TearDown() override { platform::unloadAllWindows(); }

    static void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};
} // namespace

TEST_F(FormTest, LoadsOnceAndUnloadsOnRequest)
{
    WindowA* first = platform::Form<WindowA>::load();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(platform::Form<WindowA>::load(), first);
    EXPECT_EQ(Loads::count, 1);
    EXPECT_EQ(platform::loadedWindows(), QList<QWidget*>({first}));

    platform::Form<WindowA>::unload();
    EXPECT_EQ(platform::Form<WindowA>::loaded(), nullptr);
    EXPECT_TRUE(platform::loadedWindows().isEmpty());
    runDeferredDeletes();

    WindowA* second = platform::Form<WindowA>::load();
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(Loads::count, 2);
}

TEST_F(FormTest, AWindowThatUnloadsItselfWhileLoadingIsNotHandedOut)
{
    Loads::unloadWhileLoading = true;
    EXPECT_EQ(platform::Form<WindowA>::load(), nullptr);
    EXPECT_EQ(platform::Form<WindowA>::loaded(), nullptr);
    EXPECT_TRUE(platform::loadedWindows().isEmpty());
}

TEST_F(FormTest, ClosingAWindowUnloadsIt)
{
    WindowB* window = platform::Form<WindowB>::load();
    window->show();
    window->close();
    runDeferredDeletes();
    EXPECT_EQ(platform::Form<WindowB>::loaded(), nullptr);
    EXPECT_TRUE(platform::loadedWindows().isEmpty());
}

TEST_F(FormTest, UnloadAllDeletesEveryWindowIncludingOnesOwnedByOthers)
{
    WindowA* owner = platform::Form<WindowA>::load();
    WindowB* owned = platform::Form<WindowB>::load();
    owned->setParent(owner, Qt::Window);
    platform::unloadAllWindows();
    EXPECT_EQ(platform::Form<WindowA>::loaded(), nullptr);
    EXPECT_EQ(platform::Form<WindowB>::loaded(), nullptr);
    EXPECT_TRUE(platform::loadedWindows().isEmpty());
}
