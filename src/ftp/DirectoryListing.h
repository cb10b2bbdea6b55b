#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "ftp/clsFtpFiles.h"

namespace ftp
{

// Reads a LIST reply in the Unix long form or the DOS form, line by line. A line that cannot be read
// is skipped; nothing is returned only when the listing holds lines but none of them could be read.
// Dates without a year take the year that puts them no later than `now`.
std::optional<clsFtpFiles> ParseDirectoryListing(const QString& listing, const QDateTime& now);

// The position of the first letter of the date's month name in a Unix line, or -1.
qsizetype GetDateStartPosition(const QString& line);

// Listing bytes as text: UTF-8, a line that is not valid UTF-8 read as Latin-1.
QString decodeListing(const QByteArray& bytes);

} // namespace ftp
