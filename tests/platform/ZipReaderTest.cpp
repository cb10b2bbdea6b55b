#include "platform/ZipReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/ProgramFolderTest.h"
#include "support/RecordingRun.h"
#include "support/ZipFixtures.h"

using platform::ZipEntryInfo;
using platform::ZipEntryKind;
using platform::ZipReader;
using platform::ZipReadStatus;

namespace
{
// A tree zipped by Info-ZIP with folders, a link and a file several chunks long.
class ZipReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        big = test::noisyBytes(3 * ZipReader::ChunkSize + 123);
        ASSERT_TRUE(test::writeFile(path("tree/a.txt"), "alpha\n"));
        ASSERT_TRUE(test::writeFile(path("tree/sub/big.bin"), big));
        ASSERT_TRUE(QDir().mkpath(path("tree/sub/empty")));
        ASSERT_TRUE(QFile::link("a.txt", path("tree/ln")));
        ASSERT_TRUE(test::runZip(path("tree"), {"-r", "-y", path("t.zip"), "."}));
    }

    QString path(const QString& relative) const { return dir.path() + "/" + relative; }

    const ZipEntryInfo* entry(const ZipReader& reader, const QString& name) const
    {
        for (const ZipEntryInfo& e : reader.entries()) {
            if (e.name == name)
                return &e;
        }
        return nullptr;
    }

    QTemporaryDir dir;
    QByteArray big;
};
} // namespace

TEST_F(ZipReaderTest, ListsWhatInfoZipWrote)
{
    ZipReader reader;
    ASSERT_TRUE(reader.open(path("t.zip"))) << reader.errorString().toStdString();

    struct Expected
    {
        QString name;
        ZipEntryKind kind;
        qint64 size;
    };
    const Expected expected[] = {
        {"a.txt", ZipEntryKind::File, 6},
        {"sub/", ZipEntryKind::Folder, 0},
        {"sub/big.bin", ZipEntryKind::File, big.size()},
        {"sub/empty/", ZipEntryKind::Folder, 0},
        {"ln", ZipEntryKind::Link, 5},
    };
    EXPECT_EQ(reader.entries().size(), std::size(expected));
    for (const Expected& e : expected) {
        const ZipEntryInfo* info = entry(reader, e.name);
        ASSERT_NE(info, nullptr) << e.name.toStdString();
        EXPECT_EQ(info->kind, e.kind) << e.name.toStdString();
        EXPECT_EQ(info->size, e.size) << e.name.toStdString();
        EXPECT_FALSE(info->encrypted);
        EXPECT_TRUE(info->unixPermissions.has_value());
    }
    // The extended time stamp gives the source's time to the second.
    const ZipEntryInfo* a = entry(reader, "a.txt");
    EXPECT_EQ(a->modified.toSecsSinceEpoch(), QFileInfo(path("tree/a.txt")).lastModified().toSecsSinceEpoch());
    EXPECT_EQ(a->method, 0);
    EXPECT_EQ(entry(reader, "sub/big.bin")->method, 8);
}

TEST_F(ZipReaderTest, StreamsAnEntryInChunks)
{
    ZipReader reader;
    ASSERT_TRUE(reader.open(path("t.zip")));
    QByteArray got;
    int chunks = 0;
    const ZipReadStatus status = reader.read(entry(reader, "sub/big.bin")->index, [&](const char* data, qint64 size) {
        EXPECT_LE(size, ZipReader::ChunkSize);
        got.append(data, size);
        ++chunks;
        return true;
    });
    EXPECT_EQ(status, ZipReadStatus::Ok) << reader.errorString().toStdString();
    EXPECT_GE(chunks, 4);
    EXPECT_EQ(got, big);

    // A sink that stops ends the read at once, and so does the run's stop request.
    chunks = 0;
    EXPECT_EQ(reader.read(entry(reader, "sub/big.bin")->index, [&](const char*, qint64) { return ++chunks < 2; }),
              ZipReadStatus::Interrupted);
    EXPECT_EQ(chunks, 2);
    chunks = 0;
    test::RecordingRun run;
    run.stopWhen = [&] { return chunks == 2; };
    EXPECT_EQ(reader.read(
                  entry(reader, "sub/big.bin")->index, [&](const char*, qint64) { return ++chunks > 0; }, {}, &run),
              ZipReadStatus::Interrupted);
    EXPECT_EQ(chunks, 2);
    EXPECT_EQ(run.stopQuestions, 2);
}

TEST_F(ZipReaderTest, DamagedArchivesAreReportedNotRead)
{
    // A bad CRC shows only once the entry has been read whole.
    ASSERT_TRUE(QFile::copy(path("t.zip"), path("crc.zip")));
    ASSERT_TRUE(test::flipStoredCrc(path("crc.zip"), "sub/big.bin"));
    ZipReader reader;
    ASSERT_TRUE(reader.open(path("crc.zip")));
    EXPECT_EQ(reader.read(entry(reader, "sub/big.bin")->index, [](const char*, qint64) { return true; }),
              ZipReadStatus::Damaged);
    EXPECT_FALSE(reader.errorString().isEmpty());
    EXPECT_EQ(reader.read(entry(reader, "a.txt")->index, [](const char*, qint64) { return true; }), ZipReadStatus::Ok);

    const qint64 size = QFileInfo(path("t.zip")).size();
    for (const qint64 cut : {size - 10, size / 2, qint64(3)}) {
        ASSERT_TRUE(QFile::copy(path("t.zip"), path("cut.zip")));
        ASSERT_TRUE(test::truncateFile(path("cut.zip"), cut));
        ZipReader cutReader;
        const platform::Result opened = cutReader.open(path("cut.zip"));
        EXPECT_FALSE(opened.succeeded()) << cut;
        EXPECT_FALSE(opened.reason().isEmpty());
        EXPECT_EQ(cutReader.errorString(), opened.reason());
        EXPECT_TRUE(cutReader.entries().isEmpty());
        QFile::remove(path("cut.zip"));
    }
    EXPECT_FALSE(reader.open(path("missing.zip")));
}

TEST_F(ZipReaderTest, AnEntryIsNeverReadPastItsRecordedSize)
{
    // Zeros pack a thousand to one: an entry that records a small size may unpack to far more.
    const qint64 size = 4 * ZipReader::ChunkSize;
    ASSERT_TRUE(test::writeFile(path("tree/zeros.bin"), QByteArray(size, '\0')));
    const struct
    {
        qint64 recorded;
        ZipReadStatus status;
        QString error;
    } cases[] = {
        {size, ZipReadStatus::Ok, ""},
        {size - 1, ZipReadStatus::Damaged,
         QString("the entry holds more than the %1 bytes its header records").arg(size - 1)},
        {10, ZipReadStatus::Damaged, "the entry holds more than the 10 bytes its header records"},
        // Less data than recorded is a file cut short, even where the CRC matches what is there.
        {size + 1, ZipReadStatus::Damaged,
         QString("the entry ends after %1 of the %2 bytes its headers record").arg(size).arg(size + 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.recorded);
        QFile::remove(path("z.zip"));
        ASSERT_TRUE(test::runZip(path("tree"), {path("z.zip"), "zeros.bin"}));
        ASSERT_TRUE(test::setRecordedSize(path("z.zip"), "zeros.bin", quint64(c.recorded)));
        ZipReader reader;
        ASSERT_TRUE(reader.open(path("z.zip"))) << reader.errorString().toStdString();
        ASSERT_EQ(reader.entries().first().size, c.recorded);
        qint64 given = 0;
        EXPECT_EQ(reader.read(0,
                              [&](const char*, qint64 chunk) {
                                  given += chunk;
                                  return true;
                              }),
                  c.status);
        EXPECT_LE(given, c.recorded);
        EXPECT_EQ(reader.errorString(), c.error);
    }
}

TEST_F(ZipReaderTest, AnEntryCutShortByItsCentralHeaderIsDamaged)
{
    // The central directory is what the reader goes by; the local header still tells the truth, so
    // Info-ZIP's unzip passes these archives.
    const QByteArray text = QByteArray("a line of text that packs well\n").repeated(40);
    ASSERT_TRUE(test::writeFile(path("tree/t.txt"), text));
    const struct
    {
        const char* name;
        bool deflated;
        quint32 compressed;
        std::optional<quint32> size;
    } cases[] = {
        {"stored, compressed size 0", false, 0, std::nullopt},
        {"stored, compressed size too small", false, 7, std::nullopt},
        {"deflated, compressed size 0", true, 0, std::nullopt},
        {"deflated, compressed size too small", true, 7, std::nullopt},
        // Nothing left to compare in the central header: the local header's size counts.
        {"stored, both central sizes 0", false, 0, 0},
        {"deflated, both central sizes 0", true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("s.zip"));
        ASSERT_TRUE(test::runZip(path("tree"), {c.deflated ? "-9" : "-0", path("s.zip"), "t.txt"}));
        ASSERT_TRUE(test::setCentralSizes(path("s.zip"), "t.txt", c.compressed, c.size));
        EXPECT_TRUE(test::unzipTestsOk(path("s.zip")));
        ZipReader reader;
        ASSERT_TRUE(reader.open(path("s.zip"))) << reader.errorString().toStdString();
        QByteArray given;
        EXPECT_EQ(reader.read(0,
                              [&](const char* data, qint64 size) {
                                  given.append(data, size);
                                  return true;
                              }),
                  ZipReadStatus::Damaged)
            << given.size();
        EXPECT_FALSE(reader.errorString().isEmpty());
        EXPECT_LT(given.size(), text.size());
    }
}

TEST_F(ZipReaderTest, EncryptedEntriesNeedTheirPassword)
{
    ASSERT_TRUE(test::runZip(path("tree"), {"-P", "secret", path("p.zip"), "a.txt"}));
    ZipReader reader;
    ASSERT_TRUE(reader.open(path("p.zip")));
    ASSERT_EQ(reader.entries().size(), 1);
    EXPECT_TRUE(reader.entries().first().encrypted);

    QByteArray got;
    const auto sink = [&](const char* data, qint64 size) {
        got.append(data, size);
        return true;
    };
    EXPECT_EQ(reader.read(0, sink), ZipReadStatus::NeedPassword);
    // The check byte lets one wrong password in 256 through to the CRC check; both end as a wrong
    // password, whatever header zip chose.
    for (const char* wrong : {"wrong", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"}) {
        got.clear();
        EXPECT_EQ(reader.read(0, sink, wrong), ZipReadStatus::WrongPassword) << wrong;
    }
    got.clear();
    EXPECT_EQ(reader.read(0, sink, "secret"), ZipReadStatus::Ok);
    EXPECT_EQ(got, "alpha\n");
}

TEST(ZipEntryPath, NamesThatLeaveTheFolderAreRefused)
{
    const std::pair<QString, std::optional<QString>> cases[] = {
        {"a.txt", "a.txt"},
        {"home/u/a.txt", "home/u/a.txt"},
        {"sub/", "sub"},
        {"./sub//b.txt", "sub/b.txt"},
        {"win\\style\\c.txt", "win/style/c.txt"},
        {"a..b/c..", "a..b/c.."},
        {"../x", std::nullopt},
        {"sub/../../x", std::nullopt},
        {"..\\x", std::nullopt},
        {"/abs", std::nullopt},
        {"\\abs", std::nullopt},
        {"\\\\server\\share\\x", std::nullopt},
        {"C:/x", std::nullopt},
        {"c:x", std::nullopt},
        {"./", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [name, expected] : cases) {
        const platform::ZipEntryPath result = platform::zipEntryRelativePath(name);
        EXPECT_EQ(result.path, expected) << name.toStdString();
        EXPECT_EQ(result.refusal.isEmpty(), expected.has_value()) << name.toStdString();
    }
}
