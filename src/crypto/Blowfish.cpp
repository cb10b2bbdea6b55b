#include "crypto/Blowfish.h"

#include <cstring>

#include "crypto/BlowfishTables.h"

namespace crypto
{

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
    return UnsignedAdd(UnsignedAdd(m_sboxes[0][x >> 24], m_sboxes[1][(x >> 16) & 0xFF]) ^ m_sboxes[2][(x >> 8) & 0xFF],
                       m_sboxes[3][x & 0xFF]);
}

void BlowfishCipher::EncipherBlock(quint32& left, quint32& right) const
{
    quint32 l = left;
    quint32 r = right;
    for (int k = 0; k < 8; ++k) {
        l ^= m_subkeys[2 * k];
        r ^= RoundFunction(l);
        r ^= m_subkeys[2 * k + 1];
        l ^= RoundFunction(r);
    }
    left = m_subkeys[17] ^ r;
    right = m_subkeys[16] ^ l;
}

void BlowfishCipher::DecipherBlock(quint32& left, quint32& right) const
{
    quint32 l = m_subkeys[16] ^ right;
    quint32 r = m_subkeys[17] ^ left;
    for (int k = 7; k >= 0; --k) {
        l ^= RoundFunction(r);
        r ^= m_subkeys[2 * k + 1];
        r ^= RoundFunction(l);
        l ^= m_subkeys[2 * k];
    }
    left = l;
    right = r;
}

void BlowfishCipher::encipherChain(char* data, qsizetype blocks, Chain& chain) const
{
    quint32 left = chain.left;
    quint32 right = chain.right;
    for (qsizetype i = 0; i < blocks; ++i, data += 8) {
        left ^= GetWord(data);
        right ^= GetWord(data + 4);
        EncipherBlock(left, right);
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
        DecipherBlock(left, right);
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
