#pragma once

#include <QByteArray>
#include <QString>

namespace core
{

// Writes files that must never be left half-written: the bytes go to a temporary file in the same
// folder, which is renamed over the target only when everything was written. Tests install a
// writer that fails, to show that a failed write leaves the previous content in place.
class FileWriter
{
public:
    virtual ~FileWriter() = default;
    // Replaces the file's content with `bytes`, readable and writable by the owner only.
    // On failure the file is as it was and `reason` says why.
    virtual bool replaceFile(const QString& path, const QByteArray& bytes, QString& reason) = 0;
};

FileWriter& fileWriter();
// Installs another writer (nullptr restores the real one). The caller keeps ownership.
void setFileWriter(FileWriter* writer);

} // namespace core
