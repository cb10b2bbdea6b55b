#include "platform/FileWriter.h"

#include <cerrno>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "platform/PendingFile.h"

namespace platform
{
namespace
{
QString cannotWrite(const QString& path, int error)
{
    return QStringLiteral("Cannot write \"%1\": %2").arg(path, qt_error_string(error));
}

// Puts the folder's new entry on the disk. The file has its new content by now whatever this says,
// so a failure here is no failure of the write.
void syncFolder(const QString& path)
{
    const int fd
        = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// A file kept elsewhere behind a link takes the content where it is; the link stays a link.
QString fileBehindLinks(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? path : target;
}

class DiskWriter : public FileWriter
{
public:
    bool replaceFiles(const QList<FileContent>& files, QString& reason) override
    {
        std::vector<std::unique_ptr<PendingFile>> pending;
        for (const FileContent& file : files) {
            auto written = std::make_unique<PendingFile>(fileBehindLinks(file.path));
            if (!written->open() || !written->write(file.bytes.constData(), file.bytes.size())) {
                reason = cannotWrite(file.path, written->error());
                return false;
            }
            written->stamp(QDateTime(), 0600);
            if (!written->sync()) {
                reason = cannotWrite(file.path, written->error());
                return false;
            }
            pending.push_back(std::move(written));
        }
        // A folder in the way of a later file would leave the earlier ones replaced.
        for (const FileContent& file : files) {
            if (QFileInfo(fileBehindLinks(file.path)).isDir()) {
                reason = cannotWrite(file.path, EISDIR);
                return false;
            }
        }
        for (const std::unique_ptr<PendingFile>& written : pending) {
            if (!written->place()) {
                reason = cannotWrite(written->target(), written->error());
                return false;
            }
            syncFolder(written->target());
        }
        return true;
    }
};

FileWriter*& installed()
{
    static FileWriter* writer = nullptr;
    return writer;
}
} // namespace

FileWriter& fileWriter()
{
    static DiskWriter real;
    FileWriter* writer = installed();
    return writer ? *writer : real;
}

void setFileWriter(FileWriter* writer)
{
    installed() = writer;
}

} // namespace platform
