#include "platform/FileCopy.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "support/ProgramFolderTest.h"
#include "support/RecordingRun.h"
#include "support/ZipFixtures.h"

using platform::copyFileReplacing;

namespace
{
class FileCopyTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& relative) const { return dir.path() + "/" + relative; }
    // Hidden names too: a temporary left behind starts with a dot.
    QStringList namesIn(const QString& folder) const
    {
        return QDir(path(folder)).entryList(QDir::Files | QDir::Hidden);
    }

    QTemporaryDir dir;
};
} // namespace

TEST_F(FileCopyTest, CopiesAndReplacesKeepingDateAndMode)
{
    const QByteArray bytes = test::noisyBytes(2 * 1024 * 1024 + 5);
    ASSERT_TRUE(test::writeFile(path("src/a.bin"), bytes));
    const QDateTime stamp(QDate(2020, 2, 29), QTime(13, 14, 15));
    ASSERT_TRUE(platform::setFileDateAndMode(path("src/a.bin"), stamp, 0750));
    ASSERT_TRUE(QDir().mkpath(path("dst")));

    for (const QByteArray& before : {QByteArray(), QByteArray("old content")}) {
        if (!before.isNull()) {
            ASSERT_TRUE(test::writeFile(path("dst/a.bin"), before));
        }
        const platform::CopyResult result = copyFileReplacing(path("src/a.bin"), path("dst/a.bin"));
        EXPECT_TRUE(result.succeeded()) << result.reason().toStdString();
        EXPECT_EQ(result.bytes, bytes.size());
        EXPECT_EQ(test::readFile(path("dst/a.bin")), bytes);
        EXPECT_EQ(QFileInfo(path("dst/a.bin")).lastModified(), stamp);
        struct stat st = {};
        ASSERT_EQ(::stat(QFile::encodeName(path("dst/a.bin")).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0750u);
        EXPECT_EQ(namesIn("dst"), QStringList {"a.bin"});
    }
}

TEST_F(FileCopyTest, CopiesEveryByteWhateverTheSize)
{
    // Empty, odd sizes around a page, and sizes that take several of the copy's chunks.
    const qsizetype sizes[] = {0, 1, 4095, 4097, 4 * 1024 * 1024 + 1, 9 * 1024 * 1024 + 7};
    ASSERT_TRUE(QDir().mkpath(path("dst")));
    for (const qsizetype size : sizes) {
        SCOPED_TRACE(size);
        const QByteArray bytes = test::noisyBytes(size, quint32(size));
        ASSERT_TRUE(test::writeFile(path("src/f.bin"), bytes));

        const platform::CopyResult result = copyFileReplacing(path("src/f.bin"), path("dst/f.bin"));

        EXPECT_TRUE(result.succeeded()) << result.reason().toStdString();
        EXPECT_EQ(result.bytes, size);
        EXPECT_TRUE(test::readFile(path("dst/f.bin")) == bytes);
    }
}

TEST_F(FileCopyTest, CopiesFilesWhoseSizeIsNotTheirContent)
{
    // The kernel's own files state a size of 0 or of a page, and an in-kernel copy refuses them or
    // stops at the stated size; the copy must hold what reading them gives.
    ASSERT_TRUE(QDir().mkpath(path("dst")));
    int readable = 0;
    for (const char* source : {"/proc/version", "/sys/devices/system/cpu/possible"}) {
        SCOPED_TRACE(source);
        QFile file(QString::fromLatin1(source));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        ++readable;
        const QByteArray content = file.readAll();
        ASSERT_FALSE(content.isEmpty());
        ASSERT_NE(QFileInfo(file).size(), content.size());

        const platform::CopyResult result = copyFileReplacing(QString::fromLatin1(source), path("dst/kernel.txt"));

        EXPECT_TRUE(result.succeeded()) << result.reason().toStdString();
        EXPECT_EQ(test::readFile(path("dst/kernel.txt")), content);
        EXPECT_EQ(result.bytes, content.size());
    }
    if (readable == 0)
        GTEST_SKIP() << "no kernel file is readable here";
}

TEST_F(FileCopyTest, ReplacesFilesWhoseNamesTakeTheWholeNameLimit)
{
    const QString names[] = {
        QString(200, 'n'),
        QString(248, 'n'),
        QString(255, 'n'),
        // 255 bytes in three-byte characters.
        QString(85, QChar(0x65E5)),
        QString(60, 'n') + QString(65, QChar(0x65E5)),
    };
    ASSERT_TRUE(QDir().mkpath(path("dst")));
    for (const QString& name : names) {
        SCOPED_TRACE(QFile::encodeName(name).size());
        ASSERT_TRUE(test::writeFile(path("src/") + name, "first"));
        ASSERT_TRUE(copyFileReplacing(path("src/") + name, path("dst/") + name).succeeded());
        ASSERT_TRUE(test::writeFile(path("src/") + name, "second"));

        const platform::CopyResult again = copyFileReplacing(path("src/") + name, path("dst/") + name);

        EXPECT_TRUE(again.succeeded()) << again.reason().toStdString();
        EXPECT_EQ(test::readFile(path("dst/") + name), "second");
        EXPECT_EQ(namesIn("dst"), QStringList {name});
        ASSERT_TRUE(QFile::remove(path("dst/") + name));
    }
}

TEST_F(FileCopyTest, FailedOrStoppedCopyLeavesTheTargetWhole)
{
    // Larger than any one chunk of the copy, so that the stop falls between chunks.
    ASSERT_TRUE(test::writeFile(path("src/big.bin"), test::noisyBytes(9 * 1024 * 1024)));
    ASSERT_TRUE(test::writeFile(path("dst/big.bin"), "the file in place"));
    ASSERT_TRUE(QDir().mkpath(path("dst/folder.bin")));

    // A stop request that arrives through the event loop while the first chunk is copied.
    bool stop = false;
    QTimer::singleShot(0, [&] { stop = true; });
    test::RecordingRun run;
    run.stopWhen = [&] { return stop; };
    platform::CopyResult result = copyFileReplacing(path("src/big.bin"), path("dst/big.bin"), run);
    EXPECT_TRUE(result.stopped());
    EXPECT_EQ(run.stopQuestions, 1);
    EXPECT_EQ(test::readFile(path("dst/big.bin")), "the file in place");

    result = copyFileReplacing(path("src/missing.bin"), path("dst/big.bin"));
    EXPECT_FALSE(result.succeeded() || result.stopped());
    EXPECT_TRUE(result.reason().contains("missing.bin")) << result.reason().toStdString();
    EXPECT_EQ(test::readFile(path("dst/big.bin")), "the file in place");

    result = copyFileReplacing(path("src/big.bin"), path("dst/folder.bin"));
    EXPECT_FALSE(result.succeeded() || result.stopped());
    EXPECT_TRUE(QFileInfo(path("dst/folder.bin")).isDir());

    result = copyFileReplacing(path("src/big.bin"), path("nowhere/big.bin"));
    EXPECT_FALSE(result.succeeded() || result.stopped());

    // A pipe is no file to copy, and opening it must not wait for a writer.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("src/pipe")).constData(), 0600), 0);
    result = copyFileReplacing(path("src/pipe"), path("dst/big.bin"));
    EXPECT_FALSE(result.succeeded() || result.stopped());
    EXPECT_EQ(test::readFile(path("dst/big.bin")), "the file in place");

    // No temporary file is left behind.
    EXPECT_EQ(namesIn("dst"), QStringList {"big.bin"});
}
