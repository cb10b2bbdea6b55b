#pragma once

#include <QSize>

class QTreeView;
class QWidget;

namespace platform
{

// Gives a window its first size: what its layout asks for, at least `least`, wide enough for its
// title, and no larger than the screen. Run once
// its texts are final (after the translation), before it is shown.
void fitWindowToContent(QWidget* window, QSize least = QSize());

// The size `window` asks for when its `part` gets at least `wanted` (0 asks for nothing in that
// direction). A `least` for fitWindowToContent.
QSize roomFor(QWidget* window, QWidget* part, QSize wanted);

// The characters a box for a path shows at first: most paths fit whole.
constexpr int PathCharacters = 80;

// The width of `characters` average characters in `widget`'s font: the room for a text not known
// yet, such as a path still to be typed.
int textRoom(const QWidget* widget, int characters);

// Sizes every column of `list` to its header and cells and returns the width the list needs to show
// them all side by side.
int fitColumnsToContent(QTreeView* list);

// The height `list` needs to show its header and `rows` rows in its font, with room for a scroll bar.
int heightForRows(const QTreeView* list, int rows);

} // namespace platform
