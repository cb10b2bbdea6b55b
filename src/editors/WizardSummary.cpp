#include "editors/WizardSummary.h"

#include <QStringList>

namespace editors
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");
// Later destinations stand under the first one, behind the fifteen characters of the label.
const QString LocationIndent = QString(15, QLatin1Char(' '));

QString destinationText(const core::DestinationInfo& dest)
{
    switch (dest.Type) {
    case core::DestinationType::Folder:
        return QStringLiteral("Local/LAN (") + dest.LocalFolder + QLatin1Char(')');
    case core::DestinationType::Ftp:
        return QStringLiteral("FTP (") + dest.FTPHost + QLatin1Char(')');
    case core::DestinationType::Email:
        return QStringLiteral("Email (") + dest.EmailID + QLatin1Char(')');
    default:
        return {};
    }
}

QString compressionText(int compression)
{
    switch (compression) {
    case 0:
        return QStringLiteral("None");
    case 1:
        return QStringLiteral("Single ZIP Archive");
    case 2:
        return QStringLiteral("Many ZIP Archives");
    default:
        return {};
    }
}
} // namespace

QString wizardSummary(const core::BackupSetInfo& set)
{
    QStringList locations;
    for (int slot = 1; slot <= std::min(set.DestCount, core::MaxDestinations); ++slot) {
        const QString text = destinationText(set.Dest.at(static_cast<size_t>(slot)));
        if (!text.isEmpty())
            locations << text;
    }
    QString text = QStringLiteral("Properties of the new item:") + CrLf;
    text += QStringLiteral("  Item Name:   ") + set.ItemName + CrLf;
    text += QStringLiteral("  Item Type:   ")
        + (set.ItemType == 0 ? QStringLiteral("Backup") : QStringLiteral("Restore")) + CrLf;
    text += QStringLiteral("  Location:    ") + locations.join(CrLf + LocationIndent) + CrLf;
    text += QStringLiteral("  Backup Type: ")
        + (set.BackupType != 0 ? QStringLiteral("Incremental backup") : QStringLiteral("Full backup")) + CrLf;
    text += QStringLiteral("  Compression: ") + compressionText(core::storedCode(set.Compression)) + CrLf;
    if (set.ProtectData != core::ProtectionMode::None)
        text += QStringLiteral("  Encryption:  Blowfish") + CrLf;
    return text;
}

} // namespace editors
