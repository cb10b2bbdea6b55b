#pragma once

#include <QImage>

#include "controls/ButtonPainter.h"

namespace controls
{

// Draws the normal (0), pressed (1) or disabled (2) pictures of a button onto its painted face.
void PaintFacePictures(QImage& face, const ButtonPaintInput& input, int kind);

} // namespace controls
