#pragma once

#include <QString>

namespace localisation
{

// The program's name, company and website come from the compiled-in version information and stay
// fixed for the whole run; texts from the language file name them through placeholders.
QString BrandProgramName();
QString BrandCompanyName();
QString BrandWebsite();

// "[ProgramName]", "[CompanyName]" and "[Website]", in any letter case, replaced by the brand values.
QString replaceBrandPlaceholders(QString text);

// Sets the program-wide brand switches (ProgramState): windows are skinned, no banner, product id
// and edition 0, no banner address. Run at start-up and again by the website window.
void LoadBrand();

} // namespace localisation
