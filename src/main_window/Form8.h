#pragma once

#include <QWidget>

namespace main_window
{

// The help window: a window of no size that opens the help file as it loads.
class Form8 : public QWidget
{
    Q_OBJECT

public:
    Form8();

    // Opens Help.chm from the program folder when it is there and records that help was shown.
    void Form_Load();

    // Loads the window (which opens the help), lets the events run once and unloads it.
    static void helpCycle();
};

} // namespace main_window
