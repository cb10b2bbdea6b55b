#pragma once

#include <QStringList>

#include "core/BackupSet.h"

namespace editors
{

// The stored values of a set that the properties window's pages cannot show, each as "key = value":
// an option outside its group (which then stays without a choice), a start date or time that does not
// read (the pickers show now instead), a monthly day that is no day of a month, a destination of no
// known kind ("DEST<n> Type = <type>", read from the set's `document`), which the list leaves out.
// Empty when the pages can show the whole set.
QStringList unshowableValues(const core::BackupSetInfo& set, const QString& document);

} // namespace editors
