#pragma once

#include <QDateTime>

namespace platform
{

// The program's one source of "now", so that tests can pin it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

Clock& clock();
// Installs another clock (nullptr restores the system clock). The caller keeps ownership.
void setClock(Clock* clock);

} // namespace platform
