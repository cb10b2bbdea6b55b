#pragma once

#include <QtGlobal>

namespace crypto
{

// The published Blowfish initial values: the first 1042 32-bit words of the hexadecimal fraction of pi,
// 18 subkeys first, then the four S-boxes.
extern const quint32 InitialSubkeys[18];
extern const quint32 InitialSBoxes[4][256];

} // namespace crypto
