#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include "platform/FileWriter.h"
#include "platform/ProgramFolder.h"
#include "platform/VersionInfo.h"

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

QString desktopExecLine(const QStringList& arguments)
{
    // Inside double quotes the characters " ` $ \ take a backslash; a literal % is written %%.
    // The string escapes apply on top of that quoting.
    QStringList quotedArguments;
    for (const QString& argument : arguments) {
        QString quoted = QStringLiteral("\"");
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
            if (c == QLatin1Char('%'))
                quoted += QLatin1Char('%');
        }
        quotedArguments << quoted + QLatin1Char('"');
    }
    return escapeString(quotedArguments.join(QLatin1Char(' ')));
}

QStringList autostartCommand(const QString& program)
{
    const QString folder = ProgramFolder::path();
    if (folder == ProgramFolder::defaultPath())
        return {program};
    return {QStringLiteral("env"), QStringLiteral("QUILLBACK_HOME=") + folder, program};
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
    // The desktop's list of startup programs shows the product, not the entry's file name.
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=")
        + escapeString(QString::fromUtf8(version::ProductName)) + QStringLiteral("\nExec=")
        + desktopExecLine(autostartCommand(program)) + QStringLiteral("\nTerminal=false\n");
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
