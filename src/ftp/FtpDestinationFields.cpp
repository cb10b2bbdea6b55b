#include "ftp/FtpDestinationFields.h"

#include <algorithm>

#include <QStringList>

#include "core/BackupSet.h"
#include "core/ScramblePassword.h"

namespace ftp
{
namespace
{
const QString RowSeparator = QStringLiteral("~!~");

bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control;
}

// The reason a stored text cannot hold `text`, or nothing.
std::optional<QString> storedTextError(const QString& text)
{
    if (text.contains(RowSeparator))
        return QStringLiteral("\"~!~\"");
    if (text.contains(QLatin1Char('|')))
        return QStringLiteral("\"|\"");
    if (std::any_of(text.begin(), text.end(), isControl))
        return QStringLiteral("a control character");
    return std::nullopt;
}

// Names, in clear, what of a password its scrambled form cannot hold.
QString passwordCharacters(const QString& clear)
{
    QStringList found;
    bool control = false;
    for (const QChar c : clear) {
        const QChar scrambled = core::ScramblePassword(QString(c)).at(0);
        if (isControl(c))
            control = true;
        else if (scrambled == QLatin1Char('|') || isControl(scrambled))
            found << QStringLiteral("\"%1\"").arg(c);
    }
    if (core::ScramblePassword(clear).contains(RowSeparator))
        found << QStringLiteral("\"%1\"").arg(core::ScramblePassword(RowSeparator));
    found.removeDuplicates();
    if (control)
        found << QStringLiteral("control characters");
    return found.join(QStringLiteral(", "));
}
} // namespace

std::optional<int> portNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int port = text.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

std::optional<QString> destinationFieldsError(const QString& host, const QString& user, const QString& password,
                                              const QString& folder)
{
    const std::pair<QString, QString> plain[]
        = {{QStringLiteral("host"), host}, {QStringLiteral("user name"), user}, {QStringLiteral("folder"), folder}};
    for (const auto& [what, text] : plain) {
        if (const auto error = storedTextError(text))
            return QStringLiteral("The %1 may not contain %2.").arg(what, *error);
    }
    const QString scrambled = core::ScramblePassword(password);
    if (storedTextError(scrambled)) {
        const QString named = passwordCharacters(password);
        return QStringLiteral("The password may not contain %1.").arg(named);
    }
    return std::nullopt;
}

QString joinRemotePath(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString joinFtpFolder(const QString& folder, const QString& part)
{
    if (part.isEmpty())
        return folder;
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + part;
    return folder + QLatin1Char('/') + part;
}

bool passiveForServer(const core::BackupSetInfo& set, const QString& host, int port)
{
    for (int d = 1; d <= set.DestCount && d <= core::MaxDestinations; ++d) {
        const core::DestinationInfo& dest = set.Dest.at(d);
        if (dest.Type == core::DestinationType::Ftp
            && dest.FTPHost.trimmed().compare(host.trimmed(), Qt::CaseInsensitive) == 0
            && portNumber(dest.FTPPort.trimmed()).value_or(21) == port)
            return dest.FTPPassive;
    }
    return true;
}

QString parentRemotePath(const QString& folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    if (cut <= 0)
        return QStringLiteral("/");
    return path.left(cut);
}

QString startFolderArgument(const QString& folderText)
{
    const QString trimmed = folderText.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("/"))
        return QStringLiteral("/");
    return folderText;
}

int remoteFileIcon(const QString& fileName)
{
    static const QStringList textLike {QStringLiteral("asp"),
                                       QStringLiteral("asa"),
                                       QStringLiteral("inc"),
                                       QStringLiteral("css"),
                                       QStringLiteral("shtml"),
                                       QStringLiteral("txt"),
                                       QStringLiteral("htm"),
                                       QStringLiteral("html"),
                                       QStringLiteral("lst"),
                                       QStringLiteral("log"),
                                       QStringLiteral("ini"),
                                       QStringLiteral("inf"),
                                       QString()};
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    // A name without a point counts whole as its extension.
    const QString extension = (dot < 0 ? fileName : fileName.mid(dot + 1)).toLower();
    return textLike.contains(extension) ? 3 : 4;
}

QString groupedSize(qint64 bytes)
{
    QString digits = QString::number(bytes);
    for (qsizetype at = digits.size() - 3; at > 0 && digits.at(at - 1).isDigit(); at -= 3)
        digits.insert(at, QLatin1Char(' '));
    return digits;
}

} // namespace ftp
