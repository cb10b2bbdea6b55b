#pragma once

#include <QString>

#include "platform/Result.h"

namespace crypto
{

// Why a cipher operation failed.
enum class CipherStatus
{
    // There is no source file; nothing was written.
    SourceMissing,
    // The source could not be opened or read to its end.
    Unreadable,
    // Not a whole .bf form: too short, not a whole number of blocks, or cut off.
    Damaged,
    // No reader's size descriptor holds: the password is wrong or the file is damaged.
    WrongPasswordOrDamaged,
    // The plain data is longer than the format's length field can hold.
    TooLarge,
    CannotWrite,
    // The empty key was assigned after another; the tables stay as they were.
    EmptyKey,
};

// The outcome of a cipher operation. On failure or stop nothing was written and an existing target is
// untouched; `number` and the reason are what a caller passes on in its error report.
struct CipherResult : platform::Result
{
    // Why it failed; meaningless when it succeeded or stopped.
    CipherStatus status = CipherStatus::CannotWrite;
    qint32 number = 0;
    // The system's error number of a target that could not be written (CannotWrite); 0 when unknown.
    int writeError = 0;

    static CipherResult done() { return {platform::Result::success()}; }
    static CipherResult stoppedOnRequest() { return {platform::Result::stop(QStringLiteral("Stopped on request"))}; }
    static CipherResult failure(CipherStatus status, qint32 number, const QString& reason)
    {
        return {platform::Result::failure(reason), status, number};
    }
};

// A text operation's outcome and, when it succeeded, its text.
struct TextResult
{
    CipherResult result;
    QString text;
};

} // namespace crypto
