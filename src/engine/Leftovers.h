#pragma once

#include <QString>
#include <QStringList>

#include "core/BackupSet.h"

namespace engine
{

// The name a file has on a server while it is being sent: only the whole file takes its own name.
QString partialName(const QString& name);
// Whether a name has that form.
bool isPartialName(const QString& name);

// Whether the folder `name`, directly inside a destination, may be the time-stamp folder of an
// interrupted run of `set`: named as the set's runs name their time-stamp folders (with
// `slashesDropped` as FTP deliveries write them), other than this run's `currentStamp`, and named by
// none of the set's `versionLines`. What it holds decides whether it may go.
bool isStaleTimestampFolder(const QString& name, const core::BackupSetInfo& set, const QString& currentStamp,
                            const QStringList& versionLines, bool slashesDropped);

// Removes from the local destination `folder` what interrupted runs of `set` left: time-stamp folders
// (see isStaleTimestampFolder) that hold nothing but folders and the temporary files of unfinished
// copies. Links are never followed; anything else in a folder keeps it. Logs what it removes.
void removeFolderLeftovers(const QString& folder, const core::BackupSetInfo& set, const QString& currentStamp,
                           const QStringList& versionLines);

} // namespace engine
