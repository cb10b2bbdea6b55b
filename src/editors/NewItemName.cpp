#include "editors/NewItemName.h"

#include <QDir>

#include "core/DocumentValues.h"
#include "platform/ProgramFolder.h"

namespace editors
{
namespace
{
const QString BaseName = QStringLiteral("New Item");
const QString Extension = QStringLiteral(".sbd");
} // namespace

QString proposeNewItemName(const QStringList& documentNames)
{
    qint64 highest = 0;
    for (const QString& name : documentNames) {
        if (!name.startsWith(BaseName) || !name.endsWith(Extension))
            continue;
        if (name == BaseName + Extension) {
            highest = std::max<qint64>(highest, 1);
            continue;
        }
        const QString suffix = name.mid(BaseName.size(), name.size() - BaseName.size() - Extension.size());
        // A blank may stand between the name and the number: "New Item 3" as well as "New Item3".
        if (const auto number = core::wholeNumber(suffix); number && *number > highest)
            highest = *number;
    }
    return highest > 0 ? BaseName + QLatin1Char(' ') + QString::number(highest + 1) : BaseName;
}

QString proposeNewItemName()
{
    const QDir data(platform::ProgramFolder::file(QStringLiteral("data")));
    const QStringList names = data.entryList({BaseName + QStringLiteral("*") + Extension},
                                             QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    return proposeNewItemName(names);
}

QString defaultArchiveName(const QString& itemName)
{
    return QString(itemName).replace(QLatin1Char(' '), QLatin1Char('_')) + QStringLiteral(".zip");
}

} // namespace editors
