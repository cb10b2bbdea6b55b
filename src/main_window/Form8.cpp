#include "main_window/Form8.h"

#include "core/FileSystemHelpers.h"
#include "core/Settings.h"
#include "platform/EventLoop.h"
#include "platform/Form.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"

namespace main_window
{

Form8::Form8()
{
    setObjectName(QStringLiteral("Form8"));
}

void Form8::Form_Load()
{
    resize(0, 0);
    hide();
    const QString helpFile = platform::ProgramFolder::file(QStringLiteral("Help.chm"));
    if (!core::FileExists(helpFile))
        return;
    // Whether the desktop could open it is not looked at.
    platform::shell().open(helpFile, QString());
    core::WritePreference(QStringLiteral("showHelp"), QStringLiteral("0"));
}

void Form8::helpCycle()
{
    platform::Form<Form8>::load();
    platform::doEvents();
    platform::Form<Form8>::unload();
}

} // namespace main_window
