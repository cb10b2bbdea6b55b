#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "core/BackupSet.h"

namespace core
{

// The text of one section of a set document: the lines between its tag line and its closing tag
// line, joined by CR LF. Empty when the document has no such section.
QString sectionText(const QString& text, const QString& section);

// What a set document holds for the main window.
struct ParsedSet
{
    // Every field the document stores; working values and fields it does not store are left as a
    // fresh record has them.
    core::BackupSetInfo set;
    // The FILES lines as they stand (a path, optionally followed by a TAB and its statistics).
    QStringList files;
    // The Exclude masks, split at "," and ";" and trimmed; none when Exclude is empty.
    QStringList excludes;
    // The VERSIONS lines, newest first.
    QStringList versions;
};

struct ParseResult
{
    std::optional<ParsedSet> parsed;
    // Why the document cannot be read, and the matching error number.
    QString reason;
    qint32 number = 0;
};

// Reads a whole set document into a fresh record. A damaged document (a missing STATS, SCHEDULER or,
// when time stamps are on, TIMESTAMP section; a value that must be a whole number or a truth value
// and is not; more than 30 destinations) gives no record and the reason.
ParseResult parseSetDocument(const QString& text);

} // namespace core
