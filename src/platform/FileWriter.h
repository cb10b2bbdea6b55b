#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace platform
{

// A file's path and its whole new content.
struct FileContent
{
    QString path;
    QByteArray bytes;
};

// Writes files that must never be left half-written: a file takes its new content only once all of
// it is on the disk (every write, the sync and the close checked), so a full disk or a kill leaves
// the previous content in place. Tests install a writer that fails, to show what a failed write
// leaves.
class FileWriter
{
public:
    virtual ~FileWriter() = default;
    // Replaces the content of each file, readable and writable by the owner only. The files take
    // their new content in order, and only once the content of all of them is on the disk: a
    // failed write changes none of them (only a rename refused after an earlier file was placed
    // leaves that earlier one new), and `reason` names the file and the system's reason.
    virtual bool replaceFiles(const QList<FileContent>& files, QString& reason) = 0;

    bool replaceFile(const QString& path, const QByteArray& bytes, QString& reason)
    {
        return replaceFiles({FileContent {path, bytes}}, reason);
    }
};

FileWriter& fileWriter();
// Installs another writer (nullptr restores the real one). The caller keeps ownership.
void setFileWriter(FileWriter* writer);

} // namespace platform
