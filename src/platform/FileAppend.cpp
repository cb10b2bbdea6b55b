#include "platform/FileAppend.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <QFile>

namespace platform
{

Appended appendToFile(const QString& path, const QByteArray& bytes, quint32 mode)
{
    // Plain calls: the log takes a line for every file a run copies, and a buffered file would also
    // ask for the file's size and position each time.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, mode_t(mode));
    if (fd < 0)
        return Appended::NotOpened;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, size_t(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            break;
        data += done;
        left -= done;
    }
    const bool closed = ::close(fd) == 0;
    return left == 0 && closed ? Appended::Done : Appended::NotWritten;
}

} // namespace platform
