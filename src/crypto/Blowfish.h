#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>

namespace crypto
{

// The word whose bytes, most significant first, are bytes[0] to bytes[3].
inline quint32 GetWord(const char* bytes)
{
    return qFromBigEndian<quint32>(bytes);
}

// Stores the word at bytes[0] to bytes[3], most significant byte first.
inline void PutWord(quint32 word, char* bytes)
{
    qToBigEndian(word, bytes);
}

// The sum modulo 2^32.
constexpr quint32 UnsignedAdd(quint32 a, quint32 b)
{
    return a + b;
}

// The chaining value of a stream: the previous stored block, zero before the first.
struct Chain
{
    quint32 left = 0;
    quint32 right = 0;
};

// The Blowfish block cipher over one set of tables. Blocks are two words, each read big-endian.
class BlowfishCipher
{
public:
    // The published initial tables, as before any key is scheduled.
    BlowfishCipher();

    // All-zero tables: the keyless transform that older .bf files were written with, under which a block
    // comes out with its two words exchanged.
    static BlowfishCipher keyless();
    // The published tables scheduled for the key bytes; an empty key leaves them as published.
    static BlowfishCipher keyed(const QByteArray& key);

    // Resets to the published tables and schedules the key over them. Keys of more than 72 bytes use
    // only their first 72.
    void schedule(const QByteArray& key);

    void EncipherBlock(quint32& left, quint32& right) const;
    void DecipherBlock(quint32& left, quint32& right) const;
    quint32 RoundFunction(quint32 x) const;

    // Chained transforms of whole 8-byte blocks in place; `chain` carries on from one call to the next.
    void encipherChain(char* data, qsizetype blocks, Chain& chain) const;
    void decipherChain(char* data, qsizetype blocks, Chain& chain) const;

private:
    quint32 m_subkeys[18];
    quint32 m_sboxes[4][256];
};

// The key bytes of a key text: its UTF-8 form, so that every character of a password counts.
QByteArray keyBytes(const QString& key);

} // namespace crypto
