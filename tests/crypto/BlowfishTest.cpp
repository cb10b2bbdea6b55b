#include "crypto/Blowfish.h"

#include <gtest/gtest.h>

using crypto::BlowfishCipher;

namespace
{

struct BlockVector
{
    QByteArray key;
    quint64 plain;
    quint64 cipher;
};

quint64 encipher(const BlowfishCipher& cipher, quint64 block)
{
    quint32 left = static_cast<quint32>(block >> 32);
    quint32 right = static_cast<quint32>(block);
    cipher.EncipherBlock(left, right);
    return (static_cast<quint64>(left) << 32) | right;
}

quint64 decipher(const BlowfishCipher& cipher, quint64 block)
{
    quint32 left = static_cast<quint32>(block >> 32);
    quint32 right = static_cast<quint32>(block);
    cipher.DecipherBlock(left, right);
    return (static_cast<quint64>(left) << 32) | right;
}

} // namespace

TEST(BlowfishTest, PublishedBlocksForScheduledKeys)
{
    const BlockVector vectors[] = {
        {QByteArray::fromHex("0000000000000000"), 0x0000000000000000, 0x4EF997456198DD78},
        {QByteArray::fromHex("FFFFFFFFFFFFFFFF"), 0xFFFFFFFFFFFFFFFF, 0x51866FD5B85ECB8A},
        {QByteArray::fromHex("3000000000000000"), 0x1000000000000001, 0x7D856F9A613063F2},
        {QByteArray::fromHex("FEDCBA9876543210"), 0x0123456789ABCDEF, 0x0ACEAB0FC6A0A28D},
        {"abcdefghijklmnopqrstuvwxyz", 0x424C4F5746495348 /* "BLOWFISH" */, 0x324ED0FEF413A203},
        {"Who is John Galt?", 0xFEDCBA9876543210, 0xCC91732B8022F684},
    };
    for (const BlockVector& v : vectors) {
        const BlowfishCipher cipher = BlowfishCipher::keyed(v.key);
        EXPECT_EQ(encipher(cipher, v.plain), v.cipher) << v.key.toHex().constData();
        EXPECT_EQ(decipher(cipher, v.cipher), v.plain) << v.key.toHex().constData();
    }
}

TEST(BlowfishTest, KeylessTablesExchangeTheWords)
{
    const BlowfishCipher keyless = BlowfishCipher::keyless();
    EXPECT_EQ(keyless.RoundFunction(0x12345678), 0u);
    EXPECT_EQ(encipher(keyless, 0x0102030405060708), 0x0506070801020304u);
    EXPECT_EQ(decipher(keyless, 0x0506070801020304), 0x0102030405060708u);
}

TEST(BlowfishTest, KeyBytesBeyondTheSeventySecondAreIgnored)
{
    const QByteArray base(72, 'k');
    const quint64 block = 0x0011223344556677;
    const quint64 expected = encipher(BlowfishCipher::keyed(base), block);
    EXPECT_EQ(encipher(BlowfishCipher::keyed(base + "tail"), block), expected);

    QByteArray changedLast = base;
    changedLast[71] = 'K';
    EXPECT_NE(encipher(BlowfishCipher::keyed(changedLast), block), expected);
}

TEST(BlowfishTest, KeyTextsAreTheirUtf8BytesAndLetterCaseCounts)
{
    EXPECT_EQ(crypto::keyBytes(QStringLiteral("Pässwort")), QByteArray("P\xC3\xA4sswort"));
    const quint64 block = 0x0011223344556677;
    EXPECT_NE(encipher(BlowfishCipher::keyed(crypto::keyBytes("secret")), block),
              encipher(BlowfishCipher::keyed(crypto::keyBytes("Secret")), block));
}
