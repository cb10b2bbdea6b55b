#include <clocale>

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

int main(int argc, char** argv)
{
    // Windows are created and driven without a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" QUILLBACK_TEST_SCREEN);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
    ::testing::UnitTest::GetInstance()->listeners().Append(new test::StateResetListener);
    return RUN_ALL_TESTS();
}
