#include "core/ScramblePassword.h"

namespace core
{

QString ScramblePassword(const QString& password)
{
    QString result = password;
    for (QChar& c : result) {
        if (c.unicode() <= 0xFF)
            c = QChar(static_cast<char16_t>(c.unicode() ^ 0x80));
    }
    return result;
}

} // namespace core
