#include "core/TimestampFormat.h"

#include <vector>

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

// One field or character of a pattern, as formatTimestamp writes it: digits, one of some names, or
// the character itself.
struct StampPiece
{
    int fewestDigits = 0;
    int mostDigits = 0;
    QStringList names;
    QChar literal;
};

// The pieces of a pattern, taken as formatTimestamp takes them.
std::vector<StampPiece> stampPieces(const QString& pattern)
{
    const QLocale locale;
    std::vector<StampPiece> pieces;
    const auto digits = [&pieces](qsizetype width, int widest) {
        StampPiece piece;
        piece.fewestDigits = width == 1 ? 1 : int(width);
        piece.mostDigits = width == 1 ? widest : int(width);
        pieces.push_back(piece);
    };
    const auto names = [&pieces](QStringList list) {
        StampPiece piece;
        piece.names = std::move(list);
        pieces.push_back(piece);
    };
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern.at(i);
        const qsizetype run = runLength(pattern, i);
        qsizetype used = std::min<qsizetype>(run, 2);
        if (c == QLatin1Char('d') || c == QLatin1Char('m')) {
            used = std::min<qsizetype>(run, 4);
            if (used <= 2) {
                digits(used, 2);
            } else {
                const QLocale::FormatType form = used == 3 ? QLocale::ShortFormat : QLocale::LongFormat;
                QStringList list;
                for (int n = 1; n <= (c == QLatin1Char('d') ? 7 : 12); ++n)
                    list << (c == QLatin1Char('d') ? locale.dayName(n, form) : locale.monthName(n, form));
                names(list);
            }
        } else if (c == QLatin1Char('y') && run >= 2) {
            used = run >= 4 ? 4 : 2;
            digits(used, int(used));
        } else if (c == QLatin1Char('h') || c == QLatin1Char('n') || c == QLatin1Char('s')) {
            digits(used, 2);
        } else {
            StampPiece piece;
            piece.literal = c;
            pieces.push_back(piece);
            used = 1;
        }
        i += used;
    }
    return pieces;
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

bool isTimestampFolderName(const QString& name, const BackupSetInfo& set, bool slashesDropped)
{
    const QString suffix = QLatin1Char(' ') + set.ItemName;
    if (set.Accurancy < 0 || set.Accurancy > 3 || !name.endsWith(suffix))
        return false;
    const QString stamp = name.chopped(suffix.size());
    const qsizetype hash = set.TimeStampFormat.indexOf(QLatin1Char('#'));
    std::vector<StampPiece> pieces;
    if (set.Accurancy >= 2 && hash >= 0) {
        pieces = stampPieces(set.TimeStampFormat.left(hash));
        const std::vector<StampPiece> time = stampPieces(set.TimeStampFormat.mid(hash + 1));
        pieces.insert(pieces.end(), time.begin(), time.end());
    } else {
        pieces = stampPieces(set.TimeStampFormat);
    }

    // The positions of the stamp each piece can end at, piece by piece: one pass per piece, whatever
    // the stamp holds.
    std::vector<char> reach(stamp.size() + 1, 0);
    reach[0] = 1;
    for (const StampPiece& piece : pieces) {
        std::vector<char> next(stamp.size() + 1, 0);
        for (qsizetype at = 0; at <= stamp.size(); ++at) {
            if (!reach[at])
                continue;
            if (piece.mostDigits > 0) {
                qsizetype end = at;
                while (end < stamp.size() && end - at < piece.mostDigits && stamp.at(end) >= QLatin1Char('0')
                       && stamp.at(end) <= QLatin1Char('9')) {
                    ++end;
                    if (end - at >= piece.fewestDigits)
                        next[end] = 1;
                }
            } else if (!piece.names.isEmpty()) {
                for (const QString& word : piece.names) {
                    if (!word.isEmpty() && QStringView(stamp).sliced(at).startsWith(word))
                        next[at + word.size()] = 1;
                }
            } else if (slashesDropped && piece.literal == QLatin1Char('/')) {
                next[at] = 1;
            } else if (at < stamp.size() && stamp.at(at) == piece.literal) {
                next[at + 1] = 1;
            }
        }
        reach = std::move(next);
    }
    return reach[stamp.size()] != 0;
}

} // namespace core
