#include "crypto/BackupFileCipher.h"

#include <cerrno>
#include <functional>

#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QtEndian>

#include "CipherTestSupport.h"
#include "core/ProgramState.h"
#include "crypto/BfStream.h"
#include "platform/FileCopy.h"
#include "support/SmallDisk.h"

using namespace crypto;

namespace
{

class BackupFileCipherTest : public test::CipherFolderTest
{ };

// The .bf form that the keyless transform makes of `plain` (as older files were written).
QByteArray keylessForm(const QByteArray& plain)
{
    QByteArray bytes = plain;
    EXPECT_TRUE(encryptBytesWith(bytes, BlowfishCipher::keyless(), freshHeaderValues()).succeeded());
    return bytes;
}

// A keyless form of `total` bytes whose length field is `plainLength`, whatever the two agree on.
QByteArray keylessFormWithLengthField(qint64 total, qint32 plainLength)
{
    QByteArray image(total, '\0');
    qToLittleEndian<qint32>(plainLength, image.data() + 8);
    Chain chain;
    BlowfishCipher::keyless().encipherChain(image.data(), total / 8, chain);
    return image;
}

} // namespace

TEST_F(BackupFileCipherTest, WorkedExampleOfTheKeylessFormHoldsAndStillDecrypts)
{
    QByteArray bytes("abc");
    ASSERT_TRUE(encryptBytesWith(bytes, BlowfishCipher::keyless(), {0x04030201, 0x08070605}).succeeded());
    EXPECT_EQ(bytes, QByteArray::fromHex("05060708010203046060600406060708"));

    for (const QString& key : {QString(), QStringLiteral("any password")}) {
        QByteArray plain = bytes;
        ASSERT_TRUE(DecryptBytes(plain, key).succeeded()) << key.toStdString();
        EXPECT_EQ(plain, "abc");
    }
}

TEST_F(BackupFileCipherTest, FormLengthGrowsInWholeBlocks)
{
    const struct
    {
        qsizetype first;
        qsizetype last;
        qsizetype total;
    } ranges[] = {{0, 4, 16}, {5, 12, 24}, {13, 20, 32}, {21, 28, 40}};
    for (const auto& range : ranges) {
        for (qsizetype n = range.first; n <= range.last; ++n) {
            QByteArray bytes = test::sampleBytes(n);
            ASSERT_TRUE(EncryptBytes(bytes, "key").succeeded());
            EXPECT_EQ(bytes.size(), range.total) << n;
            ASSERT_TRUE(DecryptBytes(bytes, "key").succeeded()) << n;
            EXPECT_EQ(bytes, test::sampleBytes(n));
        }
    }
    // The largest protected file still has a length below 2^31.
    EXPECT_EQ(bfLength(LargestPlainLength), 2147483640);
    EXPECT_GE(bfLength(LargestPlainLength + 1), qint64(1) << 31);
}

TEST_F(BackupFileCipherTest, KeyedFormIsStandardBlowfishCbcOfThePlainImage)
{
    // openssl enc -bf-cbc -K <UTF-8 bytes of the key> -iv 0000000000000000 -nopad over the plain image:
    // header values 0x12345678 and 0x0ABCDEF0, length 21, the data, seven zero bytes.
    const QByteArray expected = QByteArray::fromHex("97bf04c7a22c3d066ef6f0a3ffc9e9ab75415e6125a3214b"
                                                    "352f6f2a9a0db877884d2f7dbc4fc391");
    const QString key = QStringLiteral("Pässwort-Quill!");
    const QByteArray plain("Blowfish in CBC mode!");

    QByteArray bytes = plain;
    ASSERT_TRUE(encryptBytesWith(bytes, BlowfishCipher::keyed(keyBytes(key)), {0x12345678, 0x0ABCDEF0}).succeeded());
    EXPECT_EQ(bytes.toHex(), expected.toHex());

    ASSERT_TRUE(DecryptBytes(bytes, key).succeeded());
    EXPECT_EQ(bytes, plain);
}

TEST_F(BackupFileCipherTest, KeyedFilesRoundTripAndRefuseAWrongPassword)
{
    const qsizetype sizes[] = {0, 1, 7, 8, 9, 4095, (1 << 20) + 3};
    for (const qsizetype size : sizes) {
        SCOPED_TRACE(size);
        const QByteArray plain = test::sampleBytes(size, static_cast<quint32>(size));
        ASSERT_TRUE(test::writeFile(path("data"), plain));
        // A longer file under the target name is replaced whole.
        ASSERT_TRUE(test::writeFile(path("data.bf"), QByteArray(3 << 20, 'x')));

        ASSERT_TRUE(EncryptBackupFile(path("data"), path("data.bf"), "correct horse").succeeded());
        const QByteArray form = test::readFile(path("data.bf"));
        EXPECT_EQ(form.size(), bfLength(size));

        ASSERT_TRUE(DecryptBackupFile(path("data.bf"), path("restored"), "correct horse").succeeded());
        EXPECT_EQ(test::readFile(path("restored")), plain);

        QFile::remove(path("restored"));
        const CipherResult wrong = DecryptBackupFile(path("data.bf"), path("restored"), "Correct horse");
        EXPECT_EQ(wrong.status, CipherStatus::WrongPasswordOrDamaged);
        EXPECT_EQ(wrong.reason(), "Wrong password or damaged file");
        EXPECT_FALSE(QFile::exists(path("restored")));

        QByteArray bytes = form;
        EXPECT_EQ(DecryptBytes(bytes, "wrong").status, CipherStatus::WrongPasswordOrDamaged);
        EXPECT_EQ(bytes, form);
        EXPECT_EQ(names(), QStringList({"data", "data.bf"}));
    }
}

TEST_F(BackupFileCipherTest, FilesKeepTheirPermissionsAndTimeThroughTheProtectedForm)
{
    // A private file must not come back readable by everyone.
    const QDateTime stamp(QDate(2024, 3, 5), QTime(10, 20, 30));
    for (const quint32 mode : {0600u, 0640u, 0755u, 0444u}) {
        SCOPED_TRACE(mode);
        for (const QString name : {"data", "data.bf", "restored"})
            QFile::setPermissions(path(name), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        ASSERT_TRUE(test::writeFile(path("data"), "private"));
        ASSERT_TRUE(platform::setFileDateAndMode(path("data"), stamp, mode));

        ASSERT_TRUE(EncryptBackupFile(path("data"), path("data.bf"), "pw").succeeded());
        ASSERT_TRUE(DecryptBackupFile(path("data.bf"), path("restored"), "pw").succeeded());
        for (const QString name : {"data.bf", "restored"}) {
            struct stat st = {};
            ASSERT_EQ(::stat(QFile::encodeName(path(name)).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, mode) << name.toStdString();
            EXPECT_EQ(QFileInfo(path(name)).lastModified(), stamp) << name.toStdString();
        }
        EXPECT_EQ(test::readFile(path("restored")), "private");
    }
}

TEST_F(BackupFileCipherTest, EveryFormHasFreshHeaderValues)
{
    ASSERT_TRUE(test::writeFile(path("data"), "same data"));
    ASSERT_TRUE(EncryptBackupFile(path("data"), path("one.bf"), "pw").succeeded());
    ASSERT_TRUE(EncryptBackupFile(path("data"), path("two.bf"), "pw").succeeded());
    EXPECT_NE(test::readFile(path("one.bf")), test::readFile(path("two.bf")));
    for (const QString name : {"one", "two"}) {
        ASSERT_TRUE(DecryptBackupFile(path(name + ".bf"), path(name), "pw").succeeded());
        EXPECT_EQ(test::readFile(path(name)), "same data");
    }
}

TEST_F(BackupFileCipherTest, KeylessFilesDecryptThroughTheFallback)
{
    for (const qsizetype size : {qsizetype(5), qsizetype((1 << 20) + 3)}) {
        const QByteArray plain = test::sampleBytes(size, 7);
        ASSERT_TRUE(test::writeFile(path("old.bf"), keylessForm(plain)));
        ASSERT_TRUE(DecryptBackupFile(path("old.bf"), path("old"), "whatever the version recorded").succeeded());
        EXPECT_EQ(test::readFile(path("old")), plain);
    }
}

TEST_F(BackupFileCipherTest, DamagedFilesGiveAClearErrorAndLeaveTheTargetAlone)
{
    ASSERT_TRUE(test::writeFile(path("data"), test::sampleBytes(100)));
    ASSERT_TRUE(EncryptBackupFile(path("data"), path("data.bf"), "pw").succeeded());
    const QByteArray good = test::readFile(path("data.bf"));

    const struct
    {
        const char* name;
        QByteArray form;
        CipherStatus status;
    } cases[] = {
        {"one byte short", good.chopped(1), CipherStatus::Damaged},
        {"one byte more", good + 'x', CipherStatus::Damaged},
        {"last block missing", good.chopped(8), CipherStatus::WrongPasswordOrDamaged},
        {"one block", good.left(8), CipherStatus::Damaged},
        {"empty", QByteArray(), CipherStatus::Damaged},
        {"length field too small", keylessFormWithLengthField(24, 4), CipherStatus::WrongPasswordOrDamaged},
        {"length field too large", keylessFormWithLengthField(24, 13), CipherStatus::WrongPasswordOrDamaged},
        {"length field negative", keylessFormWithLengthField(16, -3), CipherStatus::WrongPasswordOrDamaged},
        {"length field far out", keylessFormWithLengthField(16, 0x7FFFFFFF), CipherStatus::WrongPasswordOrDamaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(test::writeFile(path("bad.bf"), c.form));
        ASSERT_TRUE(test::writeFile(path("bad"), "earlier restore"));
        const CipherResult result = DecryptBackupFile(path("bad.bf"), path("bad"), "pw");
        EXPECT_EQ(result.status, c.status);
        EXPECT_FALSE(result.reason().isEmpty());
        EXPECT_EQ(test::readFile(path("bad")), "earlier restore");
        EXPECT_EQ(names(), QStringList({"bad", "bad.bf", "data", "data.bf"}));
    }
}

TEST_F(BackupFileCipherTest, MissingSourceWritesNothing)
{
    EXPECT_EQ(EncryptBackupFile(path("absent"), path("absent.bf"), "pw").status, CipherStatus::SourceMissing);
    EXPECT_EQ(DecryptBackupFile(path("absent.bf"), path("absent"), "pw").status, CipherStatus::SourceMissing);
    EXPECT_TRUE(names().isEmpty());
}

TEST_F(BackupFileCipherTest, FileTooLargeForTheLengthFieldIsRefusedBeforeWriting)
{
    QFile huge(path("huge"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(LargestPlainLength + 1)); // sparse: takes no room
    huge.close();
    ASSERT_TRUE(test::writeFile(path("huge.bf"), "earlier version"));

    const CipherResult result = EncryptBackupFile(path("huge"), path("huge.bf"), "pw");
    EXPECT_EQ(result.status, CipherStatus::TooLarge);
    EXPECT_TRUE(result.reason().contains("2147483629")) << result.reason().toStdString();
    EXPECT_EQ(test::readFile(path("huge.bf")), "earlier version");
    EXPECT_EQ(names(), QStringList({"huge", "huge.bf"}));
}

TEST_F(BackupFileCipherTest, UnwritableTargetIsReportedWithTheSystemsReason)
{
    ASSERT_TRUE(test::writeFile(path("data"), "data"));
    const CipherResult result = EncryptBackupFile(path("data"), path("no such folder/data.bf"), "pw");
    EXPECT_EQ(result.status, CipherStatus::CannotWrite);
    EXPECT_EQ(result.reason(), "Cannot write the target file: " + qt_error_string(ENOENT));
    EXPECT_EQ(result.writeError, ENOENT);
    EXPECT_EQ(names(), QStringList({"data"}));

    // A disk that fills up part-way through, in either direction; the earlier target stays.
    test::SmallDisk disk(path("full"), "256k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error().toStdString();
    ASSERT_TRUE(test::writeFile(path("big"), test::sampleBytes(3 << 20)));
    ASSERT_TRUE(EncryptBackupFile(path("big"), path("big.bf"), "pw").succeeded());
    ASSERT_TRUE(test::writeFile(path("full/big.bf"), "earlier version"));
    const std::function<CipherResult()> operations[] = {
        [&] { return EncryptBackupFile(path("big"), path("full/big.bf"), "pw"); },
        [&] { return DecryptBackupFile(path("big.bf"), path("full/big.bf"), "pw"); },
    };
    for (const auto& operation : operations) {
        const CipherResult full = operation();
        EXPECT_EQ(full.status, CipherStatus::CannotWrite);
        EXPECT_EQ(full.reason(), "Cannot write the target file: " + qt_error_string(ENOSPC));
        EXPECT_EQ(full.writeError, ENOSPC);
        EXPECT_EQ(test::readFile(path("full/big.bf")), "earlier version");
        EXPECT_EQ(QDir(path("full")).entryList(QDir::Files | QDir::Hidden), QStringList {"big.bf"});
    }
}

TEST_F(BackupFileCipherTest, StopRequestLeavesNoTargetAndKeepsTheEarlierOne)
{
    const QByteArray plain = test::sampleBytes(3 << 20);
    ASSERT_TRUE(test::writeFile(path("data"), plain));
    ASSERT_TRUE(EncryptBackupFile(path("data"), path("data.bf"), "pw").succeeded());
    const QByteArray form = test::readFile(path("data.bf"));
    ASSERT_TRUE(test::writeFile(path("restored"), "earlier restore"));

    const struct
    {
        const char* name;
        std::function<CipherResult()> operation;
        QString target;
        QByteArray before;
    } operations[] = {
        {"encrypt", [&] { return EncryptBackupFile(path("data"), path("data.bf"), "pw"); }, "data.bf", form},
        {"decrypt", [&] { return DecryptBackupFile(path("data.bf"), path("restored"), "pw"); }, "restored",
         "earlier restore"},
    };
    for (const auto& op : operations) {
        SCOPED_TRACE(op.name);
        // A request made before the work starts, and one that arrives through the event loop once the
        // first chunk is done.
        for (const bool during : {false, true}) {
            core::state().bStopBackup = !during;
            if (during)
                QTimer::singleShot(0, [] { core::state().bStopBackup = true; });
            EXPECT_TRUE(op.operation().stopped());
            EXPECT_EQ(test::readFile(path(op.target)), op.before);
            EXPECT_EQ(names(), QStringList({"data", "data.bf", "restored"}));
        }
    }
}

TEST_F(BackupFileCipherTest, SourceThatEndsEarlyWritesNothing)
{
    QBuffer source;
    source.setData(test::sampleBytes(10));
    source.open(QIODevice::ReadOnly);
    QByteArray written;
    QBuffer target(&written);
    target.open(QIODevice::WriteOnly);
    const CipherResult result = encryptStream(source, 20, target, BlowfishCipher(), freshHeaderValues());
    EXPECT_EQ(result.status, CipherStatus::Unreadable);
    EXPECT_TRUE(written.isEmpty());
}
