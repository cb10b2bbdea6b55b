#pragma once

#include <QByteArray>
#include <QString>

namespace test
{

// A small tmpfs on `folder` for the object's life, in a mount namespace of the calling thread's own,
// so that it goes with the process whatever happens. Needs the right to mount, which a test may not
// have: tests skip then, and the injected-failure writer (FailingWriter.h) covers the callers.
class SmallDisk
{
public:
    SmallDisk(const QString& folder, const QByteArray& size);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }
    // Takes all the room that is left but `room` bytes with a file of its own ("<folder>/filler"), so
    // that a write that needs more fails with ENOSPC.
    bool fill(qint64 room = 0);

private:
    QString m_path;
    QByteArray m_folder;
    bool m_mounted = false;
    QString m_error;
};

} // namespace test
