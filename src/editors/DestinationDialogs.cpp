#include "editors/DestinationDialogs.h"

#include "core/DestinationCaller.h"
#include "ftp/frmAddFTP.h"
#include "mail/frmEmailAdd.h"

namespace editors
{

void registerDestinationDialogs()
{
    core::setDestinationDialog(2, &ftp::frmAddFTP::open);
    core::setDestinationDialog(3, &mail::frmEmailAdd::open);
}

} // namespace editors
