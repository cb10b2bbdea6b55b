#pragma once

class QPushButton;
class QWidget;

namespace localisation
{

// Shows the seconds left before a finished run or restore window closes itself, on the window's
// caption and on its Close button.
void showClosingCountdown(QWidget* window, QPushButton* closeButton, int left);

} // namespace localisation
