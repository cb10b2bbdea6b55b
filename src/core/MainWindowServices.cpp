#include "core/MainWindowServices.h"

namespace core
{
namespace
{
MainWindowServices*& registered()
{
    static MainWindowServices* services = nullptr;
    return services;
}
} // namespace

MainWindowServices* mainWindowServices()
{
    return registered();
}

void setMainWindowServices(MainWindowServices* services)
{
    registered() = services;
}

} // namespace core
