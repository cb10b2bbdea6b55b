#include "support/TestEnvironment.h"

#include <QLocale>

#include "core/ErrorReport.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/FileWriter.h"
#include "platform/Prompt.h"
#include "platform/Shell.h"
#include "platform/ShellFolders.h"
#include "platform/Tray.h"

namespace test
{

void StateResetListener::OnTestStart(const ::testing::TestInfo&)
{
    core::resetState();
    core::resetErrors();
    platform::setFileWriter(nullptr);
    core::setMainWindowServices(nullptr);
    platform::setClock(nullptr);
    platform::setPrompt(nullptr);
    platform::setShell(nullptr);
    platform::setFileDialogs(nullptr);
    platform::setTray(nullptr);
    platform::setShellNamespace(nullptr);
    platform::setServiceUnattended(false);
    platform::setUnattendedSink({});
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
}

} // namespace test
