#include "core/WildcardMatch.h"

#include <optional>
#include <vector>

#include <QRegularExpression>

namespace core
{
namespace
{
struct Token
{
    enum Kind
    {
        Literal,
        AnyOne,
        Digit,
        AnyRun,
        List
    };
    Kind kind = Literal;
    QChar literal;
    // For List: inclusive ranges, and whether the list is negated.
    std::vector<std::pair<QChar, QChar>> ranges;
    bool negated = false;

    bool matches(QChar c) const
    {
        switch (kind) {
        case Literal:
            return c == literal;
        case AnyOne:
            return true;
        case Digit:
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        case List: {
            bool inList = false;
            for (const auto& [low, high] : ranges) {
                if (c >= low && c <= high) {
                    inList = true;
                    break;
                }
            }
            return inList != negated;
        }
        case AnyRun:
            break;
        }
        return false;
    }
};

std::optional<std::vector<Token>> tokens(QStringView pattern)
{
    std::vector<Token> result;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        Token token;
        if (c == QLatin1Char('*')) {
            token.kind = Token::AnyRun;
        } else if (c == QLatin1Char('?')) {
            token.kind = Token::AnyOne;
        } else if (c == QLatin1Char('#')) {
            token.kind = Token::Digit;
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = pattern.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                return std::nullopt;
            QStringView list = pattern.mid(i + 1, close - i - 1);
            i = close;
            // "[]" stands for nothing at all.
            if (list.isEmpty())
                continue;
            token.kind = Token::List;
            if (list.startsWith(QLatin1Char('!'))) {
                token.negated = true;
                list = list.mid(1);
            }
            for (qsizetype k = 0; k < list.size(); ++k) {
                const QChar low = list.at(k);
                if (k + 2 < list.size() && list.at(k + 1) == QLatin1Char('-')) {
                    token.ranges.emplace_back(low, list.at(k + 2));
                    k += 2;
                } else {
                    token.ranges.emplace_back(low, low);
                }
            }
        } else {
            token.literal = c;
        }
        result.push_back(std::move(token));
    }
    return result;
}
} // namespace

bool likeMatch(QStringView text, QStringView pattern)
{
    const std::optional<std::vector<Token>> parsed = tokens(pattern);
    if (!parsed)
        return false;
    const std::vector<Token>& pat = *parsed;

    // Greedy match that falls back to the last "*" seen.
    size_t p = 0;
    qsizetype t = 0;
    std::optional<size_t> starToken;
    qsizetype starText = 0;
    while (t < text.size()) {
        if (p < pat.size() && pat[p].kind == Token::AnyRun) {
            starToken = p++;
            starText = t;
        } else if (p < pat.size() && pat[p].matches(text.at(t))) {
            ++p;
            ++t;
        } else if (starToken) {
            p = *starToken + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p].kind == Token::AnyRun)
        ++p;
    return p == pat.size();
}

QStringList excludeMasks(const QString& exclude)
{
    if (exclude.isEmpty())
        return {};
    // The sources page asks for commas; older sets and the include masks use semicolons too.
    static const QRegularExpression separators(QStringLiteral("[,;]"));
    QStringList masks = exclude.split(separators);
    for (QString& mask : masks)
        mask = mask.trimmed();
    return masks;
}

bool isExcludedPath(QStringView path, const QStringList& masks)
{
    for (const QString& mask : masks) {
        if (likeMatch(path, mask))
            return true;
    }
    return false;
}

bool isExcluded(QStringView line, const QStringList& masks)
{
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    return isExcludedPath(tab < 0 ? line : line.left(tab), masks);
}

} // namespace core
