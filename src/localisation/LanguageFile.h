#pragma once

#include <optional>

#include <QHash>
#include <QString>
#include <QStringList>

namespace localisation
{

// The language file "Localization.xml" in the program folder. It is not read as XML: the reader
// searches plain text for its tags, ignoring letter case, and ignores everything around them:
//
//   <LANGUAGE_GROUP xml:lang="de">
//       <LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>
//       <TRANSLATION_ITEMS>
//           <FRMMAIN_CMDBACKUP>&Sichern</FRMMAIN_CMDBACKUP>
//       </TRANSLATION_ITEMS>
//   </LANGUAGE_GROUP>
//
// The file comes from users and downloads, so every reader here takes any text: a malformed group
// ends the scan and nothing in it can loop or crash.
inline constexpr const char* LanguageFileName = "Localization.xml";
// Larger than any real language file: such a file is not read, nor downloaded.
inline constexpr qint64 MaxLanguageFileBytes = 32 * 1024 * 1024;

// The whole language file as UTF-8 text; nullopt when it is missing, unreadable or larger than any
// real language file (the reason goes to the warning log).
std::optional<QString> readLanguageFile();

// The names of the groups in file order, doubles kept, up to the first group that lacks its closing
// tag or its name tags.
QStringList languageNames(const QString& fileText);

// The item lines of the first group named `language` (names compared after upper-casing both, not
// trimmed), cut at every line break. Nullopt when the file has no such group before the first group
// that lacks its closing tag or its name tags, or when the group lacks its item tags.
std::optional<QStringList> languageItems(const QString& fileText, const QString& language);

// The translations of one language, found by key ignoring case. Each item line is
// "<KEY>text</KEY>", optionally indented; the first line of a key decides, even when its text is
// empty or its closing tag is missing (then the key has no translation).
class TranslationTable
{
public:
    TranslationTable() = default;
    explicit TranslationTable(const QStringList& itemLines);

    // The text for `key` with the brand placeholders replaced and its first letter a capital;
    // empty when the key has no translation.
    QString lookup(const QString& key) const;

private:
    QHash<QString, QString> m_texts;
};

// The text with its first character upper-cased, as every text handed out by key.
QString withCapital(QString text);

} // namespace localisation
