#include "main_window/ProgramStart.h"

#include <QApplication>

#include "localisation/Skin.h"
#include "main_window/StartupOptions.h"
#include "main_window/frmSplash.h"
#include "platform/Form.h"
#include "platform/ServiceHost.h"

namespace main_window
{

int runProgram(QApplication& app)
{
    // The program lives on in the tray when its last window closes.
    app.setQuitOnLastWindowClosed(false);
    setCommandLine(wholeCommandLine(app.arguments()));
    localisation::setSkinRecovery(recoverSkin);
    platform::serviceHost().installSignalHandlers();

    startProgram();
    const int exitCode = app.exec();

    platform::unloadAllWindows();
    platform::serviceHost().removeSignalHandlers();
    localisation::setSkinRecovery(nullptr);
    return exitCode;
}

} // namespace main_window
