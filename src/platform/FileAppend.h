#pragma once

#include <QByteArray>
#include <QString>

namespace platform
{

enum class Appended
{
    Done,
    // The file could not be opened or made (no right to, a folder by that name, no such folder).
    NotOpened,
    NotWritten,
};

// Appends `bytes` to the file at `path`, making it with `mode` (less the process's umask) when it is
// missing. The file is opened for each call, so that one moved or removed in between is made anew.
Appended appendToFile(const QString& path, const QByteArray& bytes, quint32 mode);

} // namespace platform
