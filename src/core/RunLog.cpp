#include "core/RunLog.h"

#include <QDateTime>
#include <QRegularExpression>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/FileAppend.h"
#include "platform/ProgramFolder.h"

namespace core
{
namespace
{
// "A:\" or "A:/" standing on its own, in any case: a path on the floppy drive.
bool namesFloppyDrive(const QString& text)
{
    static const QRegularExpression floppy(QStringLiteral("(?<![\\p{L}\\p{N}])[Aa]:[\\\\/]"));
    return text.contains(floppy);
}

QString twoDigits(int number)
{
    return QString::number(number).rightJustified(2, QLatin1Char('0'));
}

QString lineStamp(const QDateTime& now)
{
    const QChar dateSep = platform::DateText::dateSeparator();
    const QChar timeSep = platform::DateText::timeSeparator();
    const QDate date = now.date();
    const QTime time = now.time();
    return twoDigits(date.day()) + dateSep + twoDigits(date.month()) + dateSep
        + QString::number(date.year()).rightJustified(4, QLatin1Char('0')) + QLatin1Char(' ') + twoDigits(time.hour())
        + timeSep + twoDigits(time.minute()) + timeSep + twoDigits(time.second());
}
} // namespace

QString RunLogPath()
{
    return platform::ProgramFolder::file(QStringLiteral("status.log"));
}

QString RemoveChars(const QString& strText)
{
    QString text = strText;
    text.remove(QChar(0));
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

void LogEvent(const QString& strData)
{
    if (!state().LoggingEnabled || namesFloppyDrive(strData))
        return;

    const QString line
        = lineStamp(platform::clock().now()) + QLatin1Char(' ') + RemoveChars(strData) + QStringLiteral("\r\n");
    const QByteArray bytes = line.toUtf8();

    // Created owner-only: runs log server and user names.
    const platform::Appended appended = platform::appendToFile(RunLogPath(), bytes, 0600);
    if (appended != platform::Appended::Done) {
        const bool denied = appended == platform::Appended::NotOpened;
        reportFailure(QStringLiteral("modGeneral.LogEvent(strData)"), {strData},
                      denied ? err::PermissionDenied : err::PathFileAccess,
                      denied ? QStringLiteral("Permission denied") : QStringLiteral("Path/File access error"));
    }
}

} // namespace core
