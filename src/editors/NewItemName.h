#pragma once

#include <QString>
#include <QStringList>

namespace editors
{

// The name the wizard offers for a new set: "New Item", or "New Item " and one more than the highest
// number that follows "New Item" in `documentNames` (file names such as "New Item 3.sbd"). Letter
// case counts, as it does for file names here; a suffix that is no positive number is passed over.
QString proposeNewItemName(const QStringList& documentNames);
// The same for the documents in the data folder.
QString proposeNewItemName();

// The archive name the wizard offers for a set: its name with blanks as "_", and ".zip".
QString defaultArchiveName(const QString& itemName);

} // namespace editors
