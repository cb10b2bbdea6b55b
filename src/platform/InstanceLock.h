#pragma once

#include <QLockFile>
#include <QString>

namespace platform
{

// Tells a second start of the program on the same program folder: a lock file there, held for the
// whole run. A lock left behind by an instance that died is taken over.
class InstanceLock
{
public:
    // The lock file "quillback.lock" in the program folder, or the given path.
    InstanceLock();
    explicit InstanceLock(const QString& path);

    // False only when another instance holds the lock. A lock that cannot be made at all (an
    // unwritable folder) tells nothing about other instances: that is reported and the start goes on.
    bool tryLock();

private:
    QLockFile m_lock;
};

} // namespace platform
