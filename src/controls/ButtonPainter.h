#pragma once

#include <QFont>
#include <QImage>
#include <QString>

#include "controls/ButtonCaption.h"
#include "controls/ButtonColors.h"

namespace controls
{

// Everything one painting of the command button reads.
struct ButtonPaintInput
{
    int width = 0;
    int height = 0;
    int buttonType = 2;
    int colorScheme = 1;
    int specialEffect = 0;
    int picturePosition = 0;
    bool enabled = true;
    bool over = false;
    bool focused = false;
    // The host shows this button as its default button.
    bool isDefault = false;
    bool showFocusRect = true;
    bool softBevel = false;
    bool useMaskColor = true;
    bool useGreyscale = false;
    // The caption in Qt's mnemonic form.
    QString captionText;
    QFont font;
    CaptionLayout layout;
    // The caption in bold, for the default button of look 14.
    QFont boldFont;
    CaptionLayout boldLayout;
    PixelRect rcFocus;
    QImage pictureNormal;
    QImage pictureOver;
    int pictureWidth = 0;
    int pictureHeight = 0;
    ColourSet colours;
};

enum ButtonState
{
    StateNormal = 0,
    StatePressed = 2,
};

// Paints the face, frame, caption and pictures of one look in one state; the disabled look when
// the button is not enabled. Pixels the look leaves alone stay transparent.
QImage PaintButtonFace(const ButtonPaintInput& input, int state);

} // namespace controls
