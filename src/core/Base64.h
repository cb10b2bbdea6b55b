#pragma once

#include <QByteArray>
#include <QString>

namespace core
{

// The Base64 form (RFC 4648) of the bytes. A line length above 0 cuts the result into lines of that
// many characters joined by CR LF, with no line break after the last line.
QString Base64Encode(const QByteArray& bytes, int lineLength = 0);
// The Base64 form of the text's UTF-8 bytes.
QString Base64Encode(const QString& text, int lineLength = 0);

} // namespace core
