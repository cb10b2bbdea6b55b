#include <clocale>

#include <QApplication>
#include <QByteArray>
#include <QLocale>

#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

int main(int argc, char** argv)
{
    // Windows are created and driven without a screen, on the laptop-sized screen the window tests
    // expect, also where the environment already asks for the plain offscreen platform (800 x 600).
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" QUILLBACK_TEST_SCREEN);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
    ::testing::UnitTest::GetInstance()->listeners().Append(new test::StateResetListener);
    return RUN_ALL_TESTS();
}
