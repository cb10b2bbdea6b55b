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

void forgetShownVersion(const QString& versionLine)
{
    if (versionLine.isEmpty() || !registered())
        return;
    QStringList& listed = registered()->globalVersions();
    const qsizetype index = listed.indexOf(versionLine);
    if (index >= 0)
        listed[index].clear();
}

} // namespace core
