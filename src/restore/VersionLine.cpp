#include "restore/VersionLine.h"

#include "core/ScramblePassword.h"

namespace restore
{
namespace
{
constexpr int FolderFields = 8;
constexpr int FtpFields = 12;

int digit(const QString& field)
{
    bool ok = false;
    const int value = field.toInt(&ok);
    return ok && field.size() == 1 ? value : -1;
}
} // namespace

std::optional<VersionLine> VersionLine::parse(const QString& line)
{
    VersionLine version;
    version.m_fields = line.split(QLatin1Char('|'));
    const QString kind = version.m_fields.value(0);
    if (kind == QLatin1String("LAN") && version.m_fields.size() >= FolderFields)
        version.m_kind = Kind::Folder;
    else if (kind == QLatin1String("FTP") && version.m_fields.size() >= FtpFields)
        version.m_kind = Kind::Ftp;
    else
        return std::nullopt;
    return version;
}

QString VersionLine::folder() const
{
    return m_kind == Kind::Folder ? field(1) : QString();
}

QString VersionLine::created() const
{
    return field(m_kind == Kind::Folder ? 3 : 7);
}

int VersionLine::compression() const
{
    return digit(field(m_kind == Kind::Folder ? 5 : 9));
}

int VersionLine::protection() const
{
    return digit(field(m_kind == Kind::Folder ? 6 : 10));
}

QString VersionLine::password() const
{
    // The password is the last field and may itself hold a "|".
    return m_fields.mid(m_kind == Kind::Folder ? 7 : 11).join(QLatin1Char('|'));
}

QString VersionLine::ftpHost() const
{
    return m_kind == Kind::Ftp ? field(3) : QString();
}

QString VersionLine::ftpPort() const
{
    return m_kind == Kind::Ftp ? field(4) : QString();
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

} // namespace restore
