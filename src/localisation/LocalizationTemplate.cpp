#include "localisation/LocalizationTemplate.h"

#include <QWidget>

#include "localisation/Languages.h"
#include "localisation/WindowCaptions.h"
#include "platform/FileWriter.h"
#include "platform/ProgramFolder.h"

namespace localisation
{

namespace
{
const char* const kDescription
    = "<DESCRIPTION>This file contains various translations of program buttons, messages and menus in XML "
      "format.  The original document was created using translation software, and may sound strange when read "
      "by people.  We invite you to make modifications to existing languages and translate new languages.  "
      "Please send them to us so that we can update this file and make your translation available to all "
      "users.  Our current email address is located on our homepage which can be visited through the software "
      "or our program folder on your Start Menu.  Before making changes to a localization file please use the "
      "program to download the most recent localization file using the 'Check for Language Updates' button in "
      "the Languages window.</DESCRIPTION>";

QString itemLine(const QString& key, const QString& text)
{
    const QString upper = key.toUpper();
    return QStringLiteral("\t\t<%1>%2</%1>\r\n").arg(upper, text);
}
} // namespace

QByteArray localizationTemplate(const QList<QWidget*>& windows)
{
    QString text;
    text += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
    text += QStringLiteral("<XML_DIZ_INFO>\r\n");
    text += QStringLiteral("\t<LOCALIZATION_FILE_INFO>\r\n");
    text += QStringLiteral("\t\t<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>\r\n");
    text += QStringLiteral("\t</LOCALIZATION_FILE_INFO>\r\n");
    text += QStringLiteral("<LANGUAGE_GROUP xml:lang=\"en\">\r\n");
    text += QStringLiteral("\t<LANGUAGE_NAME>English</LANGUAGE_NAME>\r\n");
    text += QLatin1Char('\t') + QLatin1String(kDescription) + QStringLiteral("\r\n");
    text += QStringLiteral("\t<TRANSLATION_ITEMS>\r\n");
    for (QWidget* window : windows) {
        if (!window)
            continue;
        for (const CaptionSlot& slot : captionSlots(window))
            text += itemLine(slot.key(window->objectName()), slot.text());
    }
    for (const LanguageMessage& message : Languages().messages())
        text += itemLine(message.Name, message.Text);
    text += QStringLiteral("\t</TRANSLATION_ITEMS>\r\n");
    text += QStringLiteral("</LANGUAGE_GROUP>\r\n");
    text += QStringLiteral("</XML_DIZ_INFO>\r\n");
    return text.toUtf8();
}

QString makeLocalizationFile(const QList<QWidget*>& windows)
{
    QString reason;
    if (!platform::fileWriter().replaceFile(platform::ProgramFolder::file(QLatin1String(TemplateFileName)),
                                            localizationTemplate(windows), reason))
        return QStringLiteral("The template cannot be written: ") + reason;
    return {};
}

} // namespace localisation
