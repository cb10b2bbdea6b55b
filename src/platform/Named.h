#pragma once

#include <utility>

#include <QLatin1String>
#include <QTimer>

namespace platform
{

// Creates a control or other object under its design name: the language file, the template writer
// and the tests find controls by these names.
template <class Object, class... Args>
Object* named(const char* name, Args&&... args)
{
    auto* object = new Object(std::forward<Args>(args)...);
    object->setObjectName(QLatin1String(name));
    return object;
}

// A stopped timer owned by `owner`, under its design name.
inline QTimer* namedTimer(QObject* owner, const char* name, int intervalMs, bool singleShot = false)
{
    auto* timer = named<QTimer>(name, owner);
    timer->setInterval(intervalMs);
    timer->setSingleShot(singleShot);
    return timer;
}

} // namespace platform
