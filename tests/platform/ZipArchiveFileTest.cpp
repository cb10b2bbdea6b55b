#include "platform/ZipArchiveFile.h"

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/ProgramFolderTest.h"
#include "support/ZipFixtures.h"

using namespace platform;

namespace
{

// One step of a write: bytes at the position, or a seek.
struct Step
{
    enum Kind
    {
        Write,
        Seek
    } kind;
    qsizetype count; // bytes to write, or the seek offset
    int whence = SEEK_SET;
};

Step put(qsizetype count)
{
    return {Step::Write, count};
}
Step seekTo(qsizetype offset, int whence = SEEK_SET)
{
    return {Step::Seek, offset, whence};
}

// Writes an archive of stored entries, so that its size is known, with the same entry times each build.
bool addStored(zip_t* archive, const char* name, const QByteArray& bytes)
{
    zip_source_t* source = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
    const zip_int64_t index = source ? zip_file_add(archive, name, source, ZIP_FL_OVERWRITE) : -1;
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0) == 0
        && zip_file_set_mtime(archive, zip_uint64_t(index), 1700000000, 0) == 0;
}

struct UmaskGuard
{
    explicit UmaskGuard(mode_t mask)
        : earlier(::umask(mask))
    { }
    ~UmaskGuard() { ::umask(earlier); }
    const mode_t earlier;
};

class ZipArchiveFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString path(const QString& name) const { return folder.path() + QLatin1Char('/') + name; }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

    // The archive at `name` with these entries, through libzip's own file or ours.
    bool build(const QString& name, bool ours, int flags, const QList<QPair<const char*, QByteArray>>& entries,
               qsizetype bufferSize = ZipArchiveBufferSize)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_t* archive = nullptr;
        if (ours) {
            zip_source_t* source = zipArchiveFileSource(path(name), &error, bufferSize);
            archive = source ? zip_open_from_source(source, flags, &error) : nullptr;
            if (!archive)
                zip_source_free(source);
        } else {
            archive = zip_open_from_source(zip_source_file_create(QFile::encodeName(path(name)), 0, -1, &error), flags,
                                           &error);
        }
        zip_error_fini(&error);
        if (!archive)
            return false;
        for (const auto& [entryName, bytes] : entries) {
            if (!addStored(archive, entryName, bytes)) {
                zip_discard(archive);
                return false;
            }
        }
        if (zip_close(archive) != 0) {
            zip_discard(archive);
            return false;
        }
        return true;
    }

    QTemporaryDir folder;
};

TEST_F(ZipArchiveFileTest, WritesAndSeeksEndWithTheBytesOfAPlainFile)
{
    // With a buffer of 16 bytes: rewrites inside the unflushed tail, behind it, and across its start.
    struct Case
    {
        const char* name;
        QList<Step> steps;
    };
    const Case cases[] = {
        {"one write", {put(5)}},
        {"writes that fill the buffer several times", {put(7), put(16), put(40), put(1)}},
        {"a header rewritten in the buffer",
         {put(30), put(4), put(6), seekTo(34), put(4), seekTo(0, SEEK_END), put(3)}},
        {"a header rewritten behind the flushed part",
         {put(4), put(50), seekTo(4), put(4), seekTo(0, SEEK_END), put(2)}},
        {"a rewrite across the flushed part into the buffer",
         {put(40), seekTo(10), put(25), seekTo(-3, SEEK_END), put(9)}},
        {"seeks relative to here and the end", {put(20), seekTo(-6, SEEK_CUR), put(2), seekTo(-1, SEEK_END), put(1)}},
        {"a rewrite that grows the file", {put(33), seekTo(30), put(10)}},
    };
    int fill = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = path(QStringLiteral("plain.bin"));
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zipArchiveFileSource(target, &error, 16);
        ASSERT_NE(source, nullptr);
        ASSERT_EQ(zip_source_begin_write(source), 0);
        QByteArray expected;
        qsizetype position = 0;
        for (const Step& step : c.steps) {
            if (step.kind == Step::Write) {
                QByteArray bytes;
                for (qsizetype i = 0; i < step.count; ++i)
                    bytes += char('a' + fill++ % 26);
                ASSERT_EQ(zip_source_write(source, bytes.constData(), zip_uint64_t(bytes.size())), bytes.size());
                if (expected.size() < position + bytes.size())
                    expected.resize(position + bytes.size());
                expected.replace(position, bytes.size(), bytes);
                position += bytes.size();
            } else {
                ASSERT_EQ(zip_source_seek_write(source, step.count, step.whence), 0);
                position = step.count
                    + (step.whence == SEEK_CUR       ? position
                           : step.whence == SEEK_END ? expected.size()
                                                     : 0);
            }
            ASSERT_EQ(zip_source_tell_write(source), position);
        }
        // Nothing reaches the archive's own path before the commit.
        EXPECT_FALSE(QFile::exists(target));
        ASSERT_EQ(zip_source_commit_write(source), 0);
        zip_source_free(source);
        zip_error_fini(&error);
        EXPECT_EQ(test::readFile(target), expected);
        EXPECT_EQ(files(), QStringList {QStringLiteral("plain.bin")});
        ASSERT_TRUE(QFile::remove(target));
    }
}

TEST_F(ZipArchiveFileTest, ArchivesAreTheBytesAndModeLibzipsOwnFileGives)
{
    // Entries smaller and larger than the buffer, so that some headers are rewritten behind it.
    const QList<QPair<const char*, QByteArray>> first
        = {{"a.txt", "a\n"}, {"big.bin", test::noisyBytes(5000, 3)}, {"b.txt", QByteArray(300, 'b')}};
    const QList<QPair<const char*, QByteArray>> more = {{"c.bin", test::noisyBytes(3000, 4)}, {"a.txt", "A\n"}};
    const QString theirs = QStringLiteral("theirs.zip");
    const QString ours = QStringLiteral("ours.zip");
    const auto modeOf = [&](const QString& name) {
        struct stat info = {};
        return ::stat(QFile::encodeName(path(name)), &info) == 0 ? info.st_mode & 07777 : 0;
    };
    // A umask that clears bits the earlier archive has.
    const UmaskGuard umask(022);
    for (const qsizetype bufferSize : {qsizetype(64), qsizetype(1000), ZipArchiveBufferSize}) {
        SCOPED_TRACE(bufferSize);
        ASSERT_TRUE(build(theirs, false, ZIP_CREATE | ZIP_TRUNCATE, first));
        ASSERT_TRUE(build(ours, true, ZIP_CREATE | ZIP_TRUNCATE, first, bufferSize));
        EXPECT_EQ(test::readFile(path(ours)), test::readFile(path(theirs)));
        EXPECT_TRUE(test::unzipTestsOk(path(ours)));
        EXPECT_EQ(modeOf(ours), 0644u);
        EXPECT_EQ(modeOf(theirs), 0644u);

        // An update keeps the earlier archive's mode.
        for (const QString& name : {theirs, ours})
            ASSERT_EQ(::chmod(QFile::encodeName(path(name)), 0666), 0);
        ASSERT_TRUE(build(theirs, false, ZIP_CREATE, more));
        ASSERT_TRUE(build(ours, true, ZIP_CREATE, more, bufferSize));
        EXPECT_EQ(test::readFile(path(ours)), test::readFile(path(theirs)));
        EXPECT_TRUE(test::unzipTestsOk(path(ours)));
        EXPECT_EQ(modeOf(ours), 0666u);
        EXPECT_EQ(files(), (QStringList {ours, theirs}));
        ASSERT_TRUE(QFile::remove(path(ours)) && QFile::remove(path(theirs)));
    }
}

TEST_F(ZipArchiveFileTest, AFailedBuildLeavesTheEarlierArchiveAndNoTemporary)
{
    const QString name = QStringLiteral("set.zip");
    ASSERT_TRUE(build(name, true, ZIP_CREATE | ZIP_TRUNCATE, {{"a.txt", "a\n"}}));
    const QByteArray earlier = test::readFile(path(name));

    // A write the file system refuses (here: past the file size limit) fails the close, whether it
    // comes when the buffer fills or at the last flush, when libzip commits.
    for (const qsizetype bufferSize : {qsizetype(1000), ZipArchiveBufferSize}) {
        SCOPED_TRACE(bufferSize);
        struct rlimit limit = {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit earlierLimit = limit;
        limit.rlim_cur = 4096;
        const auto earlierHandler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const bool built
            = build(name, true, ZIP_CREATE | ZIP_TRUNCATE, {{"big.bin", test::noisyBytes(20000)}}, bufferSize);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &earlierLimit), 0);
        std::signal(SIGXFSZ, earlierHandler);
        EXPECT_FALSE(built);
        EXPECT_EQ(test::readFile(path(name)), earlier);
        EXPECT_EQ(files(), QStringList {name});
    }

    // A write rolled back, and a source freed while it writes.
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zipArchiveFileSource(path(name), &error);
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(zip_source_begin_write(source), 0);
    ASSERT_EQ(zip_source_write(source, "PK", 2), 2);
    EXPECT_EQ(files().size(), 2);
    zip_source_rollback_write(source);
    EXPECT_EQ(files(), QStringList {name});
    ASSERT_EQ(zip_source_begin_write(source), 0);
    zip_source_free(source);
    zip_error_fini(&error);
    EXPECT_EQ(test::readFile(path(name)), earlier);
    EXPECT_EQ(files(), QStringList {name});
}

TEST_F(ZipArchiveFileTest, OpeningReportsWhatLibzipReports)
{
    ASSERT_TRUE(test::writeFile(path(QStringLiteral("text.zip")), QByteArray(100, 'x')));
    struct Case
    {
        QString name;
        int flags;
        int error;
    };
    const Case cases[] = {
        {QStringLiteral("text.zip"), ZIP_CREATE, ZIP_ER_NOZIP},
        {QStringLiteral("missing.zip"), 0, ZIP_ER_NOENT},
        {QStringLiteral("missing folder/set.zip"), ZIP_CREATE | ZIP_TRUNCATE, ZIP_ER_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        int ours = ZIP_ER_OK;
        zip_t* archive = openZipArchive(path(c.name), c.flags, &ours);
        EXPECT_EQ(ours, c.error);
        EXPECT_EQ(archive != nullptr, c.error == ZIP_ER_OK);
        if (archive) {
            // A missing folder shows when the archive is written.
            ASSERT_TRUE(addStored(archive, "a.txt", "a\n"));
            EXPECT_NE(zip_close(archive), 0);
            EXPECT_EQ(zip_error_code_zip(zip_get_error(archive)), ZIP_ER_TMPOPEN);
            zip_discard(archive);
        }
    }
    EXPECT_EQ(files(), QStringList {QStringLiteral("text.zip")});
}

} // namespace
