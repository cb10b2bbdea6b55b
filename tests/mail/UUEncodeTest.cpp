#include "mail/UUEncode.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "mail/UUDecoders.h"
#include "support/ProgramFolderTest.h"

namespace
{
QByteArray sample(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 37 + 11) % 256);
    return bytes;
}

QList<QByteArray> lines(const QByteArray& block)
{
    QList<QByteArray> result = block.split('\n');
    EXPECT_TRUE(result.takeLast().isEmpty()) << "every line ends with CR LF";
    for (QByteArray& line : result) {
        EXPECT_TRUE(line.endsWith('\r'));
        line.chop(1);
    }
    return result;
}
} // namespace

TEST(UUEncodeTest, BlocksHaveTheClassicShapeWithoutAnEmptyDataLineForWholeLines)
{
    QTemporaryDir dir;
    struct Case
    {
        qsizetype size;
        QList<QByteArray> expected;
    };
    const Case cases[] = {
        {0, {"begin 664 f.bin", "`", "end"}},
        {1, {"begin 664 f.bin", "!\"P``", "`", "end"}},
        {45, {"begin 664 f.bin", lines(mail::UUEncode::dataLines(sample(45))).value(0), "`", "end"}},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath("f.bin");
        ASSERT_TRUE(test::writeFile(path, sample(c.size)));
        const std::optional<QByteArray> block = mail::UUEncodeFile(path);
        ASSERT_TRUE(block);
        EXPECT_EQ(lines(*block), c.expected) << "size " << c.size;
    }
    const QList<QByteArray> full = lines(mail::UUEncode::dataLines(sample(45)));
    ASSERT_EQ(full.size(), 1);
    EXPECT_EQ(full.at(0).size(), 61);
    EXPECT_EQ(full.at(0).at(0), 'M');
    EXPECT_FALSE(full.at(0).contains(' ')) << "zero values are written as the grave accent";
}

TEST(UUEncodeTest, EverySizeDecodesToItsBytesWithBothDecoders)
{
    QTemporaryDir dir;
    for (const qsizetype size : {0, 1, 2, 14, 44, 45, 46, 90, 1000, 4095}) {
        const QString path = dir.filePath(QStringLiteral("sample-%1.dat").arg(size));
        const QByteArray bytes = sample(size);
        ASSERT_TRUE(test::writeFile(path, bytes));
        const std::optional<QByteArray> block = mail::UUEncodeFile(path);
        ASSERT_TRUE(block);
        EXPECT_TRUE(block->startsWith("begin 664 sample-" + QByteArray::number(size) + ".dat\r\n"));
        EXPECT_EQ(test::uudecode(*block), bytes) << "uudecode, size " << size;
        EXPECT_EQ(test::binasciiDecode(*block), bytes) << "binascii, size " << size;
    }
}

TEST(UUEncodeTest, FourteenBytesLeaveALastLineThatStartsWithADot)
{
    const QList<QByteArray> encoded = lines(mail::UUEncode::dataLines(sample(45 + 14)));
    ASSERT_EQ(encoded.size(), 2);
    EXPECT_EQ(encoded.at(1).at(0), '.');
}

TEST(UUEncodeTest, AFileThatCannotBeReadGivesItsReason)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(mail::UUEncodeFile(dir.filePath("missing.txt"), &error));
    EXPECT_FALSE(error.isEmpty());
}
