#include "crypto/clsBlowfish.h"

#include <vector>

#include <QFile>

#include "CipherTestSupport.h"
#include "core/ErrorReport.h"
#include "crypto/BfFormat.h"

using namespace crypto;

namespace
{

class clsBlowfishTest : public test::CipherFolderTest
{
protected:
    // Records every Progress value; `answer`, when set, is what the handler leaves in Percent.
    std::vector<int> recordProgress(clsBlowfish& blowfish, std::optional<int> answer = std::nullopt)
    {
        QObject::connect(&blowfish, &clsBlowfish::Progress, &blowfish, [this, answer](int& percent) {
            seen.push_back(percent);
            if (answer)
                percent = *answer;
        });
        return {};
    }

    std::vector<int> seen;
};

std::vector<int> everyPercent()
{
    std::vector<int> all;
    for (int p = 0; p <= 100; ++p)
        all.push_back(p);
    return all;
}

} // namespace

TEST_F(clsBlowfishTest, ProgressFollowsTheBlocksOfTheForm)
{
    const struct
    {
        qsizetype plainLength;
        std::vector<int> expected;
    } cases[] = {
        {3, {0, 50, 100}},
        {12, {0, 33, 66, 100}},
        {20, {0, 25, 50, 75, 100}},
        {4095, everyPercent()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plainLength);
        clsBlowfish blowfish;
        recordProgress(blowfish);
        QByteArray bytes = test::sampleBytes(c.plainLength);
        ASSERT_TRUE(blowfish.EncryptByte(bytes, "key").succeeded());
        EXPECT_EQ(seen, c.expected);

        seen.clear();
        ASSERT_TRUE(blowfish.DecryptByte(bytes, "key").succeeded());
        EXPECT_EQ(seen, c.expected);
        EXPECT_EQ(bytes, test::sampleBytes(c.plainLength));
        seen.clear();
    }
}

TEST_F(clsBlowfishTest, HandlerThatLeavesOneHundredEndsTheReports)
{
    clsBlowfish blowfish;
    recordProgress(blowfish, 100);
    QByteArray bytes("abc");
    ASSERT_TRUE(blowfish.EncryptByte(bytes).succeeded());
    EXPECT_EQ(seen, std::vector<int>({0, 50}));
}

TEST_F(clsBlowfishTest, FailedDecryptionRaisesNoClosingReport)
{
    clsBlowfish writer;
    QByteArray bytes("abc");
    ASSERT_TRUE(writer.EncryptByte(bytes, "right").succeeded());
    const QByteArray form = bytes;

    clsBlowfish reader;
    recordProgress(reader);
    const CipherResult result = reader.DecryptByte(bytes, "wrong");
    EXPECT_EQ(result.status, CipherStatus::WrongPasswordOrDamaged);
    EXPECT_EQ(result.number, core::err::ObjectErrorBase);
    EXPECT_EQ(result.reason(), "Incorrect size descriptor in Blowfish decryption");
    EXPECT_EQ(bytes, form);
    EXPECT_EQ(std::find(seen.begin(), seen.end(), 100), seen.end());
}

TEST_F(clsBlowfishTest, TablesDependOnlyOnTheLastKey)
{
    QByteArray bytes = test::sampleBytes(50);
    clsBlowfish reused;
    ASSERT_TRUE(reused.setKey("first key").succeeded());
    ASSERT_TRUE(reused.EncryptByte(bytes, "second key").succeeded());

    clsBlowfish fresh;
    ASSERT_TRUE(fresh.setKey("second key").succeeded());
    QByteArray copy = bytes;
    ASSERT_TRUE(fresh.DecryptByte(copy).succeeded());
    EXPECT_EQ(copy, test::sampleBytes(50));

    // Texts that differ only in letter case are different keys; bytes past the 72nd do not count.
    copy = bytes;
    EXPECT_FALSE(clsBlowfish().DecryptByte(copy, "Second key").succeeded());
    const QString long72(72, QLatin1Char('k'));
    bytes = test::sampleBytes(50);
    ASSERT_TRUE(reused.EncryptByte(bytes, long72 + "one tail").succeeded());
    EXPECT_TRUE(clsBlowfish().DecryptByte(bytes, long72 + "another").succeeded());
    EXPECT_EQ(bytes, test::sampleBytes(50));
}

TEST_F(clsBlowfishTest, KeyAssignedByAProgressHandlerWaitsForTheNextOperation)
{
    clsBlowfish blowfish;
    QObject::connect(&blowfish, &clsBlowfish::Progress, &blowfish, [&blowfish](int&) { blowfish.setKey("other"); });
    QByteArray bytes = test::sampleBytes(4095);
    ASSERT_TRUE(blowfish.EncryptByte(bytes, "first").succeeded());

    clsBlowfish reader;
    ASSERT_TRUE(reader.DecryptByte(bytes, "first").succeeded());
    EXPECT_EQ(bytes, test::sampleBytes(4095));
}

TEST_F(clsBlowfishTest, WithoutAKeyNewObjectsUseThePublishedTables)
{
    QByteArray bytes("plain");
    ASSERT_TRUE(clsBlowfish().EncryptByte(bytes).succeeded());
    ASSERT_TRUE(clsBlowfish().DecryptByte(bytes).succeeded());
    EXPECT_EQ(bytes, "plain");
}

TEST_F(clsBlowfishTest, EmptyKeyAfterAnotherIsRefused)
{
    clsBlowfish blowfish;
    EXPECT_TRUE(blowfish.setKey("").succeeded());
    ASSERT_TRUE(blowfish.setKey("key").succeeded());
    const CipherResult result = blowfish.setKey("");
    EXPECT_EQ(result.status, CipherStatus::EmptyKey);
    EXPECT_EQ(result.number, core::err::SubscriptOutOfRange);
}

TEST_F(clsBlowfishTest, TextsRoundTrip)
{
    const QString texts[]
        = {QString(), QStringLiteral("abc"), QStringLiteral("Zeile 1\r\nZeile 2 \u00e4\u20ac\U0001F600"),
           QString(QChar(0)) + "after NUL"};
    for (const QString& text : texts) {
        clsBlowfish writer;
        const TextResult encrypted = writer.EncryptString(text, "Schlüssel");
        ASSERT_TRUE(encrypted.result.succeeded());
        EXPECT_EQ(encrypted.text.size(), bfLength(text.toUtf8().size()));

        clsBlowfish reader;
        const TextResult decrypted = reader.DecryptString(encrypted.text, "Schlüssel");
        ASSERT_TRUE(decrypted.result.succeeded()) << decrypted.result.reason().toStdString();
        EXPECT_EQ(decrypted.text, text);
    }
    EXPECT_EQ(clsBlowfish().DecryptString(QString(16, QChar(0x20AC))).result.status, CipherStatus::Damaged);
}

TEST_F(clsBlowfishTest, FilesRoundTripWithProgress)
{
    const QByteArray plain = test::sampleBytes((1 << 20) + 3);
    ASSERT_TRUE(test::writeFile(path("data"), plain));
    clsBlowfish blowfish;
    recordProgress(blowfish);
    ASSERT_TRUE(blowfish.EncryptFile(path("data"), path("data.bf"), "key").succeeded());
    EXPECT_EQ(seen, everyPercent());
    EXPECT_EQ(QFile(path("data.bf")).size(), bfLength(plain.size()));

    seen.clear();
    ASSERT_TRUE(blowfish.DecryptFile(path("data.bf"), path("restored")).succeeded());
    EXPECT_EQ(seen, everyPercent());
    EXPECT_EQ(test::readFile(path("restored")), plain);
}

TEST_F(clsBlowfishTest, MissingSourceFileIsAnError)
{
    clsBlowfish blowfish;
    for (const CipherResult& result : {blowfish.EncryptFile(path("absent"), path("absent.bf"), "key"),
                                       blowfish.DecryptFile(path("absent.bf"), path("absent"), "key")}) {
        EXPECT_EQ(result.status, CipherStatus::SourceMissing);
        EXPECT_EQ(result.number, core::err::ObjectErrorBase);
        EXPECT_EQ(result.reason(), "Error in Skipjack EncryptFile procedure (Source file does not exist).");
    }
    EXPECT_TRUE(names().isEmpty());
}
