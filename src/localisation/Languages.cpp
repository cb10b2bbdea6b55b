#include "localisation/Languages.h"

#include <QLabel>
#include <QVariant>
#include <QWidget>

#include "localisation/WindowCaptions.h"

namespace localisation
{
namespace
{
const QString English = QStringLiteral("English");

// What a control showed before its first translation, and the translation it shows now; the
// suffix keeps apart the tabs and headers of one control.
QByteArray designTextProperty(const CaptionSlot& slot)
{
    return "quillbackDesignText" + slot.suffix.toUtf8();
}

QByteArray shownTranslationProperty(const CaptionSlot& slot)
{
    return "quillbackTranslation" + slot.suffix.toUtf8();
}

const char* const DesignFormatProperty = "quillbackDesignFormat";

struct Localisation
{
    clsLanguages languages;
    QString currentLanguage = English;
};

Localisation& instance()
{
    static Localisation localisation;
    return localisation;
}
} // namespace

void clsLanguages::setMessage(const QString& name, const QString& text)
{
    m_messages.append(LanguageMessage {name, text, text});
}

QString clsLanguages::getMessages(const QString& name) const
{
    const QString wanted = name.toUpper();
    for (const LanguageMessage& message : m_messages) {
        if (message.Name.toUpper() == wanted)
            return withCapital(message.Text);
    }
    return QString();
}

void clsLanguages::ChangeLanguage(QWidget* window, const QString& language)
{
    LoadLanguage(language);
    if (window)
        translateWindow(*window);
    translateMessages();
}

QString clsLanguages::LookupTranslation(const QString& key) const
{
    return m_items.lookup(key);
}

void clsLanguages::LoadLanguage(const QString& name)
{
    setCurrentLanguage(name);
    const std::optional<QString> file = readLanguageFile();
    std::optional<QStringList> items = file ? languageItems(*file, name) : std::nullopt;
    if (!items || items->size() == 1) {
        setCurrentLanguage(English);
        if (file && name.toUpper() != English.toUpper()) {
            if (std::optional<QStringList> english = languageItems(*file, English))
                items = std::move(english);
        }
    }
    m_items = TranslationTable(items.value_or(QStringList()));
}

void clsLanguages::translateWindow(QWidget& window) const
{
    const QString windowName = window.objectName();
    for (const CaptionSlot& slot : captionSlots(&window)) {
        QObject* control = slot.control;
        auto* label = qobject_cast<QLabel*>(control);
        const QByteArray designProperty = designTextProperty(slot);
        const QByteArray shownProperty = shownTranslationProperty(slot);
        if (!control->property(designProperty).isValid()) {
            control->setProperty(designProperty, slot.text());
            if (label)
                control->setProperty(DesignFormatProperty, static_cast<int>(label->textFormat()));
        }

        const QString translation = LookupTranslation(slot.key(windowName));
        if (!translation.isEmpty()) {
            // Texts from the file are shown as they stand, never as markup.
            if (label)
                label->setTextFormat(Qt::PlainText);
            slot.setText(translation);
            control->setProperty(shownProperty, translation);
            continue;
        }

        const QVariant shown = control->property(shownProperty);
        if (!shown.isValid())
            continue;
        if (slot.text() == shown.toString()) {
            if (label)
                label->setTextFormat(static_cast<Qt::TextFormat>(control->property(DesignFormatProperty).toInt()));
            slot.setText(control->property(designProperty).toString());
        }
        control->setProperty(shownProperty, QVariant());
    }
}

void clsLanguages::translateMessages()
{
    for (LanguageMessage& message : m_messages) {
        const QString translation = LookupTranslation(message.Name);
        message.Text = translation.isEmpty() ? message.BuiltInText : translation;
    }
}

clsLanguages& Languages()
{
    return instance().languages;
}

const QString& CurrentLanguage()
{
    return instance().currentLanguage;
}

void setCurrentLanguage(const QString& language)
{
    instance().currentLanguage = language;
}

void resetLanguages()
{
    instance() = Localisation {};
}

QString message(const char* key)
{
    return Languages().getMessages(QLatin1String(key));
}

} // namespace localisation
