#include <QLabel>

#include <gtest/gtest.h>

#include "localisation/Brand.h"
#include "main_window/MainWindowTest.h"
#include "main_window/frmAbout.h"
#include "support/Screenshot.h"

using main_window::frmAbout;
using platform::Form;

namespace
{
class AboutWindowTest : public test::MainWindowTest
{ };
} // namespace

TEST_F(AboutWindowTest, ShowsTheProgramNameAndTheCompiledInVersion)
{
    frmAbout* about = Form<frmAbout>::load();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), "About " + localisation::BrandProgramName());
    EXPECT_EQ(about->Label1->text(), localisation::BrandProgramName());
    EXPECT_EQ(about->Label2->text(), "(version 1.0)");
    about->show();
    EXPECT_FALSE(test::saveScreenshot(about, QStringLiteral("frmAbout")).isEmpty());
}
