#pragma once

#include <Qt>

namespace controls
{

// Input as the control's events report it, whatever the platform's own codes.

// Mouse buttons: 1 left, 2 right, 4 middle, added up.
int buttonCode(Qt::MouseButtons buttons);
// Modifier keys: 1 Shift, 2 Ctrl, 4 Alt, added up.
int shiftCode(Qt::KeyboardModifiers modifiers);
// The virtual-key number of a key (65 for A, 32 for Space, 37 to 40 for the arrows); 0 for keys
// without one.
int keyCode(int key);
// The pointer of a pointer number (1 arrow, 2 cross, 3 I-beam, 11 hourglass, ...).
Qt::CursorShape cursorShape(int pointer);

} // namespace controls
