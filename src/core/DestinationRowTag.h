#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "core/BackupSet.h"

namespace core
{

// The texts that name a destination row's kind. Every reader tells a row's kind by its text, so a
// row keeps the text the dialog gave it.
inline constexpr auto FolderRowText = "LAN/Local Folder";
inline constexpr auto FtpRowText = "FTP";
inline constexpr auto EmailRowText = "EMAIL";

// The kind a row's text names, by an exact comparison; Unused for any other text.
DestinationType destinationRowType(const QString& text);
// The text of a kind; empty for a kind that is none of the three.
QString destinationRowText(DestinationType type);

// The values a destination row carries, kept as their fields. The "~!~" text form is made and
// split only here, so a value holding "~!~" never shifts the fields after it while the row is listed.
class DestinationRowTag
{
public:
    DestinationRowTag() = default;
    explicit DestinationRowTag(QStringList fields);

    static DestinationRowTag fromText(const QString& text);
    QString text() const;

    const QStringList& fields() const { return m_fields; }
    bool operator==(const DestinationRowTag&) const = default;

private:
    QStringList m_fields;
};

// One row of an editor's destination list: its kind, the text of its "Details" column and its Tag.
struct DestinationRow
{
    QString text;
    QString details;
    DestinationRowTag tag;

    bool operator==(const DestinationRow&) const = default;
};

// The rows the dialogs write. The FTP row carries the password scrambled and passive "1" or "0".
DestinationRow folderRow(const QString& folder);
DestinationRow ftpRow(const QString& host, const QString& port, const QString& user, const QString& password,
                      const QString& folder, bool passive);
DestinationRow emailRow(const QString& recipient, const QString& subject, const QString& body);

// The row an editor shows for a stored destination (passive "True" or "False"); nullopt for a slot
// of no known kind.
std::optional<DestinationRow> rowFromDestination(const DestinationInfo& dest);

// Fills `dest` from the row by the row's kind: the FTP password comes back in clear text and the
// passive flag is read from "1", "0", "True" or "False". A Tag with fewer fields than its kind needs
// fills those it has and leaves the rest of `dest` as it was. False, with `dest` untouched, for a
// row of no known kind.
bool destinationFromRow(const DestinationRow& row, DestinationInfo& dest);

} // namespace core
