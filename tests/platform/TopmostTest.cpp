#include "platform/Topmost.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace platform;

TEST(TopmostTest, SetTopmostKeepsGeometryAndVisibility)
{
    QWidget shown;
    shown.setGeometry(40, 50, 300, 200);
    shown.show();
    QWidget hidden;
    hidden.setGeometry(60, 70, 320, 240);

    for (const bool topmost : {true, false}) {
        for (QWidget* window : {&shown, &hidden}) {
            const QRect before = window->geometry();
            const bool visible = window->isVisible();
            SetTopmost(window, topmost);
            EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), topmost);
            EXPECT_EQ(window->geometry(), before);
            EXPECT_EQ(window->isVisible(), visible);
        }
    }
    EXPECT_TRUE(shown.isVisible());
    SetTopmost(nullptr, true);
}
