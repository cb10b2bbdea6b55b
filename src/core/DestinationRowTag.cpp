#include "core/DestinationRowTag.h"

#include "core/ScramblePassword.h"

namespace core
{
namespace
{
const QString Separator = QStringLiteral("~!~");

// The flag as the rows hold it; nullopt for a text that is no flag, which leaves the record alone.
std::optional<bool> readFlag(const QString& text)
{
    const QString flag = text.trimmed();
    if (flag.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (flag.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = flag.toDouble(&isNumber);
    if (isNumber)
        return number != 0;
    return std::nullopt;
}
} // namespace

DestinationType destinationRowType(const QString& text)
{
    if (text == QLatin1String(FolderRowText))
        return DestinationType::Folder;
    if (text == QLatin1String(FtpRowText))
        return DestinationType::Ftp;
    if (text == QLatin1String(EmailRowText))
        return DestinationType::Email;
    return DestinationType::Unused;
}

QString destinationRowText(DestinationType type)
{
    switch (type) {
    case DestinationType::Folder:
        return QLatin1String(FolderRowText);
    case DestinationType::Ftp:
        return QLatin1String(FtpRowText);
    case DestinationType::Email:
        return QLatin1String(EmailRowText);
    default:
        return {};
    }
}

DestinationRowTag::DestinationRowTag(QStringList fields)
    : m_fields(std::move(fields))
{ }

DestinationRowTag DestinationRowTag::fromText(const QString& text)
{
    return DestinationRowTag(text.split(Separator));
}

QString DestinationRowTag::text() const
{
    return m_fields.join(Separator);
}

DestinationRow folderRow(const QString& folder)
{
    return {destinationRowText(DestinationType::Folder), folder, DestinationRowTag({folder})};
}

DestinationRow ftpRow(const QString& host, const QString& port, const QString& user, const QString& password,
                      const QString& folder, bool passive)
{
    return {destinationRowText(DestinationType::Ftp), host,
            DestinationRowTag({host, port, user, ScramblePassword(password), folder,
                               passive ? QStringLiteral("1") : QStringLiteral("0")})};
}

DestinationRow emailRow(const QString& recipient, const QString& subject, const QString& body)
{
    return {destinationRowText(DestinationType::Email), recipient, DestinationRowTag({recipient, subject, body})};
}

std::optional<DestinationRow> rowFromDestination(const DestinationInfo& dest)
{
    switch (dest.Type) {
    case DestinationType::Folder:
        return folderRow(dest.LocalFolder);
    case DestinationType::Ftp: {
        DestinationRow row = ftpRow(dest.FTPHost, dest.FTPPort, dest.FTPUser, dest.FTPPass, dest.FTPFolder, false);
        QStringList fields = row.tag.fields();
        fields[5] = dest.FTPPassive ? QStringLiteral("True") : QStringLiteral("False");
        row.tag = DestinationRowTag(fields);
        return row;
    }
    case DestinationType::Email:
        return emailRow(dest.EmailID, dest.Subject, dest.Body);
    default:
        return std::nullopt;
    }
}

bool destinationFromRow(const DestinationRow& row, DestinationInfo& dest)
{
    const DestinationType type = destinationRowType(row.text);
    const QStringList& fields = row.tag.fields();
    const auto take = [&fields](int index, QString& value) {
        if (index < fields.size())
            value = fields.at(index);
    };
    switch (type) {
    case DestinationType::Folder:
        dest.LocalFolder = row.tag.text();
        break;
    case DestinationType::Ftp:
        take(0, dest.FTPHost);
        take(1, dest.FTPPort);
        take(2, dest.FTPUser);
        if (fields.size() > 3)
            dest.FTPPass = ScramblePassword(fields.at(3));
        take(4, dest.FTPFolder);
        if (fields.size() > 5)
            dest.FTPPassive = readFlag(fields.at(5)).value_or(dest.FTPPassive);
        break;
    case DestinationType::Email:
        take(0, dest.EmailID);
        take(1, dest.Subject);
        take(2, dest.Body);
        break;
    default:
        return false;
    }
    dest.Type = type;
    return true;
}

} // namespace core
