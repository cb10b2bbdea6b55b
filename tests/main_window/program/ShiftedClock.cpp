#include <QDateTime>
#include <QFile>

#include "platform/Clock.h"

// Linked only into the test copy of the program: its clock runs ahead of the system clock by the
// milliseconds written in the file that QUILLBACK_TEST_CLOCK_SHIFT names, so that a process test
// can bring a scheduled minute at once instead of waiting for it.
namespace
{
class ShiftedClock : public platform::Clock
{
public:
    explicit ShiftedClock(QString shiftFile)
        : m_shiftFile(std::move(shiftFile))
    { }

    // Read at every look, so that the test can move the clock while the program runs.
    QDateTime now() const override
    {
        QFile file(m_shiftFile);
        const qint64 shiftMs = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
        return QDateTime::currentDateTime().addMSecs(shiftMs);
    }

private:
    QString m_shiftFile;
};

[[maybe_unused]] const bool installed = [] {
    const QString shiftFile = qEnvironmentVariable("QUILLBACK_TEST_CLOCK_SHIFT");
    if (shiftFile.isEmpty())
        return false;
    static ShiftedClock clock(shiftFile);
    platform::setClock(&clock);
    return true;
}();
} // namespace
