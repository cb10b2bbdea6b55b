#include "core/TimestampFormat.h"

#include <QLocale>
#include <QStringList>

namespace core
{
namespace
{
QString padded(int value, int width)
{
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

qsizetype runLength(const QString& pattern, qsizetype at)
{
    qsizetype end = at;
    while (end < pattern.size() && pattern.at(end) == pattern.at(at))
        ++end;
    return end - at;
}
} // namespace

QString formatTimestamp(const QDateTime& when, const QString& pattern)
{
    const QLocale locale;
    const QDate date = when.date();
    const QTime time = when.time();
    QString text;
    // "m" after an hour means minutes until another field comes.
    bool afterHour = false;
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern.at(i);
        const qsizetype run = runLength(pattern, i);
        qsizetype used = 0;
        bool hour = false;
        if (c == QLatin1Char('d')) {
            used = std::min<qsizetype>(run, 4);
            if (used <= 2)
                text += padded(date.day(), int(used));
            else
                text += locale.dayName(date.dayOfWeek(), used == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        } else if (c == QLatin1Char('m')) {
            used = std::min<qsizetype>(run, 4);
            if (used <= 2 && afterHour)
                text += padded(time.minute(), int(used));
            else if (used <= 2)
                text += padded(date.month(), int(used));
            else
                text += locale.monthName(date.month(), used == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        } else if (c == QLatin1Char('y') && run >= 2) {
            used = run >= 4 ? 4 : 2;
            text += used == 4 ? padded(date.year(), 4) : padded(date.year() % 100, 2);
        } else if (c == QLatin1Char('h')) {
            used = std::min<qsizetype>(run, 2);
            text += padded(time.hour(), int(used));
            hour = true;
        } else if (c == QLatin1Char('n')) {
            used = std::min<qsizetype>(run, 2);
            text += padded(time.minute(), int(used));
        } else if (c == QLatin1Char('s')) {
            used = std::min<qsizetype>(run, 2);
            text += padded(time.second(), int(used));
        } else {
            text += c;
            i += 1;
            continue;
        }
        afterHour = hour;
        i += used;
    }
    return text;
}

QString timestampText(int accuracy, const QString& pattern, const QDateTime& when)
{
    switch (accuracy) {
    case 0:
    case 1:
        return formatTimestamp(when, pattern);
    case 2:
    case 3: {
        const qsizetype hash = pattern.indexOf(QLatin1Char('#'));
        if (hash < 0)
            return formatTimestamp(when, pattern);
        return formatTimestamp(when, pattern.left(hash)) + formatTimestamp(when, pattern.mid(hash + 1));
    }
    default:
        return QString();
    }
}

std::optional<QString> timestampFolderName(const BackupSetInfo& set, const QDateTime& now, QString* reason)
{
    if (set.Accurancy < 0 || set.Accurancy > 3)
        return QString();
    const QString name = timestampText(set.Accurancy, set.TimeStampFormat, now) + QLatin1Char(' ') + set.ItemName;
    if (name.split(QLatin1Char('/')).contains(QStringLiteral(".."))) {
        if (reason)
            *reason = QStringLiteral("The time-stamp pattern \"%1\" gives the folder name \"%2\", which leaves the "
                                     "destination folder.")
                          .arg(set.TimeStampFormat, name);
        return std::nullopt;
    }
    return name;
}

} // namespace core
