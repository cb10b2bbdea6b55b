#pragma once

#include <array>

#include <QImage>

namespace controls
{

// The pictures the progress bar is painted from, drawn by the program itself.

// The 59 x 13 frame: a grey border with rounded corners around a white trough.
const QImage& progressFrame();
// An 8 x 10 white piece that erases the trough.
const QImage& progressBlank();
// The three 8 x 10 pieces of a look (tail, follower, head/block); nullptr for an unknown look.
const std::array<QImage, 3>* progressLookPieces(qint64 look);

constexpr int ProgressLookCount = 8;

} // namespace controls
