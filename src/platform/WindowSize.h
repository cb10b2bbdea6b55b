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

// Sizes every column of `list` to its header and cells and returns the width the list needs to show
// them all side by side.
int fitColumnsToContent(QTreeView* list);

} // namespace platform
