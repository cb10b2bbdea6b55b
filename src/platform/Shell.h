#pragma once

#include <QString>

namespace platform
{

// Opens a file with the program the desktop associates with it.
class Shell
{
public:
    virtual ~Shell() = default;
    // True when the desktop accepted the request.
    virtual bool open(const QString& file, const QString& workingFolder) = 0;
};

Shell& shell();
// Installs another shell (nullptr restores the desktop one). The caller keeps ownership.
void setShell(Shell* shell);

} // namespace platform
