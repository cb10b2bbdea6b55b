#include "core/BackupSet.h"

#include <QFile>

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

} // namespace core
