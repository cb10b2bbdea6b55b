#include <QApplication>

#include "core/WorkFolder.h"
#include "main_window/ProgramStart.h"
#include "platform/InstanceLock.h"
#include "platform/VersionInfo.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(platform::version::ProductName));
    QApplication::setOrganizationName(QString::fromLatin1(platform::version::CompanyName));

    // A second start on the same program folder ends here, before anything can be seen.
    platform::InstanceLock instance;
    if (!instance.tryLock())
        return 0;

    const int exitCode = main_window::runProgram(app);
    core::ReleaseWorkFolder();
    return exitCode;
}
