#include "controls/chameleonButton.h"

#include <functional>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcutEvent>

#include <gtest/gtest.h>

#include "localisation/WindowCaptions.h"

using controls::rgb;

namespace
{
// Look 8 in fixed greys tells its states apart at its left edge: flat face, raised under the cursor,
// sunken when pressed.
const QRgb FlatFace = qRgb(192, 192, 192);
const QRgb RaisedEdge = qRgb(255, 255, 255);
const QRgb SunkenEdge = qRgb(128, 128, 128);

class ButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.resize(400, 100);
        button = addButton(10);
        host.show();
        QApplication::processEvents();
        events.clear();
    }

    chameleonButton* addButton(int x)
    {
        auto* added = new chameleonButton(&host);
        added->setGeometry(x, 10, 100, 30);
        added->setButtonType(8);
        added->setColorScheme(3);
        added->setCaption("&Save");
        const QString name = QStringLiteral("b%1 ").arg(x);
        auto log = [this](const QString& text) { events << text; };
        auto withButton = [log](const char* what) {
            return [log, what](int button, int, float, float) { log(QStringLiteral("%1 %2").arg(what).arg(button)); };
        };
        QObject::connect(added, &chameleonButton::Click, [log] { log("Click"); });
        QObject::connect(added, &chameleonButton::MouseDown, withButton("MouseDown"));
        QObject::connect(added, &chameleonButton::MouseMove, withButton("MouseMove"));
        QObject::connect(added, &chameleonButton::MouseUp, withButton("MouseUp"));
        QObject::connect(added, &chameleonButton::MouseOver, [log] { log("MouseOver"); });
        QObject::connect(added, &chameleonButton::MouseOut, [log] { log("MouseOut"); });
        QObject::connect(added, &chameleonButton::KeyDown,
                         [log](int code, int) { log(QStringLiteral("KeyDown %1").arg(code)); });
        QObject::connect(added, &chameleonButton::KeyUp,
                         [log](int code, int) { log(QStringLiteral("KeyUp %1").arg(code)); });
        QObject::connect(added, &chameleonButton::KeyPress,
                         [log](int ascii) { log(QStringLiteral("KeyPress %1").arg(ascii)); });
        return added;
    }

    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton changed, Qt::MouseButtons held,
               chameleonButton* target = nullptr)
    {
        target = target ? target : button;
        QMouseEvent event(type, at, target->mapToGlobal(at), changed, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    void moveTo(QPointF at, Qt::MouseButtons held = Qt::NoButton) { mouse(QEvent::MouseMove, at, Qt::NoButton, held); }
    void press(QPointF at, Qt::MouseButton which = Qt::LeftButton)
    {
        mouse(QEvent::MouseButtonPress, at, which, which);
    }
    void release(QPointF at, Qt::MouseButton which = Qt::LeftButton)
    {
        mouse(QEvent::MouseButtonRelease, at, which, Qt::NoButton);
    }
    void leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(button, &event);
    }
    void key(QEvent::Type type, int code, const QString& text = QString(), chameleonButton* target = nullptr)
    {
        QKeyEvent event(type, code, Qt::NoModifier, text);
        QApplication::sendEvent(target ? target : button, &event);
    }
    void click()
    {
        moveTo({50, 15});
        press({50, 15});
        release({50, 15});
    }

    QRgb edge() const { return button->surface().pixel(0, 5); }

    QWidget host;
    chameleonButton* button = nullptr;
    QStringList events;
};

TEST_F(ButtonTest, DraggingOutAndReleasingRaisesNoClick)
{
    moveTo({50, 15});
    EXPECT_EQ(edge(), RaisedEdge);
    press({50, 15});
    EXPECT_EQ(edge(), SunkenEdge);
    moveTo({150, 15}, Qt::LeftButton);
    EXPECT_EQ(edge(), FlatFace) << "the normal look once the cursor is out";
    release({150, 15});
    EXPECT_EQ(events, QStringList({"MouseMove 0", "MouseOver", "MouseDown 1", "MouseMove 1", "MouseOut", "MouseUp 1"}));
}

TEST_F(ButtonTest, AClickWithoutMovementKeepsTheHoverLook)
{
    click();
    EXPECT_EQ(events, QStringList({"MouseMove 0", "MouseOver", "MouseDown 1", "MouseUp 1", "Click"}));
    EXPECT_EQ(edge(), RaisedEdge);
    EXPECT_TRUE(button->isHovered());
}

TEST_F(ButtonTest, TheRightButtonLeavesTheLookAndRaisesNoClick)
{
    moveTo({50, 15});
    press({50, 15}, Qt::RightButton);
    EXPECT_EQ(edge(), RaisedEdge);
    release({50, 15}, Qt::RightButton);
    EXPECT_EQ(edge(), RaisedEdge);
    EXPECT_EQ(events, QStringList({"MouseMove 0", "MouseOver", "MouseDown 2", "MouseUp 2"}));
}

TEST_F(ButtonTest, MovingWithTheButtonHeldEndsTheHoverUntilTheNextMove)
{
    moveTo({50, 15});
    press({50, 15});
    moveTo({60, 15}, Qt::LeftButton);
    EXPECT_EQ(edge(), SunkenEdge);
    release({60, 15});
    EXPECT_EQ(edge(), FlatFace);
    EXPECT_FALSE(button->isHovered());
    moveTo({61, 15});
    EXPECT_EQ(edge(), RaisedEdge);
    leave();
    EXPECT_EQ(edge(), FlatFace);
    EXPECT_EQ(events,
              QStringList({"MouseMove 0", "MouseOver", "MouseDown 1", "MouseMove 1", "MouseUp 1", "Click",
                           "MouseMove 0", "MouseOver", "MouseOut"}));
}

TEST_F(ButtonTest, LeavingEndsTheHoverOnceAndCutCornersCountAsOutside)
{
    button->setButtonType(14);
    moveTo({50, 15});
    moveTo({0, 0});
    leave();
    EXPECT_EQ(events, QStringList({"MouseMove 0", "MouseOver", "MouseMove 0", "MouseOut"}));
}

TEST_F(ButtonTest, DoubleClickShowsThePressedLookAndRaisesOneClick)
{
    click();
    mouse(QEvent::MouseButtonDblClick, {50, 15}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(edge(), SunkenEdge);
    release({50, 15});
    EXPECT_EQ(events.mid(2), QStringList({"MouseDown 1", "MouseUp 1", "Click", "MouseDown 1", "MouseUp 1"}));
}

TEST_F(ButtonTest, SpaceClicksOnlyWhenNoOtherKeyCameBetween)
{
    key(QEvent::KeyPress, Qt::Key_Space, " ");
    EXPECT_EQ(edge(), SunkenEdge);
    key(QEvent::KeyPress, Qt::Key_A, "a");
    key(QEvent::KeyRelease, Qt::Key_Space, " ");
    EXPECT_EQ(edge(), SunkenEdge) << "the pressed look stays until the next repaint";
    EXPECT_EQ(events, QStringList({"KeyDown 32", "KeyPress 32", "KeyDown 65", "KeyPress 97", "KeyUp 32"}));

    events.clear();
    key(QEvent::KeyPress, Qt::Key_Space, " ");
    key(QEvent::KeyRelease, Qt::Key_Space, " ");
    EXPECT_EQ(events, QStringList({"KeyDown 32", "KeyPress 32", "KeyUp 32", "Click"}));
    EXPECT_EQ(edge(), FlatFace);
}

TEST_F(ButtonTest, ArrowsMoveTheFocusAfterRaisingKeyDown)
{
    chameleonButton* middle = addButton(120);
    chameleonButton* last = addButton(230);
    middle->show();
    last->show();
    QApplication::setActiveWindow(&host);
    middle->setFocus();
    ASSERT_TRUE(middle->hasFocus());
    struct Step
    {
        int key;
        int code;
        chameleonButton* from;
        chameleonButton* to;
    };
    const std::vector<Step> steps = {
        {Qt::Key_Left, 37, middle, button},
        {Qt::Key_Right, 39, button, middle},
        {Qt::Key_Down, 40, middle, last},
        {Qt::Key_Up, 38, last, middle},
    };
    for (const Step& step : steps) {
        events.clear();
        key(QEvent::KeyPress, step.key, QString(), step.from);
        EXPECT_TRUE(step.to->hasFocus()) << step.code;
        EXPECT_EQ(events, QStringList({QStringLiteral("KeyDown %1").arg(step.code)}));
    }
}

TEST_F(ButtonTest, TheFocusRectangleIsInsetByTheLook)
{
    QApplication::setActiveWindow(&host);
    struct Case
    {
        int type;
        QPoint corner;
    };
    for (const Case& c : {Case {1, {4, 4}}, Case {7, {3, 3}}, Case {12, {3, 3}}, Case {14, {6, 6}}}) {
        SCOPED_TRACE(c.type);
        button->setButtonType(c.type);
        button->clearFocus();
        const QRgb unfocused = button->surface().pixel(c.corner);
        const QRgb outside = button->surface().pixel(c.corner - QPoint(1, 1));
        button->setFocus();
        ASSERT_TRUE(button->hasFocus());
        EXPECT_NE(button->surface().pixel(c.corner), unfocused);
        EXPECT_EQ(button->surface().pixel(c.corner - QPoint(1, 1)), outside);
    }
}

TEST_F(ButtonTest, AccessKeyClicksOnlyWhileEnabled)
{
    EXPECT_EQ(button->accessKey(), QChar('s'));
    QShortcutEvent altS(QKeySequence("Alt+S"), 0);
    QApplication::sendEvent(button, &altS);
    EXPECT_EQ(events, QStringList({"Click"}));
    events.clear();
    button->setEnabled(false);
    button->UserControl_AccessKeyPress();
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(ButtonTest, CheckBoxClicksToggleTheValueAndItsLook)
{
    button->setCheckBoxBehaviour(true);
    click();
    EXPECT_TRUE(button->Value());
    leave();
    EXPECT_EQ(edge(), SunkenEdge) << "drawn pressed while the cursor is away";
    click();
    EXPECT_FALSE(button->Value());
    EXPECT_EQ(edge(), RaisedEdge);
    EXPECT_EQ(events.count("Click"), 2);
}

TEST_F(ButtonTest, TheValueShowsOnlyWithCheckBoxBehaviourAndNeverWhenDisabled)
{
    button->setButtonType(2);
    const QRgb normal = edge();
    button->setValue(true);
    EXPECT_EQ(edge(), normal);
    button->setCheckBoxBehaviour(true);
    EXPECT_EQ(edge(), qRgb(0, 0, 0)) << "pressed";
    button->setEnabled(false);
    EXPECT_EQ(edge(), normal) << "disabled, not pressed";
    button->setEnabled(true);
    EXPECT_EQ(edge(), qRgb(0, 0, 0));
    host.setEnabled(false);
    EXPECT_EQ(edge(), normal) << "disabled with its host";
    EXPECT_TRUE(button->Enabled());
}

TEST_F(ButtonTest, DisableRefreshHoldsThePictureUntilRefresh)
{
    const QImage before = button->surface();
    const controls::CaptionLayout layout = button->captionLayout();
    button->DisableRefresh();
    button->setCaption("&Open the backup set");
    EXPECT_EQ(button->accessKey(), QChar('o'));
    EXPECT_NE(button->captionLayout(), layout);
    EXPECT_EQ(button->surface(), before);
    button->Refresh();
    EXPECT_NE(button->surface(), before);
}

TEST_F(ButtonTest, SchemeTwoPaintsTheHoverFromBackOver)
{
    button->setColorScheme(2);
    button->setBackColor(rgb(100, 100, 100));
    button->setBackOver(rgb(200, 50, 50));
    EXPECT_EQ(button->surface().pixel(5, 5), qRgb(100, 100, 100));
    moveTo({50, 15});
    EXPECT_EQ(button->surface().pixel(5, 5), qRgb(200, 50, 50));
    EXPECT_EQ(edge(), qRgb(247, 97, 97)) << "the bevel is shaded from the hover colour too";
    EXPECT_EQ(button->BackColor(), rgb(100, 100, 100));
    leave();
    EXPECT_EQ(button->surface().pixel(5, 5), qRgb(100, 100, 100));
}

TEST_F(ButtonTest, AtDesignTimeTheColoursSetTheirHoverColoursToo)
{
    button->setBackOver(rgb(1, 1, 1));
    button->setBackColor(rgb(2, 2, 2));
    EXPECT_EQ(button->BackOver(), rgb(1, 1, 1));
    button->setUserMode(false);
    button->setBackColor(rgb(3, 3, 3));
    button->setForeColor(rgb(4, 4, 4));
    EXPECT_EQ(button->BackOver(), rgb(3, 3, 3));
    EXPECT_EQ(button->ForeOver(), rgb(4, 4, 4));
    EXPECT_EQ(button->version(), "2.0.6");
}

TEST_F(ButtonTest, CaptionsAreDrawnAsTheAccessKeyRuleReadsThem)
{
    auto drawn = [this](const QString& caption) {
        button->setCaption(caption);
        return button->surface();
    };
    EXPECT_EQ(drawn("Save&"), drawn("Save")) << "no stray ampersand";
    EXPECT_NE(drawn("&Save"), drawn("Save")) << "the key is underlined";
    EXPECT_EQ(drawn("A&&B&&C&D"), drawn("A&&B&&CD")) << "a marker the rule skips is not shown";
    EXPECT_NE(drawn("R&&D"), drawn("RD"));
}

TEST_F(ButtonTest, LookElevenShowsItsParentThroughTheFace)
{
    QPalette palette = host.palette();
    palette.setColor(QPalette::Window, QColor(10, 200, 30));
    host.setPalette(palette);
    host.setAutoFillBackground(true);
    const QRect before = button->geometry();
    button->setButtonType(11);
    EXPECT_EQ(button->geometry(), before);
    const QImage shown = host.grab().toImage();
    EXPECT_EQ(shown.pixel(button->x() + 3, button->y() + 3), qRgb(10, 200, 30));
    EXPECT_EQ(shown.pixel(button->x() + 95, button->y() + 25), qRgb(10, 200, 30));
}

TEST_F(ButtonTest, HandPointerShowsThePointingHand)
{
    QStringList changes;
    QObject::connect(button, &chameleonButton::propertyChanged, [&](const QString& name) { changes << name; });
    button->setHandPointer(true);
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(button->MousePointer(), 99);
    button->setHandPointer(false);
    EXPECT_EQ(button->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(button->MousePointer(), 1);
    EXPECT_EQ(changes, QStringList({"HAND", "HAND"}));
}

TEST_F(ButtonTest, SettersReportTheirKeys)
{
    struct Case
    {
        std::function<void(chameleonButton&)> set;
        QString key;
    };
    const std::vector<Case> cases = {
        {[](chameleonButton& b) { b.setBackColor(1); }, "BCOL"},
        {[](chameleonButton& b) { b.setBackOver(1); }, "BCOLO"},
        {[](chameleonButton& b) { b.setForeColor(1); }, "FCOL"},
        {[](chameleonButton& b) { b.setForeOver(1); }, "FCOLO"},
        {[](chameleonButton& b) { b.setMaskColor(1); }, "MCOL"},
        {[](chameleonButton& b) { b.setButtonType(3); }, "BTYPE"},
        {[](chameleonButton& b) { b.setCaption("x"); }, "TX"},
        {[](chameleonButton& b) { b.setEnabled(false); }, "ENAB"},
        {[](chameleonButton& b) { b.setFont(QFont("Serif", 14)); }, "FONT"},
        {[](chameleonButton& b) { b.setFontBold(true); }, ""},
        {[](chameleonButton& b) { b.setColorScheme(2); }, "COLTYPE"},
        {[](chameleonButton& b) { b.setShowFocusRect(false); }, "FOCUSR"},
        {[](chameleonButton& b) { b.setMousePointer(2); }, "MPTR"},
        {[](chameleonButton& b) { b.setMouseIcon(QImage(8, 8, QImage::Format_RGB32)); }, "MICON"},
        {[](chameleonButton& b) { b.setSoftBevel(true); }, "SOFT"},
        {[](chameleonButton& b) { b.setPictureNormal(QImage(8, 8, QImage::Format_RGB32)); }, "PICN"},
        {[](chameleonButton& b) { b.setPictureOver(QImage(8, 8, QImage::Format_RGB32)); }, "PICH"},
        {[](chameleonButton& b) { b.setPicturePosition(2); }, "PICPOS"},
        {[](chameleonButton& b) { b.setUseMaskColor(false); }, "UMCOL"},
        {[](chameleonButton& b) { b.setUseGreyscale(true); }, "NGREY"},
        {[](chameleonButton& b) { b.setSpecialEffect(1); }, "FX"},
        {[](chameleonButton& b) { b.setCheckBoxBehaviour(true); }, "CHECK"},
        {[](chameleonButton& b) { b.setValue(true); }, "VALUE"},
    };
    for (const Case& c : cases) {
        chameleonButton fresh;
        QStringList changes;
        QObject::connect(&fresh, &chameleonButton::propertyChanged, [&](const QString& name) { changes << name; });
        c.set(fresh);
        EXPECT_EQ(changes, c.key.isEmpty() ? QStringList() : QStringList({c.key})) << c.key.toStdString();
    }
}

// Every property away from its default.
void setEverything(chameleonButton& b)
{
    b.setButtonType(14);
    b.setCaption("Fish && &Chips");
    b.setEnabled(false);
    b.setFont(QFont("Serif", 13, QFont::Bold, true));
    b.setColorScheme(2);
    b.setShowFocusRect(false);
    b.setBackColor(rgb(1, 2, 3));
    b.setBackOver(rgb(4, 5, 6));
    b.setForeColor(rgb(7, 8, 9));
    b.setForeOver(controls::systemColour(controls::COLOR_HIGHLIGHT));
    b.setMaskColor(rgb(255, 0, 255));
    b.setMousePointer(3);
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    b.setMouseIcon(icon);
    QImage picture(12, 10, QImage::Format_RGB32);
    picture.fill(Qt::green);
    b.setPictureNormal(picture);
    picture.fill(Qt::blue);
    b.setPictureOver(picture);
    b.setUseMaskColor(false);
    b.setSoftBevel(true);
    b.setPicturePosition(3);
    b.setUseGreyscale(true);
    b.setSpecialEffect(2);
    b.setCheckBoxBehaviour(true);
    b.setValue(true);
}

TEST(ButtonProperties, TheWindowTranslatorTakesTheCaptionAsACaption)
{
    QWidget window;
    window.setObjectName("frmTools");
    auto* button = new chameleonButton(&window);
    button->setObjectName("cmdSave");
    button->setCaption("&Save");
    const QList<localisation::CaptionSlot> found = localisation::captionSlots(&window);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].key("frmTools"), "frmTools_cmdSave");
    EXPECT_EQ(found[0].text(), "&Save");
    found[0].setText("&Sichern");
    EXPECT_EQ(button->Caption(), "&Sichern");
    EXPECT_EQ(button->accessKey(), QChar('s'));
}

TEST(ButtonProperties, AllKeysRoundTrip)
{
    chameleonButton original;
    setEverything(original);
    const controls::PropertyBag stored = original.WriteProperties();
    EXPECT_EQ(stored.size(), 23);

    chameleonButton copy;
    copy.ReadProperties(stored);
    EXPECT_EQ(copy.WriteProperties(), stored);
    EXPECT_EQ(copy.accessKey(), QChar('c'));
    EXPECT_FALSE(copy.isEnabled());
    EXPECT_EQ(copy.cursor().shape(), Qt::IBeamCursor) << "a stored pointer survives without the hand";
}

TEST(ButtonProperties, MissingKeysTakeTheirDefaults)
{
    chameleonButton button;
    setEverything(button);
    button.ReadProperties({});
    const controls::OleColor face = controls::GetSysColor(QApplication::palette(), controls::COLOR_BTNFACE);
    const controls::OleColor text = controls::GetSysColor(QApplication::palette(), controls::COLOR_BTNTEXT);
    EXPECT_EQ(button.ButtonType(), 2);
    EXPECT_EQ(button.Caption(), "");
    EXPECT_TRUE(button.Enabled());
    EXPECT_EQ(button.ColorScheme(), 1);
    EXPECT_TRUE(button.ShowFocusRect());
    EXPECT_EQ(button.BackColor(), face);
    EXPECT_EQ(button.BackOver(), face);
    EXPECT_EQ(button.ForeColor(), text);
    EXPECT_EQ(button.ForeOver(), text);
    EXPECT_EQ(button.MaskColor(), rgb(192, 192, 192));
    EXPECT_EQ(button.MousePointer(), 0);
    EXPECT_TRUE(button.MouseIcon().isNull());
    EXPECT_TRUE(button.PictureNormal().isNull());
    EXPECT_TRUE(button.PictureOver().isNull());
    EXPECT_TRUE(button.UseMaskColor());
    EXPECT_FALSE(button.SoftBevel());
    EXPECT_EQ(button.PicturePosition(), 0);
    EXPECT_FALSE(button.UseGreyscale());
    EXPECT_EQ(button.SpecialEffect(), 0);
    EXPECT_FALSE(button.HandPointer());
    EXPECT_FALSE(button.CheckBoxBehaviour());
    EXPECT_FALSE(button.Value());
    EXPECT_TRUE(button.accessKey().isNull());
}

TEST(ButtonProperties, DamagedValuesTakeDefaultsAndTheReadingGoesOn)
{
    chameleonButton button;
    button.ReadProperties({{"BTYPE", "abc"},
                           {"ENAB", "perhaps"},
                           {"FONT", 12},
                           {"COLTYPE", 3},
                           {"BCOL", "red"},
                           {"BCOLO", QVariant()},
                           {"PICN", "not a picture"},
                           {"HAND", true},
                           {"CHECK", "True"},
                           {"VALUE", -1}});
    EXPECT_EQ(button.ButtonType(), 2);
    EXPECT_TRUE(button.Enabled());
    EXPECT_EQ(button.ColorScheme(), 3);
    EXPECT_EQ(button.BackColor(), controls::GetSysColor(QApplication::palette(), controls::COLOR_BTNFACE));
    EXPECT_EQ(button.BackOver(), button.BackColor());
    EXPECT_TRUE(button.PictureNormal().isNull());
    EXPECT_TRUE(button.HandPointer());
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(button.CheckBoxBehaviour()) << "the keys after the hand are still read";
    EXPECT_TRUE(button.Value());
}

} // namespace
