#include "core/DestinationCaller.h"

#include <map>

#include <QObject>

namespace core
{
namespace
{
std::map<int, DestinationDialogOpener>& openers()
{
    static std::map<int, DestinationDialogOpener> registered;
    return registered;
}
} // namespace

void DestinationCallerRef::set(DestinationCaller* caller)
{
    m_caller = caller;
    m_guard = caller ? caller->callerObject() : nullptr;
}

DestinationCaller* DestinationCallerRef::get() const
{
    return m_guard ? m_caller : nullptr;
}

void setDestinationDialog(int type, DestinationDialogOpener opener)
{
    if (opener)
        openers()[type] = std::move(opener);
    else
        openers().erase(type);
}

DestinationDialogOpener destinationDialog(int type)
{
    const auto found = openers().find(type);
    return found == openers().end() ? DestinationDialogOpener() : found->second;
}

} // namespace core
