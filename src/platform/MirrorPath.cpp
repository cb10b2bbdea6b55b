#include "platform/MirrorPath.h"

#include <QRegularExpression>
#include <QStringList>

namespace platform
{
namespace
{
// A clean absolute path ("/a/b", no empty, "." or ".." part), as a run's file list holds them: it
// mirrors to itself without its leading "/". Spares a run the general rules below for every file.
bool isCleanAbsolute(const QString& path)
{
    if (path.size() < 2 || path.front() != QLatin1Char('/'))
        return false;
    qsizetype partStart = 1;
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size()) {
            const QChar c = path.at(i);
            if (c == QLatin1Char('\\') || c == QChar(0))
                return false;
            if (c != QLatin1Char('/'))
                continue;
        }
        const QStringView part = QStringView(path).sliced(partStart, i - partStart);
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
        partStart = i + 1;
    }
    return true;
}
} // namespace

std::optional<QString> mirrorRelativePath(const QString& sourcePath)
{
    if (isCleanAbsolute(sourcePath))
        return sourcePath.sliced(1);
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
