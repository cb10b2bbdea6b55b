#pragma once

#include <QWidget>

#include "localisation/Skin.h"

class QTimer;

namespace main_window
{

// The first window of the program. It loads the brand values, owns the program's skin for the whole
// run and, on the 75th tick of its timer, loads and shows the main window; then it stays loaded,
// hidden.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    frmSplash();
    ~frmSplash() override;

    void Form_Load();
    void Timer2_Timer();
    // The service host's stop: before the main window has loaded (and listens itself), the program
    // ends at once.
    void stopBeforeMainWindow();

    // The load chose to stay unseen (chkSplash "1"): the program's start does not show it.
    bool keepsHidden() const { return m_keepHidden; }

    localisation::Skin skn;
    QTimer* Timer2 = nullptr;
    qint16 intTemp = 0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_keepHidden = false;
};

// Loads the splash window and shows it unless its load chose to stay unseen.
void startProgram();

// What ApplySkin does without a skin: loads the splash window (which owns it) when it is not loaded,
// stops its timer at once, so that it never opens the main window a second time, and hides it.
void recoverSkin();

} // namespace main_window
