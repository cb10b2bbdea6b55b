#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace localisation
{

inline constexpr const char* TemplateFileName = "Localization.txt";

// The English template for translators: one language group holding an item line for every caption
// of `windows`, in their order, and one for every message slot of the table.
QByteArray localizationTemplate(const QList<QWidget*>& windows);

// Writes the template as Localization.txt in the program folder, through a temporary file, so a run
// leaves one whole template or the old file. Empty on success, otherwise the reason.
QString makeLocalizationFile(const QList<QWidget*>& windows);

} // namespace localisation
