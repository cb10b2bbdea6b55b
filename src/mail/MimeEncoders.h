#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace mail
{

// Base64 (RFC 2045) in lines of 76 characters, every line, the last one too, ended by CR LF; empty for
// no bytes. 57 bytes make one whole line, so pieces of a multiple of 57 bytes join seamlessly.
QByteArray EncodeBase64Bytes(QByteArrayView bytes);
// The same for the UTF-8 bytes of a text.
QString EncodeBase64Text(const QString& text);
// The bytes of a base64 text, one character per byte. Any character outside the alphabet (a blank,
// a line break) makes the result empty; "=" ends its group of four.
QString DecodeBase64String(const QString& str2Decode);
// One uuencoded line of the UTF-8 bytes of a text of at most 63 bytes, without its line end; empty
// for a longer text. Nothing follows the data, so uudecode reads every line.
QString UUEncodeLine(const QString& text);

} // namespace mail
