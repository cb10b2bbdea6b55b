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

// ShellExecuteOpen's code when the desktop has no program for the file.
inline constexpr qint32 ShellNoAssociation = 31;

// Opens a file (relative to `folder` when relative) with its program. Above 32 on success; 2 when
// the file is missing, 3 when the working folder is, 31 when the desktop has nothing to open it.
qint32 ShellExecuteOpen(const QString& file, const QString& folder);

} // namespace platform
