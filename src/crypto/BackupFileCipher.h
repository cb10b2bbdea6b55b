#pragma once

#include <QByteArray>
#include <QString>

#include "core/ProgramRun.h"
#include "crypto/CipherResult.h"

namespace crypto
{

// The .bf cipher of protected backups. New forms are enciphered with Blowfish keyed by the password
// (its UTF-8 bytes), chained block to block, with fresh header values each time. Reading tries the
// password's key first and then the keyless transform that older .bf files were written with; when
// neither fits, the result is WrongPasswordOrDamaged and nothing is written. An empty password
// schedules no key: such forms use the published tables and protect nothing.

// Writes the .bf form of the source file to the target. The file routines stream in chunks, keep the
// run's yield between them and end, writing nothing, when the run asks to stop.
CipherResult EncryptBackupFile(const QString& source, const QString& target, const QString& key,
                               platform::RunContext& run = core::programRun());
// Writes the plain file of the .bf file at the source to the target.
CipherResult DecryptBackupFile(const QString& source, const QString& target, const QString& key,
                               platform::RunContext& run = core::programRun());

// In memory; on failure the bytes are left as they were.
CipherResult EncryptBytes(QByteArray& bytes, const QString& key);
CipherResult DecryptBytes(QByteArray& bytes, const QString& key);

} // namespace crypto
