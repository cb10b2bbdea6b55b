#include "core/Base64.h"

namespace core
{

QString Base64Encode(const QByteArray& bytes, int lineLength)
{
    const QString encoded = QString::fromLatin1(bytes.toBase64());
    if (lineLength <= 0 || encoded.size() <= lineLength)
        return encoded;
    QString wrapped;
    wrapped.reserve(encoded.size() + (encoded.size() / lineLength) * 2);
    for (qsizetype at = 0; at < encoded.size(); at += lineLength) {
        if (at > 0)
            wrapped += QStringLiteral("\r\n");
        wrapped += QStringView(encoded).mid(at, lineLength);
    }
    return wrapped;
}

QString Base64Encode(const QString& text, int lineLength)
{
    return Base64Encode(text.toUtf8(), lineLength);
}

} // namespace core
