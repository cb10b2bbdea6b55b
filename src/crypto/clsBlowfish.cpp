#include "crypto/clsBlowfish.h"

#include "core/ErrorReport.h"
#include "core/ProgramRun.h"
#include "crypto/BfStream.h"

namespace crypto
{
namespace
{

// Raises Progress for each percent the stream shows. Files end at the program's stop request;
// texts and bytes run to their end.
class ProgressReporter : public core::ProgramRun
{
public:
    ProgressReporter(clsBlowfish& owner, bool honourStop)
        : m_owner(owner)
        , m_honourStop(honourStop)
    { }

    void showProgress(int percent) override
    {
        m_percent = percent;
        emit m_owner.Progress(m_percent);
    }
    bool stopRequested() const override { return m_honourStop && ProgramRun::stopRequested(); }

    // The closing report, once the operation has succeeded.
    void finish()
    {
        if (m_percent == 100)
            return;
        m_percent = 100;
        emit m_owner.Progress(m_percent);
    }

private:
    clsBlowfish& m_owner;
    const bool m_honourStop;
    int m_percent = 0;
};

CipherResult sourceMissing()
{
    return CipherResult::failure(
        CipherStatus::SourceMissing, core::err::ObjectErrorBase,
        QStringLiteral("Error in Skipjack EncryptFile procedure (Source file does not exist)."));
}

template <typename Operation>
CipherResult reported(clsBlowfish& owner, bool honourStop, Operation operation)
{
    ProgressReporter progress(owner, honourStop);
    const CipherResult result = operation(progress);
    if (result.succeeded())
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
        return CipherResult::done();
    m_key = key;
    if (key.isEmpty())
        return CipherResult::failure(CipherStatus::EmptyKey, core::err::SubscriptOutOfRange,
                                     QStringLiteral("The key is empty"));
    m_cipher.schedule(keyBytes(key));
    return CipherResult::done();
}

CipherResult clsBlowfish::useKey(const QString& key)
{
    return key.isEmpty() ? CipherResult::done() : setKey(key);
}

CipherResult clsBlowfish::EncryptByte(QByteArray& bytes, const QString& key)
{
    if (CipherResult keyed = useKey(key); !keyed.succeeded())
        return keyed;
    const BlowfishCipher cipher = m_cipher;
    return reported(*this, false, [&](ProgressReporter& progress) {
        return encryptBytesWith(bytes, cipher, freshHeaderValues(), progress);
    });
}

CipherResult clsBlowfish::DecryptByte(QByteArray& bytes, const QString& key)
{
    if (CipherResult keyed = useKey(key); !keyed.succeeded())
        return keyed;
    const BlowfishCipher cipher = m_cipher;
    const BlowfishCipher* readers[] = {&cipher};
    return reported(*this, false,
                    [&](ProgressReporter& progress) { return decryptBytesWith(bytes, readers, progress); });
}

TextResult clsBlowfish::EncryptString(const QString& text, const QString& key)
{
    QByteArray bytes = text.toUtf8();
    const CipherResult result = EncryptByte(bytes, key);
    return {result, result.succeeded() ? QString::fromLatin1(bytes) : QString()};
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
    return {result, result.succeeded() ? QString::fromUtf8(bytes) : QString()};
}

CipherResult clsBlowfish::EncryptFile(const QString& sourceFile, const QString& destFile, const QString& key)
{
    if (!FileExistsByLength(sourceFile))
        return sourceMissing();
    if (CipherResult keyed = useKey(key); !keyed.succeeded())
        return keyed;
    const BlowfishCipher cipher = m_cipher;
    return reported(*this, true, [&](ProgressReporter& progress) {
        return encryptFileWith(sourceFile, destFile, cipher, freshHeaderValues(), progress);
    });
}

CipherResult clsBlowfish::DecryptFile(const QString& sourceFile, const QString& destFile, const QString& key)
{
    if (!FileExistsByLength(sourceFile))
        return sourceMissing();
    if (CipherResult keyed = useKey(key); !keyed.succeeded())
        return keyed;
    const BlowfishCipher cipher = m_cipher;
    const BlowfishCipher* readers[] = {&cipher};
    return reported(*this, true, [&](ProgressReporter& progress) {
        return decryptFileWith(sourceFile, destFile, readers, progress);
    });
}

} // namespace crypto
