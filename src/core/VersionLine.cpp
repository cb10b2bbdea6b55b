#include "core/VersionLine.h"

#include "core/ScramblePassword.h"

namespace core
{
namespace
{
constexpr qsizetype FolderFields = 8;
constexpr qsizetype FtpFields = 12;

// Digits only, so that a sign, blanks inside or a fraction never pass as a port.
std::optional<quint16> portNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 10)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const qint64 value = text.toLongLong();
    if (value > 65535)
        return std::nullopt;
    return static_cast<quint16>(value);
}

// What each field holds, for messages.
const QStringList& fieldNames(bool ftp)
{
    static const QStringList folder
        = QStringLiteral("kind,folder,archive path,date,size,compression,encryption,password").split(QLatin1Char(','));
    static const QStringList server = QStringLiteral("kind,FTP user,FTP password,FTP host,FTP port,remote folder,"
                                                     "remote archive path,date,size,compression,encryption,password")
                                          .split(QLatin1Char(','));
    return ftp ? server : folder;
}

std::optional<VersionLine> refused(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return std::nullopt;
}
} // namespace

std::optional<VersionLine> VersionLine::parse(const QString& line, QString* reason)
{
    if (reason)
        reason->clear();
    VersionLine version;
    version.m_fields = line.split(QLatin1Char('|'));
    const QString kind = version.m_fields.first();
    if (kind == QLatin1String("LAN")) {
        if (version.m_fields.size() < FolderFields)
            return refused(reason,
                           QStringLiteral("a folder version has %1 fields, this line has %2")
                               .arg(FolderFields)
                               .arg(version.m_fields.size()));
        version.m_kind = Kind::Folder;
        if (version.folder().isEmpty())
            return refused(reason, QStringLiteral("the folder is empty"));
    } else if (kind == QLatin1String("FTP")) {
        if (version.m_fields.size() < FtpFields)
            return refused(reason,
                           QStringLiteral("an FTP version has %1 fields, this line has %2")
                               .arg(FtpFields)
                               .arg(version.m_fields.size()));
        version.m_kind = Kind::Ftp;
        if (version.ftpHost().isEmpty())
            return refused(reason, QStringLiteral("the host is empty"));
        const std::optional<quint16> port = portNumber(version.field(4).trimmed());
        if (!port)
            return refused(reason,
                           QStringLiteral("the port \"%1\" is not a number from 0 to 65535").arg(version.field(4)));
        version.m_port = *port;
    } else {
        return std::nullopt;
    }
    const QString compression = version.field(version.commonStart() + 2);
    if (compression != QLatin1String("0") && compression != QLatin1String("1") && compression != QLatin1String("2"))
        return refused(reason, QStringLiteral("the compression \"%1\" is not 0, 1 or 2").arg(compression));
    const QString protection = version.field(version.commonStart() + 3);
    if (protection != QLatin1String("0") && protection != QLatin1String("1"))
        return refused(reason, QStringLiteral("the encryption \"%1\" is not 0 or 1").arg(protection));
    return version;
}

std::optional<QString> VersionLine::compose(const QStringList& fields, QString* reason)
{
    if (reason)
        reason->clear();
    const bool ftp = fields.value(0) == QLatin1String("FTP");
    const QStringList& names = fieldNames(ftp);
    if ((!ftp && fields.value(0) != QLatin1String("LAN")) || fields.size() != names.size()) {
        if (reason)
            *reason = QStringLiteral("a version line has %1 fields, not %2").arg(names.size()).arg(fields.size());
        return std::nullopt;
    }
    // The password is read as the rest of the line, so it alone may hold the separator.
    for (qsizetype i = 0; i + 1 < fields.size(); ++i) {
        if (fields.at(i).contains(QLatin1Char('|'))) {
            if (reason)
                *reason = QStringLiteral("its %1 holds \"|\", which separates the fields of a version line")
                              .arg(names.at(i));
            return std::nullopt;
        }
    }
    return fields.join(QLatin1Char('|'));
}

QString VersionLine::withoutPasswords(const QString& line)
{
    QStringList fields = line.split(QLatin1Char('|'));
    const QString kind = fields.value(0);
    const QString hidden = QStringLiteral("***");
    qsizetype passwordAt = 0;
    if (kind == QLatin1String("LAN")) {
        passwordAt = FolderFields - 1;
    } else if (kind == QLatin1String("FTP")) {
        passwordAt = FtpFields - 1;
        if (fields.size() > 2)
            fields[2] = hidden;
    } else {
        return line;
    }
    if (fields.size() > passwordAt) {
        fields.erase(fields.begin() + passwordAt, fields.end());
        fields << hidden;
    }
    return fields.join(QLatin1Char('|'));
}

QString VersionLine::folder() const
{
    return field(m_kind == Kind::Ftp ? 5 : 1);
}

QString VersionLine::archivePath() const
{
    return field(m_kind == Kind::Ftp ? 6 : 2);
}

QString VersionLine::deliveredArchivePath() const
{
    const QString path = archivePath();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return path.left(slash + 1) + path.mid(slash + 1).replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString VersionLine::created() const
{
    return field(commonStart());
}

QString VersionLine::sizeKB() const
{
    return field(commonStart() + 1);
}

int VersionLine::compression() const
{
    return field(commonStart() + 2).toInt();
}

int VersionLine::protection() const
{
    return field(commonStart() + 3).toInt();
}

QString VersionLine::password() const
{
    return m_fields.mid(commonStart() + 4).join(QLatin1Char('|'));
}

QString VersionLine::ftpHost() const
{
    return m_kind == Kind::Ftp ? field(3) : QString();
}

QString VersionLine::ftpUser() const
{
    return m_kind == Kind::Ftp ? field(1) : QString();
}

QString VersionLine::ftpPassword() const
{
    return m_kind == Kind::Ftp ? core::ScramblePassword(field(2)) : QString();
}

QString VersionLine::ftpFolder() const
{
    return m_kind == Kind::Ftp ? field(5) : QString();
}

} // namespace core
