#include "localisation/Skin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "localisation/Brand.h"

namespace
{
const QColor Back(10, 20, 30);
const QColor Fore(40, 50, 60);
const QColor Picture(70, 80, 90);
const QColor Fourth(100, 110, 120);

// A window with one control of each kind the skin colours, and some it leaves alone.
struct SkinWindow
{
    SkinWindow()
    {
        window.setObjectName("frmSkin");
        auto* layout = new QVBoxLayout(&window);
        auto add = [&](QWidget* widget, const char* name) {
            widget->setObjectName(name);
            layout->addWidget(widget);
            return widget;
        };
        combo = static_cast<QComboBox*>(add(new QComboBox, "cboKind"));
        picture = static_cast<QFrame*>(add(new QFrame, "picLogo"));
        button = static_cast<QPushButton*>(add(new QPushButton("OK"), "cmdOK"));
        text = static_cast<QLineEdit*>(add(new QLineEdit, "txtName"));
        list = static_cast<QTreeWidget*>(add(new QTreeWidget, "lstSets"));
        label = static_cast<QLabel*>(add(new QLabel("Name:"), "lblName"));
        option = static_cast<QRadioButton*>(add(new QRadioButton("Zip"), "optZip"));
        check = static_cast<QCheckBox*>(add(new QCheckBox("Log"), "chkLog"));
        unnamed = static_cast<QPushButton*>(add(new QPushButton("Inner"), ""));
        auto* dialog = new QDialog(&window);
        dialog->setObjectName("frmOwned");
        owned = new QPushButton("Owned", dialog);
        owned->setObjectName("cmdOwned");
    }

    QWidget window;
    QComboBox* combo;
    QFrame* picture;
    QPushButton* button;
    QLineEdit* text;
    QTreeWidget* list;
    QLabel* label;
    QRadioButton* option;
    QCheckBox* check;
    QPushButton* unnamed;
    QPushButton* owned;
};

bool ownPalette(const QWidget* widget)
{
    return widget->testAttribute(Qt::WA_SetPalette);
}

class SkinTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        localisation::setSkinObject(nullptr);
        localisation::setSkinRecovery(nullptr);
    }
};
} // namespace

TEST_F(SkinTest, LoadBrandSetsTheFixedSwitches)
{
    core::state().BannerAddress = "http://banner";
    localisation::LoadBrand();
    EXPECT_TRUE(core::state().UseSkin);
    EXPECT_FALSE(core::state().UseBanner);
    EXPECT_EQ(core::state().BrandProductId, 0);
    EXPECT_EQ(core::state().EditionNumber, 0);
    EXPECT_TRUE(core::state().BannerAddress.isEmpty());
}

TEST_F(SkinTest, BrandPlaceholdersAreReplacedInAnyCase)
{
    EXPECT_EQ(localisation::replaceBrandPlaceholders("Visit [WEBSITE] for [programname] by [CompanyName]"),
              "Visit " + localisation::BrandWebsite() + " for " + localisation::BrandProgramName() + " by "
                  + localisation::BrandCompanyName());
}

TEST_F(SkinTest, ColorControlsColoursEachKindAndLeavesTheOthersAlone)
{
    SkinWindow w;
    localisation::ColorControls(&w.window, Back, Fore, Picture, Fourth);

    EXPECT_EQ(w.button->palette().color(QPalette::Button), Back);
    EXPECT_EQ(w.combo->palette().color(QPalette::Base), Back);
    EXPECT_EQ(w.combo->palette().color(QPalette::Text), Fore);
    EXPECT_EQ(w.text->palette().color(QPalette::Base), Back);
    EXPECT_EQ(w.text->palette().color(QPalette::Text), Fore);
    EXPECT_EQ(w.list->palette().color(QPalette::Base), Back);
    EXPECT_EQ(w.list->palette().color(QPalette::Text), Fore);
    EXPECT_EQ(w.picture->palette().color(QPalette::Window), Picture);
    EXPECT_TRUE(w.picture->autoFillBackground());
    // Disabled controls keep their greyed text.
    EXPECT_NE(w.text->palette().color(QPalette::Disabled, QPalette::Text), Fore);

    const struct
    {
        const char* what;
        const QWidget* widget;
    } untouched[] = {
        {"label", w.label},
        {"option button", w.option},
        {"check box", w.check},
        {"unnamed part", w.unnamed},
        {"a control of an owned window", w.owned},
        {"the list's header", w.list->header()},
    };
    for (const auto& u : untouched)
        EXPECT_FALSE(ownPalette(u.widget)) << u.what;
}

TEST_F(SkinTest, ApplySkinColoursTheControlsAndSkinsTheWindow)
{
    localisation::Skin skin;
    localisation::setSkinObject(&skin);
    SkinWindow w;
    localisation::ApplySkin(&w.window);
    EXPECT_EQ(w.button->palette().color(QPalette::Button), skin.backColour());
    EXPECT_EQ(w.combo->palette().color(QPalette::Text), skin.foreColour());
    EXPECT_EQ(w.picture->palette().color(QPalette::Window), skin.pictureColour());
    EXPECT_TRUE(ownPalette(&w.window));
    // Labels take the skin's text colour from the window, in place.
    EXPECT_FALSE(ownPalette(w.label));
    EXPECT_EQ(w.label->palette().color(QPalette::WindowText), w.window.palette().color(QPalette::WindowText));
    EXPECT_EQ(core::Err().Number, 0);
}

TEST_F(SkinTest, WithoutASkinTheRecoveryRunsOnceWithoutWaiting)
{
    struct Case
    {
        const char* what;
        bool recoveryFindsSkin;
        bool recoveryInstalled;
    };
    const Case cases[] = {
        {"recovery brings the skin", true, true},
        {"recovery finds nothing", false, true},
        {"no recovery at all", false, false},
    };
    for (const Case& c : cases) {
        core::resetErrors();
        localisation::setSkinObject(nullptr);
        localisation::Skin skin;
        int recoveries = 0;
        if (c.recoveryInstalled) {
            localisation::setSkinRecovery([&] {
                ++recoveries;
                if (c.recoveryFindsSkin)
                    localisation::setSkinObject(&skin);
            });
        } else {
            localisation::setSkinRecovery(nullptr);
        }
        SkinWindow w;
        localisation::ApplySkin(&w.window);

        EXPECT_EQ(recoveries, c.recoveryInstalled ? 1 : 0) << c.what;
        if (c.recoveryFindsSkin) {
            EXPECT_EQ(w.button->palette().color(QPalette::Button), skin.backColour()) << c.what;
            EXPECT_EQ(core::Err().Number, 0) << c.what;
        } else {
            // The default colours stay and the failure is reported.
            EXPECT_FALSE(ownPalette(w.button)) << c.what;
            EXPECT_FALSE(ownPalette(&w.window)) << c.what;
            EXPECT_EQ(core::Err().Number, 91) << c.what;
            EXPECT_TRUE(core::Err().Description.contains("ApplySkin")) << c.what;
        }
        localisation::setSkinObject(nullptr);
    }
}
