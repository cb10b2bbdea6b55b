#pragma once

#include <QString>

namespace crypto
{

// The .bf layout: two header values, the plain length n (each 32 bits, little-endian), the plain bytes,
// then zero bytes up to a whole number of 8-byte blocks.
inline constexpr qint64 HeaderLength = 12;
inline constexpr qint64 BlockLength = 8;
// The largest n whose .bf length stays below 2^31, the reach of the signed 32-bit length field.
inline constexpr qint64 LargestPlainLength = 2147483628;

// T, the length of the .bf form of n plain bytes.
constexpr qint64 bfLength(qint64 plainLength)
{
    return (plainLength + HeaderLength + BlockLength - 1) / BlockLength * BlockLength;
}

// Whether a length field n fits a .bf form of T bytes: 12 to 19 bytes of header and padding.
constexpr bool sizeDescriptorHolds(qint64 total, qint64 plainLength)
{
    return plainLength >= 0 && total - plainLength >= HeaderLength && total - plainLength <= HeaderLength + 7;
}

// The two header values of a new .bf form, each in 0 to 2^31 - 1.
struct HeaderValues
{
    quint32 first = 0;
    quint32 second = 0;
};

// Fresh header values from the system's random source.
HeaderValues freshHeaderValues();

// True when the path names a file whose length can be read.
bool FileExistsByLength(const QString& path);

} // namespace crypto
