#include "core/ShellHelpers.h"

#include <QSysInfo>

#include "core/Ask.h"
#include "platform/Prompt.h"

namespace core
{

QString ShowShellExecuteError(qint32 code, bool show)
{
    if (code > 32)
        return QString();
    QString text;
    switch (code) {
    case 2:
        text = QStringLiteral("File not found");
        break;
    case 3:
        text = QStringLiteral("Path not found");
        break;
    case 5:
        text = QStringLiteral("Access denied");
        break;
    case 8:
        text = QStringLiteral("Out of memory");
        break;
    case 11:
        text = QStringLiteral("Invalid EXE file or error in EXE image");
        break;
    case 26:
        text = QStringLiteral("A sharing violation occurred");
        break;
    case 27:
        text = QStringLiteral("Incomplete or invalid file association");
        break;
    case 28:
        text = QStringLiteral("DDE Time out");
        break;
    case 29:
        text = QStringLiteral("DDE transaction failed");
        break;
    case 30:
        text = QStringLiteral("DDE busy");
        break;
    case 31:
        text = QStringLiteral("No association for file extension");
        break;
    case 32:
        text = QStringLiteral("DLL not found");
        break;
    default:
        text = QStringLiteral("Unknown error");
        break;
    }
    if (show) {
        platform::Message message = programMessage(nullptr, text, platform::Icon::Critical);
        message.title = QStringLiteral("Error:");
        platform::prompt().show(message);
    }
    return text;
}

bool IsNTCompatible()
{
    return true;
}

QString SystemName()
{
    const QString name = QSysInfo::prettyProductName();
    return name.isEmpty() ? QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion() : name;
}

} // namespace core
