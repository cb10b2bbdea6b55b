#pragma once

#include <QList>
#include <QString>

#include "localisation/LanguageFile.h"

class QWidget;

namespace localisation
{

// One message of the table, fetched by its MSG_ key.
struct LanguageMessage
{
    // The key as registered.
    QString Name;
    // The text messages are shown with now.
    QString Text;
    // The text as registered; a language that lacks the key shows it again.
    QString BuiltInText;
};

// The message table and the window translator; the program has one, Languages().
//
// Windows fetch their messages by key at the moment they show them, and every window translates its
// captions when it loads (see WindowCaptions.h for how controls are found). Each translation first
// brings back the registered texts and the captions the window was built with, so a text that the
// chosen language lacks never keeps the text of the language chosen before. A caption that the
// program itself has changed since it was last translated is left as the program set it, unless
// the language has a text for it.
class clsLanguages
{
public:
    // Adds a message. There is no test for doubles: a key registered twice takes two slots, both
    // are translated, and getMessages finds the first.
    void setMessage(const QString& name, const QString& text);
    // The current text of the first message named `name` (ignoring case) with its first letter a
    // capital; empty when there is none. Brand placeholders are not replaced here.
    QString getMessages(const QString& name) const;
    // Reads the language file and translates the window's captions and every message into
    // `language`; a language the file lacks (or whose items stand on one line) falls back to English,
    // and without the file every text is English. Sets CurrentLanguage(). Reports nothing.
    void ChangeLanguage(QWidget* window, const QString& language);

    // Every message slot in the order of registration.
    const QList<LanguageMessage>& messages() const { return m_messages; }

private:
    QString LookupTranslation(const QString& key) const;
    void LoadLanguage(const QString& name);
    void translateWindow(QWidget& window) const;
    void translateMessages();

    QList<LanguageMessage> m_messages;
    TranslationTable m_items;
};

// The program's one message table and translator.
clsLanguages& Languages();

// The text of a message of the one table, by its MSG_ key.
QString message(const char* key);

// The name of the language asked for last, or "English" after a fall-back; "English" at start.
const QString& CurrentLanguage();
void setCurrentLanguage(const QString& language);

// Starts again with an empty table and "English" (tests).
void resetLanguages();

} // namespace localisation
