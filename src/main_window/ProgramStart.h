#pragma once

class QApplication;

namespace main_window
{

// Runs the program in the application: the splash window, the main window, the event loop until an
// exit, and the windows' end. The caller has made sure this is the only instance.
int runProgram(QApplication& app);

} // namespace main_window
