#include "localisation/LanguageFile.h"

#include <QFile>
#include <QRegularExpression>

#include "localisation/Brand.h"
#include "platform/ProgramFolder.h"

namespace localisation
{
namespace
{
// Real language files hold a few hundred kilobytes per language.

// How an element of the file starts and ends; the group's opening tag carries attributes.
struct Tag
{
    QString open;
    QString close;
};
const Tag Group {QStringLiteral("<LANGUAGE_GROUP"), QStringLiteral("</LANGUAGE_GROUP>")};
const Tag Name {QStringLiteral("<LANGUAGE_NAME>"), QStringLiteral("</LANGUAGE_NAME>")};
const Tag Items {QStringLiteral("<TRANSLATION_ITEMS>"), QStringLiteral("</TRANSLATION_ITEMS>")};

// The text between the first `open` of `text` and the first `close` after it.
std::optional<QString> between(QStringView text, QStringView open, QStringView close)
{
    const qsizetype openAt = text.indexOf(open, 0, Qt::CaseInsensitive);
    if (openAt < 0)
        return std::nullopt;
    const qsizetype from = openAt + open.size();
    const qsizetype closeAt = text.indexOf(close, from, Qt::CaseInsensitive);
    if (closeAt < 0)
        return std::nullopt;
    return text.mid(from, closeAt - from).toString();
}

// The text of an item line whose key is `key`: from its opening tag to its closing tag.
QString itemText(const QString& line, const QString& key)
{
    return between(line, QString(QLatin1Char('<') + key + QLatin1Char('>')),
                   QString(QLatin1String("</") + key + QLatin1Char('>')))
        .value_or(QString());
}

// The key an item line names: the part before its first ">", without the indentation and the "<"
// when that part is longer than two characters.
QString itemKey(const QString& line)
{
    const qsizetype closeAt = line.indexOf(QLatin1Char('>'));
    QString head = closeAt < 0 ? line : line.left(closeAt);
    if (head.size() > 2)
        head = head.mid(head.indexOf(QLatin1Char('<')) + 1);
    return head;
}
} // namespace

std::optional<QString> readLanguageFile()
{
    const QString path = platform::ProgramFolder::file(QLatin1String(LanguageFileName));
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Language file %s cannot be read: %s", qUtf8Printable(path), qUtf8Printable(file.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = file.read(MaxLanguageFileBytes + 1);
    if (bytes.size() > MaxLanguageFileBytes) {
        qWarning("Language file %s is larger than %lld bytes and is ignored", qUtf8Printable(path),
                 static_cast<long long>(MaxLanguageFileBytes));
        return std::nullopt;
    }
    return QString::fromUtf8(bytes);
}

namespace
{
// Walks the groups in file order; `visit(name, group)` returns true to stop. The scan ends at the
// first group that lacks its closing tag or its name tags.
template <class Visit>
void scanGroups(const QString& fileText, Visit visit)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = fileText.indexOf(Group.open, from, Qt::CaseInsensitive);
        if (start < 0)
            return;
        const qsizetype end = fileText.indexOf(Group.close, start, Qt::CaseInsensitive);
        if (end < 0) {
            qWarning("Language file: a language group has no closing tag; the groups after it are ignored");
            return;
        }
        const QStringView group = QStringView(fileText).mid(start, end - start);
        const std::optional<QString> name = between(group, Name.open, Name.close);
        if (!name) {
            qWarning("Language file: a language group has no name; the groups after it are ignored");
            return;
        }
        if (visit(*name, group))
            return;
        from = end + Group.close.size();
    }
}
} // namespace

QStringList languageNames(const QString& fileText)
{
    QStringList names;
    scanGroups(fileText, [&names](const QString& name, QStringView) {
        names.append(name);
        return false;
    });
    return names;
}

std::optional<QStringList> languageItems(const QString& fileText, const QString& language)
{
    const QString wanted = language.toUpper();
    std::optional<QStringList> result;
    scanGroups(fileText, [&](const QString& name, QStringView group) {
        if (name.toUpper() != wanted)
            return false;
        const std::optional<QString> items = between(group, Items.open, Items.close);
        if (!items) {
            qWarning("Language file: the group %s has no translation items", qUtf8Printable(name));
            return true;
        }
        // Files written on this platform may end their lines with a bare line feed.
        static const QRegularExpression lineBreak(QStringLiteral("\r?\n"));
        result = items->split(lineBreak);
        return true;
    });
    return result;
}

TranslationTable::TranslationTable(const QStringList& itemLines)
{
    for (const QString& line : itemLines) {
        if (line.isEmpty())
            continue;
        const QString key = itemKey(line);
        if (key.isEmpty())
            continue;
        const QString upper = key.toUpper();
        if (!m_texts.contains(upper))
            m_texts.insert(upper, itemText(line, key));
    }
}

QString TranslationTable::lookup(const QString& key) const
{
    const QString text = m_texts.value(key.toUpper());
    if (text.isEmpty())
        return text;
    return withCapital(replaceBrandPlaceholders(text));
}

QString withCapital(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

} // namespace localisation
