#pragma once

#include <QString>

#include "core/BackupSet.h"

namespace editors
{

// The summary the wizard's last step shows of the set it is about to create: name, kind, every
// destination, backup type, compression and, when set, the protection; each line ends with CR LF.
QString wizardSummary(const core::BackupSetInfo& set);

} // namespace editors
