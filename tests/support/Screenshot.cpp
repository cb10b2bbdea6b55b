#include "support/Screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace test
{

QString saveScreenshot(QWidget* window, const QString& name)
{
    if (window == nullptr)
        return {};
    QCoreApplication::processEvents();
    const QPixmap shot = window->grab();
    if (shot.isNull())
        return {};
    QString folder = qEnvironmentVariable("QUILLBACK_TEST_BINARY_DIR");
    if (folder.isEmpty())
        folder = QDir::currentPath();
    folder += QStringLiteral("/screenshots");
    if (!QDir().mkpath(folder))
        return {};
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    return shot.save(path, "PNG") ? path : QString();
}

} // namespace test
