#include "platform/Clock.h"

namespace platform
{
namespace
{
class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

Clock*& installed()
{
    static Clock* current = nullptr;
    return current;
}
} // namespace

Clock& clock()
{
    static SystemClock system;
    Clock* current = installed();
    return current ? *current : system;
}

void setClock(Clock* clock)
{
    installed() = clock;
}

} // namespace platform
