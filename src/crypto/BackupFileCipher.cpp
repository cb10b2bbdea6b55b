#include "crypto/BackupFileCipher.h"

#include "crypto/BfStream.h"

namespace crypto
{
namespace
{

const BlowfishCipher& keylessReader()
{
    static const BlowfishCipher cipher = BlowfishCipher::keyless();
    return cipher;
}

CipherResult explained(CipherResult result)
{
    if (!result.succeeded() && !result.stopped() && result.status == CipherStatus::WrongPasswordOrDamaged)
        result.setOutcome(platform::Result::failure(QStringLiteral("Wrong password or damaged file")));
    return result;
}

} // namespace

CipherResult EncryptBackupFile(const QString& source, const QString& target, const QString& key,
                               platform::RunContext& run)
{
    return encryptFileWith(source, target, BlowfishCipher::keyed(keyBytes(key)), freshHeaderValues(), run);
}

CipherResult DecryptBackupFile(const QString& source, const QString& target, const QString& key,
                               platform::RunContext& run)
{
    const BlowfishCipher keyed = BlowfishCipher::keyed(keyBytes(key));
    const BlowfishCipher* readers[] = {&keyed, &keylessReader()};
    return explained(decryptFileWith(source, target, readers, run));
}

CipherResult EncryptBytes(QByteArray& bytes, const QString& key)
{
    return encryptBytesWith(bytes, BlowfishCipher::keyed(keyBytes(key)), freshHeaderValues());
}

CipherResult DecryptBytes(QByteArray& bytes, const QString& key)
{
    const BlowfishCipher keyed = BlowfishCipher::keyed(keyBytes(key));
    const BlowfishCipher* readers[] = {&keyed, &keylessReader()};
    return explained(decryptBytesWith(bytes, readers));
}

} // namespace crypto
