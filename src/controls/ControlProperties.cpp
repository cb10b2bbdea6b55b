#include "controls/ControlProperties.h"

#include <cmath>

namespace controls
{

qint64 readInteger(const PropertyBag& bag, const QString& key, qint64 fallback)
{
    const QVariant value = bag.value(key);
    if (!value.isValid())
        return fallback;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? -1 : 0;
    bool ok = false;
    const qint64 whole = value.toLongLong(&ok);
    if (ok)
        return whole;
    const double number = value.toDouble(&ok);
    if (ok && std::isfinite(number) && std::abs(number) < 9.0e18)
        return std::llround(number);
    return fallback;
}

bool readBoolean(const PropertyBag& bag, const QString& key, bool fallback)
{
    const QVariant value = bag.value(key);
    if (!value.isValid())
        return fallback;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok ? number != 0.0 : fallback;
}

QString readText(const PropertyBag& bag, const QString& key, const QString& fallback)
{
    const QVariant value = bag.value(key);
    if (!value.isValid() || !value.canConvert<QString>())
        return fallback;
    return value.toString();
}

QFont readFont(const PropertyBag& bag, const QString& key, const QFont& fallback)
{
    const QVariant value = bag.value(key);
    if (value.typeId() == QMetaType::QFont)
        return value.value<QFont>();
    if (value.typeId() == QMetaType::QString) {
        QFont font;
        if (font.fromString(value.toString()))
            return font;
    }
    return fallback;
}

} // namespace controls
