#include "core/BackupSet.h"

#include <algorithm>

#include <QFile>
#include <QStringList>

namespace core
{

std::optional<QString> setNameError(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("The set name is empty.");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("The set name \"%1\" is not a file name.").arg(name);
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return QStringLiteral("The set name \"%1\" contains a slash or backslash.").arg(name);
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("The set name contains a control character.");
    }
    if (QFile::encodeName(name).size() > MaxSetNameBytes)
        return QStringLiteral("The set name \"%1\" is too long for a file name: it takes %2 bytes, and at most %3 fit.")
            .arg(name)
            .arg(QFile::encodeName(name).size())
            .arg(MaxSetNameBytes);
    return std::nullopt;
}

std::optional<QString> archiveNameError(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("The set names no file for its archive.");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name == QLatin1String(".")
        || name == QLatin1String(".."))
        return QStringLiteral("The archive name \"%1\" is not a plain file name: it must not hold \"/\" or \"\\\" "
                              "or be \".\" or \"..\".")
            .arg(name);
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("The archive name contains a control character.");
    }
    if (name.contains(QLatin1Char('|')))
        return QStringLiteral("The archive name \"%1\" must not hold \"|\": the set's versions are recorded in "
                              "\"|\"-separated lines.")
            .arg(name);
    return std::nullopt;
}

std::optional<QString> setPasswordError(const QString& password)
{
    if (password.contains(QLatin1Char('|')))
        return QStringLiteral("The password must not hold \"|\": the set's versions are recorded in "
                              "\"|\"-separated lines.");
    return std::nullopt;
}

QString nextLocation(const BackupSetInfo& set)
{
    if (set.RotationType == RotationMode::EveryDestination) {
        // Every destination receives each run: list the kinds in the order they first appear.
        static const QString kinds[] = {QStringLiteral("LAN"), QStringLiteral("FTP"), QStringLiteral("Email")};
        QStringList listed;
        for (int j = 1; j <= std::min(set.DestCount, MaxDestinations); ++j) {
            const int type = storedCode(set.Dest.at(static_cast<size_t>(j)).Type);
            if (type >= 1 && type <= 3 && !listed.contains(kinds[type - 1]))
                listed << kinds[type - 1];
        }
        return QStringLiteral("All (") + listed.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    static const QString kinds[] = {QStringLiteral("Local/LAN"), QStringLiteral("FTP"), QStringLiteral("Email")};
    const int n = set.CurrentDestination;
    if (n < 1 || n > set.DestCount || n > MaxDestinations)
        return QString();
    const int type = storedCode(set.Dest.at(static_cast<size_t>(n)).Type);
    return type >= 1 && type <= 3 ? kinds[type - 1] : QString();
}

} // namespace core
