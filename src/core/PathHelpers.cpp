#include "core/PathHelpers.h"

#include <QStringList>

namespace core
{
namespace
{
// Position of the separator that splits off the last part: the last "/", else the last "\".
qsizetype lastSeparator(const QString& text)
{
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    return slash >= 0 ? slash : text.lastIndexOf(QLatin1Char('\\'));
}

QString beforeNull(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}
} // namespace

QString Basedir(const QString& FullName)
{
    const qsizetype at = lastSeparator(FullName);
    if (at < 0)
        return QString();
    // The root keeps its separator, so that the folder of "/x" is still a folder.
    if (at == 0 && FullName.startsWith(QLatin1Char('/')))
        return QStringLiteral("/");
    return FullName.left(at);
}

QString Basename(const QString& FullName)
{
    return FullName.mid(lastSeparator(FullName) + 1);
}

std::optional<QString> ParentFolder(const QString& path)
{
    const qsizetype at = path.lastIndexOf(QLatin1Char('/'));
    if (at < 0)
        return std::nullopt;
    if (at == 0)
        return QStringLiteral("/");
    return path.left(at);
}

QString LastPathPart(QString& path)
{
    path = FileNameOf(path);
    return path;
}

QString ParentSlashPath(const QString& path)
{
    if (!path.contains(QLatin1Char('/')))
        return QStringLiteral("/");
    const QStringList parts = path.split(QLatin1Char('/'));
    QString result;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i)
        result += QLatin1Char('/') + parts.at(i);
    return result;
}

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString StripNulls(QString& strItem)
{
    strItem = beforeNull(strItem);
    return strItem;
}

QString TrimNull(const QString& S)
{
    return beforeNull(S);
}

QString JoinPath(QString folder, const QString& relative)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder.endsWith(QLatin1Char('/')) ? folder + relative : folder + QLatin1Char('/') + relative;
}

} // namespace core
