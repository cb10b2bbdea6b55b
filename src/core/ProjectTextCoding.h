#pragma once

#include <QByteArray>
#include <QString>

namespace core
{

// The coding of set documents on their way to disk and back. Documents are written as UTF-8. The
// original program wrote them in the 8-bit code page, so bytes that are not valid UTF-8 are read as
// Latin-1, one character per byte: nothing becomes a replacement character, and scrambled passwords
// (bit 7 flipped) come back as the same characters. The next save stores the same text as UTF-8.
QByteArray EncodeProjectText(const QString& text);
QString DecodeProjectText(const QByteArray& bytes);

} // namespace core
