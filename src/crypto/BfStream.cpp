#include "crypto/BfStream.h"

#include <algorithm>
#include <cstring>

#include <sys/stat.h>

#include <QBuffer>
#include <QFile>
#include <QtEndian>

#include "core/ErrorReport.h"
#include "platform/PendingFile.h"

namespace crypto
{
namespace
{

CipherResult tooLarge(qint64 plainLength)
{
    return CipherResult::failure(CipherStatus::TooLarge, core::err::Overflow,
                                 QStringLiteral("The file is too large to protect: %1 bytes, at most %2")
                                     .arg(plainLength)
                                     .arg(LargestPlainLength));
}

CipherResult unreadable(const QString& reason)
{
    return CipherResult::failure(CipherStatus::Unreadable, core::err::PathFileAccess,
                                 QStringLiteral("Cannot read the source file: ") + reason);
}

CipherResult cannotWrite(const QString& reason)
{
    return CipherResult::failure(CipherStatus::CannotWrite, core::err::PathFileAccess,
                                 QStringLiteral("Cannot write the target file: ") + reason);
}

CipherResult damaged(const QString& reason)
{
    return CipherResult::failure(CipherStatus::Damaged, core::err::SubscriptOutOfRange,
                                 QStringLiteral("Damaged file: ") + reason);
}

CipherResult badSizeDescriptor()
{
    return CipherResult::failure(CipherStatus::WrongPasswordOrDamaged, core::err::ObjectErrorBase,
                                 QStringLiteral("Incorrect size descriptor in Blowfish decryption"));
}

// numerator / denominator, halves to the even neighbour.
qint64 nearestHalfEven(qint64 numerator, qint64 denominator)
{
    const qint64 quotient = numerator / denominator;
    const qint64 twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}

// Reads until `length` bytes arrived or the device has no more; -1 on a read error.
qint64 readFully(QIODevice& device, char* data, qint64 length)
{
    qint64 done = 0;
    while (done < length) {
        const qint64 got = device.read(data + done, length - done);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

bool writeFully(QIODevice& device, const char* data, qint64 length)
{
    return length == 0 || device.write(data, length) == length;
}

// Runs the chained transform over whole blocks, showing the run each percent passed.
class BlockRun
{
public:
    BlockRun(const BlowfishCipher& cipher, bool encrypt, qint64 total, platform::RunContext& run)
        : m_cipher(cipher)
        , m_encrypt(encrypt)
        , m_total(total)
        , m_run(run)
    { }

    // `data` holds `length` bytes (whole blocks) of the form starting at `offset`.
    void transform(char* data, qint64 length, qint64 offset)
    {
        qint64 done = 0;
        while (done < length) {
            qint64 end = length;
            bool report = false;
            const qint64 here = offset + done;
            const qint64 markBlock
                = m_mark <= here ? here : here + (m_mark - here + BlockLength - 1) / BlockLength * BlockLength;
            if (markBlock < offset + length) {
                end = markBlock - offset + BlockLength;
                report = true;
            }
            const qsizetype blocks = (end - done) / BlockLength;
            if (m_encrypt)
                m_cipher.encipherChain(data + done, blocks, m_chain);
            else
                m_cipher.decipherChain(data + done, blocks, m_chain);
            if (report)
                reportBlock(offset + end - BlockLength);
            done = end;
        }
    }

private:
    void reportBlock(qint64 offset)
    {
        const int percent = static_cast<int>(offset * 100 / m_total);
        m_mark = nearestHalfEven((percent + 1) * m_total, 100) + 1;
        m_run.showProgress(percent);
    }

    const BlowfishCipher& m_cipher;
    const bool m_encrypt;
    const qint64 m_total;
    platform::RunContext& m_run;
    Chain m_chain;
    qint64 m_mark = 0;
};

// The length field of a form whose first two blocks `reader` deciphers.
qint64 lengthField(const BlowfishCipher& reader, const char* firstBlocks)
{
    char plain[2 * BlockLength];
    std::memcpy(plain, firstBlocks, sizeof plain);
    Chain chain;
    reader.decipherChain(plain, 2, chain);
    return qFromLittleEndian<qint32>(plain + 8);
}

} // namespace

CipherResult encryptStream(QIODevice& source, qint64 plainLength, QIODevice& target, const BlowfishCipher& cipher,
                           HeaderValues header, platform::RunContext& run)
{
    if (plainLength < 0 || plainLength > LargestPlainLength)
        return tooLarge(plainLength);
    const qint64 total = bfLength(plainLength);

    // Room for a chunk, plus the padding of the last block.
    QByteArray buffer(ChunkLength + BlockLength, Qt::Uninitialized);
    char* data = buffer.data();
    qToLittleEndian<quint32>(header.first, data);
    qToLittleEndian<quint32>(header.second, data + 4);
    qToLittleEndian<qint32>(static_cast<qint32>(plainLength), data + 8);
    qint64 filled = HeaderLength;
    qint64 remaining = plainLength;
    qint64 offset = 0;
    BlockRun blocks(cipher, true, total, run);

    while (offset < total) {
        if (run.stopRequested())
            return CipherResult::stoppedOnRequest();
        const qint64 wanted = std::min(ChunkLength - filled, remaining);
        if (wanted > 0) {
            const qint64 got = readFully(source, data + filled, wanted);
            if (got < 0)
                return unreadable(source.errorString());
            if (got < wanted) {
                return unreadable(QStringLiteral("it changed while it was read and ended after %1 of %2 bytes")
                                      .arg(plainLength - remaining + got)
                                      .arg(plainLength));
            }
            filled += got;
            remaining -= got;
        }
        if (remaining == 0) {
            const qint64 padding = (BlockLength - filled % BlockLength) % BlockLength;
            std::memset(data + filled, 0, padding);
            filled += padding;
        }
        const qint64 whole = filled / BlockLength * BlockLength;
        blocks.transform(data, whole, offset);
        if (!writeFully(target, data, whole))
            return cannotWrite(target.errorString());
        std::memmove(data, data + whole, filled - whole);
        filled -= whole;
        offset += whole;
        run.yield();
    }
    return CipherResult::done();
}

CipherResult decryptStream(QIODevice& source, qint64 total, QIODevice& target, Readers readers,
                           platform::RunContext& run)
{
    if (total < 2 * BlockLength || total % BlockLength != 0) {
        return damaged(QStringLiteral("a .bf file is a whole number of 8-byte blocks, at least 16 bytes, not %1 bytes")
                           .arg(total));
    }

    QByteArray buffer(ChunkLength, Qt::Uninitialized);
    char* data = buffer.data();
    const qint64 head = readFully(source, data, 2 * BlockLength);
    if (head < 0)
        return unreadable(source.errorString());
    if (head < 2 * BlockLength)
        return damaged(QStringLiteral("it ended after %1 of %2 bytes").arg(head).arg(total));

    // The length field sits in the second block, so the reader is chosen before anything is written.
    const BlowfishCipher* chosen = nullptr;
    qint64 plainLength = 0;
    for (const BlowfishCipher* reader : readers) {
        plainLength = lengthField(*reader, data);
        if (sizeDescriptorHolds(total, plainLength)) {
            chosen = reader;
            break;
        }
    }
    if (!chosen)
        return badSizeDescriptor();

    const qint64 plainEnd = HeaderLength + plainLength;
    BlockRun blocks(*chosen, false, total, run);
    qint64 offset = 0;
    qint64 filled = head;
    while (offset < total) {
        if (run.stopRequested())
            return CipherResult::stoppedOnRequest();
        const qint64 wanted = std::min(ChunkLength - filled, total - offset - filled);
        if (wanted > 0) {
            const qint64 got = readFully(source, data + filled, wanted);
            if (got < 0)
                return unreadable(source.errorString());
            if (got < wanted)
                return damaged(QStringLiteral("it ended after %1 of %2 bytes").arg(offset + filled + got).arg(total));
            filled += got;
        }
        blocks.transform(data, filled, offset);
        const qint64 from = std::max(offset, HeaderLength);
        const qint64 to = std::min(offset + filled, plainEnd);
        if (to > from && !writeFully(target, data + (from - offset), to - from))
            return cannotWrite(target.errorString());
        offset += filled;
        filled = 0;
        run.yield();
    }
    return CipherResult::done();
}

CipherResult encryptBytesWith(QByteArray& bytes, const BlowfishCipher& cipher, HeaderValues header,
                              platform::RunContext& run)
{
    if (bytes.size() > LargestPlainLength)
        return tooLarge(bytes.size());
    QBuffer source;
    source.setData(bytes);
    source.open(QIODevice::ReadOnly);
    QByteArray result;
    result.reserve(bfLength(bytes.size()));
    QBuffer target(&result);
    target.open(QIODevice::WriteOnly);
    const CipherResult outcome = encryptStream(source, bytes.size(), target, cipher, header, run);
    if (outcome.succeeded())
        bytes = result;
    return outcome;
}

CipherResult decryptBytesWith(QByteArray& bytes, Readers readers, platform::RunContext& run)
{
    QBuffer source;
    source.setData(bytes);
    source.open(QIODevice::ReadOnly);
    QByteArray result;
    result.reserve(std::max<qsizetype>(bytes.size() - HeaderLength, 0));
    QBuffer target(&result);
    target.open(QIODevice::WriteOnly);
    const CipherResult outcome = decryptStream(source, bytes.size(), target, readers, run);
    if (outcome.succeeded())
        bytes = result;
    return outcome;
}

namespace
{

CipherResult openSource(QFile& source, platform::RunContext& run)
{
    if (!FileExistsByLength(source.fileName()))
        return CipherResult::failure(CipherStatus::SourceMissing, core::err::FileNotFound,
                                     QStringLiteral("The source file does not exist"));
    if (run.stopRequested())
        return CipherResult::stoppedOnRequest();
    if (!source.open(QIODevice::ReadOnly))
        return unreadable(source.errorString());
    return CipherResult::done();
}

// The target file as the streams' device: every write goes straight to the file, and a failed one
// keeps the system's reason.
class TargetDevice : public QIODevice
{
public:
    explicit TargetDevice(platform::PendingFile& file)
        : m_file(file)
    {
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (!m_file.write(data, size)) {
            setErrorString(qt_error_string(m_file.error()));
            return -1;
        }
        return size;
    }

private:
    platform::PendingFile& m_file;
};

CipherResult cannotWrite(const platform::PendingFile& target)
{
    CipherResult result = cannotWrite(qt_error_string(target.error()));
    result.writeError = target.error();
    return result;
}

// Gives the finished target its name; on failure the new file goes and nothing else changes. The
// target takes the source's permission bits and modification time, so that the protected form of a
// private file stays as private, and the file restored from it is as it was.
CipherResult finish(platform::PendingFile& target, const QFile& source, CipherResult outcome)
{
    if (!outcome.succeeded()) {
        if (outcome.status == CipherStatus::CannotWrite)
            outcome.writeError = target.error();
        target.discard();
        return outcome;
    }
    struct stat from = {};
    if (::fstat(source.handle(), &from) == 0)
        target.stamp(from.st_mtim, from.st_mode);
    if (!target.place())
        return cannotWrite(target);
    return CipherResult::done();
}

CipherResult openTarget(platform::PendingFile& target)
{
    return target.open() ? CipherResult::done() : cannotWrite(target);
}

} // namespace

CipherResult encryptFileWith(const QString& sourcePath, const QString& targetPath, const BlowfishCipher& cipher,
                             HeaderValues header, platform::RunContext& run)
{
    QFile source(sourcePath);
    if (CipherResult opened = openSource(source, run); !opened.succeeded())
        return opened;
    const qint64 plainLength = source.size();
    if (plainLength > LargestPlainLength)
        return tooLarge(plainLength);
    platform::PendingFile target(targetPath);
    if (CipherResult opened = openTarget(target); !opened.succeeded())
        return opened;
    TargetDevice device(target);
    return finish(target, source, encryptStream(source, plainLength, device, cipher, header, run));
}

CipherResult decryptFileWith(const QString& sourcePath, const QString& targetPath, Readers readers,
                             platform::RunContext& run)
{
    QFile source(sourcePath);
    if (CipherResult opened = openSource(source, run); !opened.succeeded())
        return opened;
    platform::PendingFile target(targetPath);
    if (CipherResult opened = openTarget(target); !opened.succeeded())
        return opened;
    TargetDevice device(target);
    return finish(target, source, decryptStream(source, source.size(), device, readers, run));
}

} // namespace crypto
