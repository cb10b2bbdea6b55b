#include "crypto/clsBlowfish.h"

#include "core/ErrorReport.h"
#include "crypto/BfStream.h"

namespace crypto
{
namespace
{

// Raises Progress each time the done part of the form passes the next whole percent.
class ProgressReporter : public BlockObserver
{
public:
    explicit ProgressReporter(clsBlowfish& owner)
        : m_owner(owner)
    { }

    qint64 blockDone(qint64 offset, qint64 total) override
    {
        m_percent = static_cast<int>(offset * 100 / total);
        const qint64 next = nearestHalfEven((m_percent + 1) * total, 100) + 1;
        emit m_owner.Progress(m_percent);
        return next;
    }

    // The closing report, once the operation has succeeded.
    void finish()
    {
        if (m_percent == 100)
            return;
        m_percent = 100;
        emit m_owner.Progress(m_percent);
    }

private:
    static qint64 nearestHalfEven(qint64 numerator, qint64 denominator)
    {
        const qint64 quotient = numerator / denominator;
        const qint64 twiceRest = 2 * (numerator % denominator);
        if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0))
            return quotient + 1;
        return quotient;
    }

    clsBlowfish& m_owner;
    int m_percent = 0;
};

CipherResult sourceMissing()
{
    return CipherResult::failure(
        CipherStatus::SourceMissing, core::err::ObjectErrorBase,
        QStringLiteral("Error in Skipjack EncryptFile procedure (Source file does not exist)."));
}

template <typename Operation>
CipherResult reported(clsBlowfish& owner, Operation operation)
{
    ProgressReporter progress(owner);
    const CipherResult result = operation(progress);
    if (result.ok())
        progress.finish();
    return result;
}

} // namespace

clsBlowfish::clsBlowfish(QObject* parent)
    : QObject(parent)
{ }

CipherResult clsBlowfish::setKey(const QString& key)
{
    if (key == m_key)
        return {};
    m_key = key;
    if (key.isEmpty())
        return CipherResult::failure(CipherStatus::EmptyKey, core::err::SubscriptOutOfRange,
                                     QStringLiteral("The key is empty"));
    m_cipher.schedule(keyBytes(key));
    return {};
}

CipherResult clsBlowfish::useKey(const QString& key)
{
    return key.isEmpty() ? CipherResult {} : setKey(key);
}

CipherResult clsBlowfish::EncryptByte(QByteArray& bytes, const QString& key)
{
    if (CipherResult keyed = useKey(key); !keyed.ok())
        return keyed;
    const BlowfishCipher cipher = m_cipher;
    return reported(*this, [&](ProgressReporter& progress) {
        return encryptBytesWith(bytes, cipher, freshHeaderValues(), {.honourStop = false, .observer = &progress});
    });
}

CipherResult clsBlowfish::DecryptByte(QByteArray& bytes, const QString& key)
{
    if (CipherResult keyed = useKey(key); !keyed.ok())
        return keyed;
    const BlowfishCipher cipher = m_cipher;
    const BlowfishCipher* readers[] = {&cipher};
    return reported(*this, [&](ProgressReporter& progress) {
        return decryptBytesWith(bytes, readers, {.honourStop = false, .observer = &progress});
    });
}

TextResult clsBlowfish::EncryptString(const QString& text, const QString& key)
{
    QByteArray bytes = text.toUtf8();
    const CipherResult result = EncryptByte(bytes, key);
    return {result, result.ok() ? QString::fromLatin1(bytes) : QString()};
}

TextResult clsBlowfish::DecryptString(const QString& text, const QString& key)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            return {CipherResult::failure(CipherStatus::Damaged, core::err::SubscriptOutOfRange,
                                          QStringLiteral("Damaged text: an encrypted text holds only characters "
                                                         "U+0000 to U+00FF")),
                    QString()};
        }
    }
    QByteArray bytes = text.toLatin1();
    const CipherResult result = DecryptByte(bytes, key);
    return {result, result.ok() ? QString::fromUtf8(bytes) : QString()};
}

CipherResult clsBlowfish::EncryptFile(const QString& sourceFile, const QString& destFile, const QString& key)
{
    if (!FileExistsByLength(sourceFile))
        return sourceMissing();
    if (CipherResult keyed = useKey(key); !keyed.ok())
        return keyed;
    const BlowfishCipher cipher = m_cipher;
    return reported(*this, [&](ProgressReporter& progress) {
        return encryptFileWith(sourceFile, destFile, cipher, freshHeaderValues(),
                               {.honourStop = true, .observer = &progress});
    });
}

CipherResult clsBlowfish::DecryptFile(const QString& sourceFile, const QString& destFile, const QString& key)
{
    if (!FileExistsByLength(sourceFile))
        return sourceMissing();
    if (CipherResult keyed = useKey(key); !keyed.ok())
        return keyed;
    const BlowfishCipher cipher = m_cipher;
    const BlowfishCipher* readers[] = {&cipher};
    return reported(*this, [&](ProgressReporter& progress) {
        return decryptFileWith(sourceFile, destFile, readers, {.honourStop = true, .observer = &progress});
    });
}

} // namespace crypto
