#include "localisation/Brand.h"

#include "platform/VersionInfo.h"

namespace localisation
{

QString BrandProgramName()
{
    return QString::fromUtf8(platform::version::ProductName);
}

QString BrandCompanyName()
{
    return QString::fromUtf8(platform::version::CompanyName);
}

QString BrandWebsite()
{
    return QString::fromUtf8(platform::version::Comments);
}

} // namespace localisation
