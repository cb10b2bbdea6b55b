#include "main_window/StartupOptions.h"

#include <cmath>

namespace main_window
{
namespace
{
QString& storedCommandLine()
{
    static QString line;
    return line;
}
} // namespace

QString wholeCommandLine(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

const QString& commandLine()
{
    return storedCommandLine();
}

void setCommandLine(const QString& line)
{
    storedCommandLine() = line;
}

ServiceDecision decideService(bool serviceCapable, const QString& active, const QString& commandLine)
{
    if (!serviceCapable || active != QLatin1String("1"))
        return ServiceDecision::Desktop;
    return commandLine == QLatin1String(ServiceSwitch) ? ServiceDecision::ServiceMode : ServiceDecision::ServiceNotice;
}

QString serviceNoticeText(const QString& programName)
{
    return QStringLiteral("You are running ") + programName
        + QStringLiteral(" as a service. To run or stop the application, please use its systemd user unit "
                         "\"quillback.service\": \"systemctl --user start quillback\" or \"systemctl --user stop "
                         "quillback\".");
}

int columnWidthTwips(const QString& stored)
{
    bool ok = false;
    const double value = stored.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return DefaultColumnWidthTwips;
    // The default rounding mode takes a half to the even neighbour.
    const double whole = std::nearbyint(value);
    if (whole < 0 || whole > 32767)
        return DefaultColumnWidthTwips;
    return static_cast<int>(whole);
}

int twipsToPixels(int twips)
{
    return (twips + TwipsPerPixel / 2) / TwipsPerPixel;
}

int pixelsToTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}

} // namespace main_window
