#include <QApplication>
#include <QMainWindow>

#include "core/FileSystemHelpers.h"
#include "platform/VersionInfo.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(platform::version::ProductName));
    QApplication::setOrganizationName(QString::fromLatin1(platform::version::CompanyName));

    QMainWindow window;
    window.setObjectName(QStringLiteral("frmMain"));
    window.setWindowTitle(QStringLiteral("%1 %2.%3")
                              .arg(QString::fromLatin1(platform::version::ProductName))
                              .arg(platform::version::Major)
                              .arg(platform::version::Minor));
    window.resize(800, 500);
    window.show();
    const int exitCode = app.exec();
    core::ReleaseWorkFolder();
    return exitCode;
}
