#include "localisation/Brand.h"

#include "core/ProgramState.h"
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

QString replaceBrandPlaceholders(QString text)
{
    text.replace(QLatin1String("[ProgramName]"), BrandProgramName(), Qt::CaseInsensitive);
    text.replace(QLatin1String("[CompanyName]"), BrandCompanyName(), Qt::CaseInsensitive);
    text.replace(QLatin1String("[Website]"), BrandWebsite(), Qt::CaseInsensitive);
    return text;
}

void LoadBrand()
{
    core::ProgramState& state = core::state();
    state.BrandProductId = 0;
    state.EditionNumber = 0;
    state.UseSkin = true;
    state.UseBanner = false;
    state.BannerAddress.clear();
}

} // namespace localisation
