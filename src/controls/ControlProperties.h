#pragma once

#include <QFont>
#include <QString>
#include <QVariantMap>

namespace controls
{

// The host's stored properties of one control, read by name with a default and written by name.
using PropertyBag = QVariantMap;

// Readers of one stored value. A missing value, or one that cannot be taken as the type asked for,
// gives `fallback`, so that one damaged key never costs the keys after it.
qint64 readInteger(const PropertyBag& bag, const QString& key, qint64 fallback);
bool readBoolean(const PropertyBag& bag, const QString& key, bool fallback);
QString readText(const PropertyBag& bag, const QString& key, const QString& fallback);
QFont readFont(const PropertyBag& bag, const QString& key, const QFont& fallback);

} // namespace controls
