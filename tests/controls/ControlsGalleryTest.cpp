#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include "controls/Xp_ProgressBar.h"
#include "controls/chameleonButton.h"
#include "support/Screenshot.h"

namespace
{
// A 16 x 16 picture: a coloured disc on the mask colour.
QImage disc(QColor colour)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(QColor(192, 192, 192));
    QPainter painter(&image);
    painter.setPen(colour.darker(150));
    painter.setBrush(colour);
    painter.drawEllipse(1, 1, 13, 13);
    painter.setPen(Qt::white);
    painter.drawPoint(5, 5);
    return image;
}

enum class Shown
{
    Normal,
    Hover,
    Pressed,
    Disabled,
    Default,
};

void hover(chameleonButton* button)
{
    const QPointF centre(button->width() / 2.0, button->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, centre, button->mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(button, &move);
}

chameleonButton* addButton(QGridLayout* grid, int row, int column, int type, int scheme, Shown shown,
                           const QString& caption, QSize size = QSize(104, 30))
{
    auto* button = new chameleonButton;
    button->setFixedSize(size);
    button->setButtonType(type);
    button->setColorScheme(scheme);
    if (scheme == 2) {
        button->setBackColor(controls::rgb(70, 110, 170));
        button->setBackOver(controls::rgb(90, 140, 210));
        button->setForeColor(controls::rgb(255, 255, 255));
        button->setForeOver(controls::rgb(255, 240, 150));
    }
    button->setCaption(caption);
    if (shown == Shown::Pressed) {
        button->setCheckBoxBehaviour(true);
        button->setValue(true);
    } else if (shown == Shown::Disabled) {
        button->setEnabled(false);
    } else if (shown == Shown::Default) {
        button->setDefaultButton(true);
    }
    grid->addWidget(button, row, column);
    return button;
}

struct Gallery
{
    Gallery()
    {
        window.setObjectName("frmGallery");
        grid = new QGridLayout(&window);
        grid->setSpacing(6);
    }

    void show()
    {
        window.show();
        QApplication::processEvents();
        for (chameleonButton* button : hovered)
            hover(button);
    }

    QWidget window;
    QGridLayout* grid;
    std::vector<chameleonButton*> hovered;
};

const char* const StateNames[] = {"normal", "hover", "pressed", "disabled", "default"};

TEST(ControlsGallery, EveryButtonTypeInEachSchemeAndState)
{
    for (int scheme = 1; scheme <= 4; ++scheme) {
        Gallery gallery;
        if (scheme == 4) {
            QPalette host = gallery.window.palette();
            host.setColor(QPalette::Window, QColor(214, 228, 206));
            host.setColor(QPalette::WindowText, QColor(30, 60, 20));
            gallery.window.setPalette(host);
            gallery.window.setAutoFillBackground(true);
        }
        for (int state = 0; state < 5; ++state)
            gallery.grid->addWidget(new QLabel(StateNames[state]), 0, state + 1, Qt::AlignCenter);
        for (int type = 1; type <= 14; ++type) {
            gallery.grid->addWidget(new QLabel(QStringLiteral("Type %1").arg(type)), type, 0);
            for (int state = 0; state < 5; ++state) {
                chameleonButton* button = addButton(gallery.grid, type, state + 1, type, scheme,
                                                    static_cast<Shown>(state), QStringLiteral("&Backup now"));
                if (state == static_cast<int>(Shown::Hover))
                    gallery.hovered.push_back(button);
            }
        }
        gallery.show();
        EXPECT_FALSE(test::saveScreenshot(&gallery.window, QStringLiteral("button_scheme%1").arg(scheme)).isEmpty());
    }
}

TEST(ControlsGallery, PicturesOnEachSideAndBehind)
{
    Gallery gallery;
    const char* const positions[] = {"left", "right", "above", "below", "behind"};
    const int types[] = {2, 3, 5, 9, 13, 14};
    int row = 0;
    for (int type : types) {
        for (int state = 0; state < 4; ++state) {
            gallery.grid->addWidget(new QLabel(QStringLiteral("Type %1 %2").arg(type).arg(StateNames[state])), row, 0);
            for (int position = 0; position < 5; ++position) {
                const QSize size = position == 2 || position == 3 ? QSize(96, 46) : QSize(96, 30);
                chameleonButton* button = addButton(gallery.grid, row, position + 1, type, 1, static_cast<Shown>(state),
                                                    positions[position], size);
                button->setPictureNormal(disc(QColor(40, 150, 60)));
                button->setPictureOver(disc(QColor(230, 140, 30)));
                button->setPicturePosition(position);
                if (state == static_cast<int>(Shown::Hover))
                    gallery.hovered.push_back(button);
            }
            ++row;
        }
    }
    gallery.show();
    EXPECT_FALSE(test::saveScreenshot(&gallery.window, QStringLiteral("button_pictures")).isEmpty());
}

TEST(ControlsGallery, EffectsAndGreyscale)
{
    Gallery gallery;
    const char* const effects[] = {"none", "raised", "sunken", "shadow"};
    for (int effect = 0; effect < 4; ++effect) {
        for (int state = 0; state < 4; ++state) {
            chameleonButton* button = addButton(gallery.grid, state, effect, effect == 0 ? 9 : 2 + effect, 3,
                                                static_cast<Shown>(state), effects[effect]);
            button->setSpecialEffect(effect);
            button->setPictureNormal(disc(QColor(200, 40, 40)));
            button->setUseGreyscale(effect == 0);
            if (state == static_cast<int>(Shown::Hover))
                gallery.hovered.push_back(button);
        }
    }
    gallery.show();
    EXPECT_FALSE(test::saveScreenshot(&gallery.window, QStringLiteral("button_effects")).isEmpty());
}

TEST(ControlsGallery, ButtonsTakeTheSizeTheirContentNeeds)
{
    QWidget window;
    auto* grid = new QGridLayout(&window);
    const QString captions[] = {"OK", "&Restore the chosen version", "Fish && &Chips", ""};
    int row = 0;
    for (const QString& caption : captions) {
        for (int position = 0; position < 5; ++position) {
            auto* button = new chameleonButton;
            button->setButtonType(position % 2 == 0 ? 3 : 14);
            button->setCaption(caption);
            button->setPictureNormal(disc(QColor(40, 90, 200)));
            button->setPicturePosition(position);
            grid->addWidget(button, row, position);
        }
        ++row;
    }
    window.show();
    // The offscreen screen is small; a narrow window shows the wrapped captions.
    window.resize(560, window.heightForWidth(560) > 0 ? window.heightForWidth(560) : window.height());
    QApplication::processEvents();
    for (auto* button : window.findChildren<chameleonButton*>()) {
        const controls::CaptionLayout& layout = button->captionLayout();
        EXPECT_LE(layout.rcCaption.right, button->width()) << button->Caption().toStdString();
        EXPECT_GE(layout.rcCaption.left, 0) << button->Caption().toStdString();
        EXPECT_GE(layout.rcCaption.top, 0) << button->Caption().toStdString();
        EXPECT_LE(layout.rcCaption.bottom, button->height()) << button->Caption().toStdString();
    }
    EXPECT_FALSE(test::saveScreenshot(&window, QStringLiteral("button_sizes")).isEmpty());
}

TEST(ControlsGallery, ProgressBarInEveryLookAndBothStyles)
{
    QWidget window;
    auto* grid = new QGridLayout(&window);
    std::vector<Xp_ProgressBar*> bars;
    for (int look = 0; look < 8; ++look) {
        for (int style = 0; style < 2; ++style) {
            auto* bar = new Xp_ProgressBar;
            bar->setFixedSize(220, 17);
            bar->setProgressLook(look);
            bar->setStyle(style);
            grid->addWidget(bar, look, style);
            bars.push_back(bar);
        }
    }
    window.show();
    QApplication::processEvents();
    for (Xp_ProgressBar* bar : bars) {
        const qint64 end = bar->Style() == 0 ? 30 + 10 * (bars.size() % 7) : 12;
        for (qint64 value = 1; value <= end; ++value)
            bar->setValue(value);
    }
    bars.back()->setValue(100);
    EXPECT_FALSE(test::saveScreenshot(&window, QStringLiteral("progress_bars")).isEmpty());
}

} // namespace
