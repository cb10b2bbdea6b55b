#include "editors/DestinationDialogs.h"

#include "core/DestinationCaller.h"
#include "ftp/frmAddFTP.h"

namespace editors
{

void registerDestinationDialogs()
{
    // The e-mail dialog joins once it writes rows.
    core::setDestinationDialog(2, &ftp::frmAddFTP::open);
}

} // namespace editors
