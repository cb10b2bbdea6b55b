#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace core
{

// One line of a set document's version list, as a run records a delivery: fields joined by "|",
// counted from 0.
//
//   folder ("LAN", 8 fields): 1 folder, 2 archive path, 3 created, 4 size in KB, 5 compression,
//                             6 protection, 7 the set's password
//   FTP    ("FTP", 12 fields): 1 user, 2 password (scrambled), 3 host, 4 port, 5 remote folder,
//                             6 remote archive path, 7 created, 8 size in KB, 9 compression,
//                             10 protection, 11 the set's password
//
// The password closes the line and takes the rest of it, "|" included: documents of older versions
// stored it as typed.
//
// This is the one reader of version lines. A line is taken only when every field the restore and the pruning need
// holds: all fields of its kind, a compression digit 0 to 2, a protection digit 0 or 1, a folder
// (or host), and an FTP port from 0 to 65535 ("021" is 21).
class VersionLine
{
public:
    enum class Kind
    {
        Folder,
        Ftp,
    };

    // Nothing for a blank line, a line of another kind (e-mail deliveries leave none) and a folder or
    // FTP line that does not hold its fields; for the last, `reason` says what is wrong (it never
    // repeats a password). `reason` is left empty otherwise.
    static std::optional<VersionLine> parse(const QString& line, QString* reason = nullptr);

    // The line of `fields`, in the order above with the kind's tag first and the set's password
    // last. Nothing when a field before the password holds "|" or there are not the kind's fields:
    // such a line would not read back. `reason` then names the field, never its value.
    static std::optional<QString> compose(const QStringList& fields, QString* reason = nullptr);

    // The line with its passwords replaced by "***", for messages and error reports.
    static QString withoutPasswords(const QString& line);

    Kind kind() const { return m_kind; }
    // The field by its number, as recorded; "" for one the line lacks.
    QString field(int index) const { return m_fields.value(index); }
    const QStringList& fields() const { return m_fields; }

    // The folder the version was delivered to; for an FTP version the remote folder, with "/".
    QString folder() const;
    // The delivered archive: the folder, "/" and the archive name (".bf" appended when protected).
    QString archivePath() const;
    // Where the run put that archive: the blanks of its file name become "_", as in the run's
    // archive; the folder is kept as recorded.
    QString deliveredArchivePath() const;
    // The date and time of the delivery, as the run wrote it.
    QString created() const;
    // The delivered size in KB, as the run wrote it.
    QString sizeKB() const;
    // 0 one plain file per path, 1 one archive for the whole version, 2 one archive per file.
    int compression() const;
    // 1 for .bf files, 0 for plain ones.
    int protection() const;
    // The key of the version's .bf files: the set's password when the version was made.
    QString password() const;

    // FTP versions.
    QString ftpHost() const;
    // The port as a plain number ("021" gives "21").
    QString ftpPort() const { return QString::number(m_port); }
    quint16 ftpPortNumber() const { return m_port; }
    QString ftpUser() const;
    // The server password in clear (the line keeps it scrambled).
    QString ftpPassword() const;
    QString ftpFolder() const;

private:
    // Where the fields that both kinds carry begin: the creation date.
    int commonStart() const { return m_kind == Kind::Ftp ? 7 : 3; }

    Kind m_kind = Kind::Folder;
    QStringList m_fields;
    quint16 m_port = 0;
};

} // namespace core
