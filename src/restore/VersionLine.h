#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace restore
{

// One line of a set document's version list, as the run records a delivery: fields joined by "|",
// counted from 0.
//
//   folder ("LAN", 8 fields): 1 folder, 2 archive path, 3 created, 4 size in KB, 5 compression,
//                             6 protection, 7 the set's password
//   FTP    ("FTP", 12 fields): 1 user, 2 password (scrambled), 3 host, 4 port, 5 remote folder,
//                             6 remote archive path, 7 created, 8 size in KB, 9 compression,
//                             10 protection, 11 the set's password
class VersionLine
{
public:
    enum class Kind
    {
        Folder,
        Ftp,
    };

    // Nothing for a line of another kind (e-mail deliveries leave none) or one too short for its kind.
    static std::optional<VersionLine> parse(const QString& line);

    Kind kind() const { return m_kind; }
    // The field by its number; "" for one the line lacks.
    QString field(int index) const { return m_fields.value(index); }
    const QStringList& fields() const { return m_fields; }

    // Folder versions: the folder the version was delivered to.
    QString folder() const;
    QString created() const;
    // 0 one plain file per path, 1 one archive, 2 one archive per file; -1 when the field is no digit.
    int compression() const;
    // 1 for .bf files, 0 for plain ones; -1 when the field is no digit.
    int protection() const;
    // The key of the version's .bf files: the rest of the line, which may hold a "|" itself.
    QString password() const;

    // FTP versions.
    QString ftpHost() const;
    QString ftpPort() const;
    QString ftpUser() const;
    // The server password in clear.
    QString ftpPassword() const;
    QString ftpFolder() const;

private:
    Kind m_kind = Kind::Folder;
    QStringList m_fields;
};

} // namespace restore
