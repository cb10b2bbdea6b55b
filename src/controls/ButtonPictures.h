#pragma once

#include <optional>

#include <QImage>
#include <QRegion>

#include "controls/ButtonColors.h"

namespace controls
{

struct BlendOptions
{
    // Source pixels of this colour are left out while `useMask` is on.
    OleColor mask = rgb(192, 192, 192);
    bool useMask = true;
    // Paints the picture's silhouette in this colour.
    std::optional<OleColor> tint;
    // With a tint: leaves out light pixels (channel sum above 384).
    bool darkOnly = false;
    bool grey = false;
    // Two thirds picture, one third what lies under it.
    bool blend = false;
};

// Draws the top-left w x h pixels of `picture` onto `surface` at (x, y); pixels outside the picture
// are left out. A picture with transparency is laid on the mask colour first, as icons are.
void BlendPicture(QImage& surface, int x, int y, int w, int h, const QImage& picture, const BlendOptions& options);

// The window shape of a look: corner pixels cut off, or an ellipse.
QRegion BuildShape(int buttonType, int width, int height);

} // namespace controls
