#pragma once

#include <QString>

namespace platform
{

// The folder that holds data/, tmp/, status.log, the language file and the settings.
// $QUILLBACK_HOME when set; else the executable's folder when writable; else the XDG data folder.
class ProgramFolder
{
public:
    static QString path();
    // The folder the program takes when QUILLBACK_HOME is not set.
    static QString defaultPath();
    // Joins a relative name below the program folder with "/".
    static QString file(const QString& relative);
    // Forgets the cached folder, so that a changed environment is read again (tests).
    static void reset();
};

// Creates a folder (and its parents) readable only by the owner; true when it exists afterwards.
bool makePrivateFolder(const QString& path);

} // namespace platform
