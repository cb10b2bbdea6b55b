#include "platform/InstanceLock.h"

#include "platform/ProgramFolder.h"

namespace platform
{

InstanceLock::InstanceLock()
    : InstanceLock(ProgramFolder::file(QStringLiteral("quillback.lock")))
{ }

InstanceLock::InstanceLock(const QString& path)
    : m_lock(path)
{
    // The program runs for weeks: only a lock whose owner is gone is stale, never an old one.
    m_lock.setStaleLockTime(0);
}

bool InstanceLock::tryLock()
{
    if (m_lock.isLocked() || m_lock.tryLock(0))
        return true;
    if (m_lock.error() == QLockFile::LockFailedError)
        return false;
    qWarning("The instance lock cannot be made (error %d); a second start will not be noticed",
             static_cast<int>(m_lock.error()));
    return true;
}

} // namespace platform
