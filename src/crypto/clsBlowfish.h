#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include "crypto/Blowfish.h"
#include "crypto/CipherResult.h"

namespace crypto
{

// A keyed Blowfish object that reads and writes the .bf layout with its own tables and reports
// progress. Every operation that takes a key assigns a non-empty one first; an empty one keeps the
// last key scheduled, or the published tables when none was.
class clsBlowfish : public QObject
{
    Q_OBJECT

public:
    explicit clsBlowfish(QObject* parent = nullptr);

    // Schedules the key over the published tables; assigning the current key again does nothing.
    // The empty key after another is refused and leaves the tables as they are.
    CipherResult setKey(const QString& key);

    // In place; on failure the bytes are left as they were.
    CipherResult EncryptByte(QByteArray& bytes, const QString& key = QString());
    CipherResult DecryptByte(QByteArray& bytes, const QString& key = QString());

    // Plain texts travel as UTF-8; an encrypted text holds one character, U+0000 to U+00FF, per byte.
    TextResult EncryptString(const QString& text, const QString& key = QString());
    TextResult DecryptString(const QString& text, const QString& key = QString());

    // Stream in chunks and honour the stop request, as the backup file cipher does.
    CipherResult EncryptFile(const QString& sourceFile, const QString& destFile, const QString& key = QString());
    CipherResult DecryptFile(const QString& sourceFile, const QString& destFile, const QString& key = QString());

signals:
    // The percentage of the .bf form done, raised as blocks are done and then once with 100 when the
    // operation succeeded, unless a handler left the value at 100.
    void Progress(int& Percent);

private:
    CipherResult useKey(const QString& key);

    BlowfishCipher m_cipher;
    QString m_key;
};

} // namespace crypto
