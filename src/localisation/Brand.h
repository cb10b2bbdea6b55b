#pragma once

#include <QString>

namespace localisation
{

// The program's name, company and website come from the compiled-in version information and stay
// fixed for the whole run; texts from the language file name them through placeholders.
QString BrandProgramName();
QString BrandCompanyName();
QString BrandWebsite();

} // namespace localisation
