#pragma once

#include <optional>

#include <sys/stat.h>

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace platform
{

// Whether a file name has the form of a pending file's hidden name (".", a stem, "." and six letters
// or digits), as an interrupted write leaves it.
bool isTemporaryCopyName(const QString& fileName);

// A list, kept in a file, of the names that pending files took before their content was complete.
// A process that dies leaves those names behind; the next start removes them by the list.
class TemporaryNames
{
public:
    explicit TemporaryNames(QString listFile);

    // Notes a name before a file takes it. False with errno set when the list cannot take it.
    bool add(const QByteArray& path);
    const QString& listFile() const { return m_listFile; }

    // Removes each listed name that is still a pending file's hidden name (".<name>.XXXXXX", a plain
    // file), then the list. Nothing else is touched, whatever the list says.
    static void removeListed(const QString& listFile);

private:
    QString m_listFile;
};

// A file's new content on its way to the file's name (the target). It is an unnamed file in the
// target's folder where the file system offers one, else a hidden name beside the target
// (".<name>.XXXXXX", noted in `names` when given). It takes the target's name only once complete and
// goes unless it does, so a failed, stopped or killed write leaves an existing target whole and,
// where the file system offers unnamed files, nothing behind. The target's folder must exist.
class PendingFile
{
public:
    explicit PendingFile(QString target, TemporaryNames* names = nullptr);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Makes the file, readable and writable by the owner only.
    bool open();
    bool write(const char* data, qint64 size);
    // Sets the modification time (when valid) and the permission bits (when given; set-id bits are
    // dropped) that the target takes.
    void stamp(const QDateTime& modified, std::optional<quint32> mode);
    void stamp(const struct timespec& modified, mode_t mode);
    // Puts the content written so far on the disk.
    bool sync();
    // Gives the complete file the target's name, replacing a file there (never a folder: EISDIR) in
    // one step and only once the new content is on the disk. A new file is not synced here: its
    // content is not needed to keep anything else.
    bool place();
    // Removes the file.
    void discard();

    const QString& target() const { return m_target; }
    int fd() const { return m_fd; }
    // Whether the file has a name of its own (where the file system offers no unnamed files).
    bool named() const { return !m_tempPath.isEmpty(); }
    // A path the content can be read by while the file is open.
    QString path() const;
    // The system's error number of the last failure, and "cannot write <target>: <its text>".
    int error() const { return m_error; }
    QString reason() const;

    // For tests of the named way: whether open() tries an unnamed file first.
    static void offerUnnamedFiles(bool offer);

private:
    bool failed(int error);
    bool openNamed();
    bool linkUnder(const QByteArray& path);
    // Gives an unnamed file the target's name when no file has it; false with EEXIST when one has.
    bool linkAsNew();
    // Links the unnamed file under a free hidden name beside the target.
    bool linkUnderTemporaryName();
    bool closeFile();

    QString m_target;
    QByteArray m_folder;
    QByteArray m_targetPath;
    QByteArray m_stem;
    TemporaryNames* m_names;
    int m_fd = -1;
    QByteArray m_tempPath;
    bool m_synced = false;
    int m_error = 0;
};

} // namespace platform
