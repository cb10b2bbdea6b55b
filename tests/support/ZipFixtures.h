#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace test
{

// Archives made by Info-ZIP zip, the peer whose archives the restore must read, and damaged copies
// of them.

// Runs `zip` with `arguments` in `folder`; true when it exited with 0.
bool runZip(const QString& folder, const QStringList& arguments);

// Bytes that do not compress much, so that an entry stays several chunks long inside the archive.
QByteArray noisyBytes(qsizetype size, quint32 seed = 1);

// Cuts the file to its first `size` bytes.
bool truncateFile(const QString& path, qint64 size);

// Flips a byte of the stored CRC of the entry named `name`, in its local and central headers.
bool flipStoredCrc(const QString& archive, const QString& name);

// Renames an entry in place; `to` must be as long as `from` (names such as "../x" or "/abs" that
// zip itself will not store).
bool renameEntry(const QString& archive, const QString& from, const QString& to);

} // namespace test
