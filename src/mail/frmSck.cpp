#include "mail/frmSck.h"

namespace mail
{

frmSck::frmSck()
{
    setObjectName(QStringLiteral("frmSck"));
}

} // namespace mail
