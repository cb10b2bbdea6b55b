#pragma once

class QWidget;

namespace platform
{

// Keeps the window above the others, or lets it go back; position, size and visibility stay.
void SetTopmost(QWidget* window, bool topmost);

} // namespace platform
