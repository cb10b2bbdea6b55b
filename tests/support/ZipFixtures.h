#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QPair>
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

// Records another uncompressed size for the entry named `name`, in its local and central headers
// (in their Zip64 fields where the entry has them); the data stays as it is.
bool setRecordedSize(const QString& archive, const QString& name, quint64 size);

// Records other sizes for the entry named `name` in its central header only, as a damaged central
// directory does: the compressed size and, when given, the uncompressed size. Entries without
// Zip64 fields only.
bool setCentralSizes(const QString& archive, const QString& name, quint32 compressed,
                     std::optional<quint32> uncompressed = std::nullopt);

// Renames an entry in place; `to` must be as long as `from` (names such as "../x" or "/abs" that
// zip itself will not store).
bool renameEntry(const QString& archive, const QString& from, const QString& to);

// Info-ZIP's unzip as the judge of the archives the program writes.

// `unzip -t`: true when every entry tests OK; the tool's report goes to `output` when given.
bool unzipTestsOk(const QString& archive, QString* output = nullptr);
// `unzip -Z1`: the entry names in the archive's order.
QStringList unzipNames(const QString& archive);
// `unzip -p`: the bytes of one entry (wildcard characters in the name are matched literally).
QByteArray unzipEntry(const QString& archive, const QString& entry);
// zipinfo's line for the entry, with exact times: "-rwxr-x---  3.0 unx  8 tx  8 stor 20240305.102030 a".
QString zipinfoLine(const QString& archive, const QString& entry);
// The general-purpose flags of each entry's central header, with the entry's name.
QList<QPair<QString, quint16>> centralDirectoryFlags(const QString& archive);

} // namespace test
