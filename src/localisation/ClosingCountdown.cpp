#include "localisation/ClosingCountdown.h"

#include <QPushButton>

#include "localisation/Languages.h"

namespace localisation
{

void showClosingCountdown(QWidget* window, QPushButton* closeButton, int left)
{
    closeButton->setVisible(true);
    closeButton->setText(message("MSG_CLOSE") + QStringLiteral(" (") + QString::number(left) + QLatin1Char(')'));
    closeButton->repaint();
    window->setWindowTitle(message("MSG_CLOSING1") + QString::number(left)
                           + message(left > 1 ? "MSG_CLOSING2" : "MSG_CLOSING3"));
}

} // namespace localisation
