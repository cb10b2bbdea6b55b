#include "core/DocumentValues.h"

#include <cmath>
#include <limits>

#include <QLocale>

namespace core
{
namespace
{
std::optional<int> roundedToInt(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    double rounded = std::round(value);
    // Halves go to the even neighbour, as the documents' writers expect when they read them back.
    if (std::fabs(value - std::trunc(value)) == 0.5)
        rounded = 2.0 * std::round(value / 2.0);
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(rounded);
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}
} // namespace

std::optional<int> leadingNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && isBlank(text.at(i)))
        ++i;
    const qsizetype start = i;
    if (i < size && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < size && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < size && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < size && text.at(i).isDigit() && text.at(i).unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    qsizetype end = i;
    if (i < size && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        qsizetype e = i + 1;
        if (e < size && (text.at(e) == QLatin1Char('+') || text.at(e) == QLatin1Char('-')))
            ++e;
        const qsizetype exponentStart = e;
        while (e < size && text.at(e).isDigit() && text.at(e).unicode() < 128)
            ++e;
        if (e > exponentStart)
            end = e;
    }
    bool ok = false;
    const double value = QStringView(text).mid(start, end - start).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return roundedToInt(value);
}

std::optional<int> wholeNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        return std::nullopt;
    return roundedToInt(value);
}

std::optional<bool> truthValue(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        return std::nullopt;
    return value != 0.0;
}

} // namespace core
