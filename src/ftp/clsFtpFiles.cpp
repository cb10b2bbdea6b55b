#include "ftp/clsFtpFiles.h"

namespace ftp
{

const clsFtpFile& clsFtpFiles::Add(const clsFtpFile& objFtpFile)
{
    m_colFiles.push_back(objFtpFile);
    return m_colFiles.back();
}

std::optional<clsFtpFile> clsFtpFiles::Item(int varIndex) const
{
    if (varIndex < 1 || varIndex > Count())
        return std::nullopt;
    return m_colFiles[static_cast<size_t>(varIndex - 1)];
}

bool clsFtpFiles::Remove(int varIndex)
{
    if (varIndex < 1 || varIndex > Count())
        return false;
    m_colFiles.erase(m_colFiles.begin() + (varIndex - 1));
    return true;
}

} // namespace ftp
