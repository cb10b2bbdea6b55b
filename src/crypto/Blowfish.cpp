#include "crypto/Blowfish.h"

#include <cstring>

#include "crypto/BlowfishTables.h"

namespace crypto
{
namespace
{

using Subkeys = quint32[18];
using SBoxes = quint32[4][256];

// The block steps are forced inline: chained blocks wait on every round, so a call per round costs
// a large part of the throughput.
[[gnu::always_inline]] inline quint32 roundFunction(const SBoxes& s, quint32 x)
{
    return UnsignedAdd(UnsignedAdd(s[0][x >> 24], s[1][(x >> 16) & 0xFF]) ^ s[2][(x >> 8) & 0xFF], s[3][x & 0xFF]);
}

[[gnu::always_inline]] inline void encipher(const Subkeys& p, const SBoxes& s, quint32& left, quint32& right)
{
    quint32 l = left;
    quint32 r = right;
#pragma GCC unroll 8
    for (int k = 0; k < 8; ++k) {
        l ^= p[2 * k];
        r ^= roundFunction(s, l);
        r ^= p[2 * k + 1];
        l ^= roundFunction(s, r);
    }
    left = p[17] ^ r;
    right = p[16] ^ l;
}

[[gnu::always_inline]] inline void decipher(const Subkeys& p, const SBoxes& s, quint32& left, quint32& right)
{
    quint32 l = p[16] ^ right;
    quint32 r = p[17] ^ left;
#pragma GCC unroll 8
    for (int k = 7; k >= 0; --k) {
        l ^= roundFunction(s, r);
        r ^= p[2 * k + 1];
        r ^= roundFunction(s, l);
        l ^= p[2 * k];
    }
    left = l;
    right = r;
}

} // namespace

BlowfishCipher::BlowfishCipher()
{
    std::memcpy(m_subkeys, InitialSubkeys, sizeof m_subkeys);
    std::memcpy(m_sboxes, InitialSBoxes, sizeof m_sboxes);
}

BlowfishCipher BlowfishCipher::keyless()
{
    BlowfishCipher cipher;
    std::memset(cipher.m_subkeys, 0, sizeof cipher.m_subkeys);
    std::memset(cipher.m_sboxes, 0, sizeof cipher.m_sboxes);
    return cipher;
}

BlowfishCipher BlowfishCipher::keyed(const QByteArray& key)
{
    BlowfishCipher cipher;
    cipher.schedule(key);
    return cipher;
}

void BlowfishCipher::schedule(const QByteArray& key)
{
    std::memcpy(m_subkeys, InitialSubkeys, sizeof m_subkeys);
    std::memcpy(m_sboxes, InitialSBoxes, sizeof m_sboxes);
    if (key.isEmpty())
        return;

    const qsizetype length = key.size();
    qsizetype j = 0;
    for (quint32& subkey : m_subkeys) {
        quint32 word = 0;
        for (int b = 0; b < 4; ++b) {
            word = (word << 8) | static_cast<uchar>(key[j]);
            j = (j + 1) % length;
        }
        subkey ^= word;
    }

    quint32 left = 0;
    quint32 right = 0;
    for (int i = 0; i < 18; i += 2) {
        EncipherBlock(left, right);
        m_subkeys[i] = left;
        m_subkeys[i + 1] = right;
    }
    for (auto& box : m_sboxes) {
        for (int e = 0; e < 256; e += 2) {
            EncipherBlock(left, right);
            box[e] = left;
            box[e + 1] = right;
        }
    }
}

quint32 BlowfishCipher::RoundFunction(quint32 x) const
{
    return roundFunction(m_sboxes, x);
}

void BlowfishCipher::EncipherBlock(quint32& left, quint32& right) const
{
    encipher(m_subkeys, m_sboxes, left, right);
}

void BlowfishCipher::DecipherBlock(quint32& left, quint32& right) const
{
    decipher(m_subkeys, m_sboxes, left, right);
}

void BlowfishCipher::encipherChain(char* data, qsizetype blocks, Chain& chain) const
{
    quint32 left = chain.left;
    quint32 right = chain.right;
    for (qsizetype i = 0; i < blocks; ++i, data += 8) {
        left ^= GetWord(data);
        right ^= GetWord(data + 4);
        encipher(m_subkeys, m_sboxes, left, right);
        PutWord(left, data);
        PutWord(right, data + 4);
    }
    chain = {left, right};
}

void BlowfishCipher::decipherChain(char* data, qsizetype blocks, Chain& chain) const
{
    quint32 previousLeft = chain.left;
    quint32 previousRight = chain.right;
    for (qsizetype i = 0; i < blocks; ++i, data += 8) {
        const quint32 storedLeft = GetWord(data);
        const quint32 storedRight = GetWord(data + 4);
        quint32 left = storedLeft;
        quint32 right = storedRight;
        decipher(m_subkeys, m_sboxes, left, right);
        PutWord(left ^ previousLeft, data);
        PutWord(right ^ previousRight, data + 4);
        previousLeft = storedLeft;
        previousRight = storedRight;
    }
    chain = {previousLeft, previousRight};
}

QByteArray keyBytes(const QString& key)
{
    return key.toUtf8();
}

} // namespace crypto
