#include "platform/MirrorPath.h"

#include <QRegularExpression>
#include <QStringList>

namespace platform
{

std::optional<QString> mirrorRelativePath(const QString& sourcePath)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    QString path = sourcePath;
    if (path.contains(QChar(0)))
        return std::nullopt;

    // A stored Windows form: backslashes separate, and the drive or UNC prefix goes.
    const bool windowsForm = drive.match(path).hasMatch() || path.startsWith(QLatin1String("\\\\"));
    if (windowsForm) {
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        path.remove(drive);
    }

    QStringList kept;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return std::nullopt;
        if (part == QLatin1String("."))
            continue;
        kept << part;
    }
    if (kept.isEmpty())
        return std::nullopt;
    return kept.join(QLatin1Char('/'));
}

} // namespace platform
