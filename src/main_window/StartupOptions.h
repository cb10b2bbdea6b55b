#pragma once

#include <QString>
#include <QStringList>

namespace main_window
{

// The switch the service unit starts the program with, and the switch of a hidden desktop start.
// Each is compared with the whole command line, exactly.
inline constexpr const char* ServiceSwitch = "/s";
inline constexpr const char* SilentSwitch = "/silent";

// The whole command line: the arguments after the program's path, joined by blanks.
QString wholeCommandLine(const QStringList& arguments);

// The command line the program was started with ("" until the start sets it).
const QString& commandLine();
void setCommandLine(const QString& line);

enum class ServiceDecision
{
    // An ordinary start on the desktop.
    Desktop,
    // Installed as a service but started by hand: tell the user and end.
    ServiceNotice,
    // Started by the service unit: run hidden in service mode.
    ServiceMode,
};

// From the platform's support for services, the service host's "Active" setting and the command line.
ServiceDecision decideService(bool serviceCapable, const QString& active, const QString& commandLine);

// The notice shown when the program is installed as a service and started by hand.
QString serviceNoticeText(const QString& programName);

// The set list's column widths are kept in twips, 15 to a pixel.
inline constexpr int DefaultColumnWidthTwips = 2500;
inline constexpr int TwipsPerPixel = 15;

// The stored width of a column: a number rounded to the nearest whole (a half to the even one). A
// text that is not a number, or one outside 0 to 32767, gives the default width.
int columnWidthTwips(const QString& stored);
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

} // namespace main_window
