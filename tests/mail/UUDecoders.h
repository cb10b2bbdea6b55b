#pragma once

#include <optional>

#include <QByteArray>
#include <QList>

namespace test
{

// The uuencoded blocks of a text, each from its "begin" line to its "end" line.
QList<QByteArray> uuBlocks(const QByteArray& text);

// A block decoded by sharutils' uudecode and by Python's binascii.a2b_uu; nullopt when the decoder
// refuses it.
std::optional<QByteArray> uudecode(const QByteArray& block);
std::optional<QByteArray> binasciiDecode(const QByteArray& block);

} // namespace test
