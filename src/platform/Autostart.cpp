#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include "platform/FileWriter.h"

namespace platform
{
namespace
{
bool isUsableName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) && !name.contains(QLatin1Char('\n'))
        && !name.contains(QLatin1Char('\r'));
}

// The escapes of a desktop entry's string values.
QString escapeString(const QString& text)
{
    QString result;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            result += QLatin1String("\\\\");
            break;
        case '\n':
            result += QLatin1String("\\n");
            break;
        case '\t':
            result += QLatin1String("\\t");
            break;
        case '\r':
            result += QLatin1String("\\r");
            break;
        default:
            result += c;
        }
    }
    return result;
}
} // namespace

QString autostartFolder()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config + QStringLiteral("/autostart"));
}

QString autostartEntryPath(const QString& name)
{
    return autostartFolder() + QLatin1Char('/') + name + QStringLiteral(".desktop");
}

QString desktopExecCommand(const QString& program)
{
    // Inside double quotes the characters " ` $ \ take a backslash; a literal % is written %%.
    // The string escapes apply on top of that quoting.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
    }
    quoted += QLatin1Char('"');
    return escapeString(quoted);
}

bool writeAutostartEntry(const QString& name, const QString& program)
{
    if (!isUsableName(name)) {
        qWarning().noquote() << QStringLiteral("The autostart entry name \"%1\" cannot be a file name").arg(name);
        return false;
    }
    const QString path = autostartEntryPath(name);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        qWarning().noquote() << QStringLiteral("The folder of %1 cannot be created").arg(path);
        return false;
    }
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + escapeString(name)
        + QStringLiteral("\nExec=") + desktopExecCommand(program) + QStringLiteral("\nTerminal=false\n");
    QString reason;
    if (!fileWriter().replaceFile(path, text.toUtf8(), reason)) {
        qWarning().noquote() << reason;
        return false;
    }
    return true;
}

bool removeAutostartEntry(const QString& name)
{
    if (!isUsableName(name))
        return true;
    const QString path = autostartEntryPath(name);
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.remove()) {
        qWarning().noquote() << QStringLiteral("%1 cannot be removed (%2)").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace platform
