#pragma once

#include <QString>

namespace crypto
{

enum class CipherStatus
{
    Done,
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
    // The stop request was seen; nothing was written.
    Stopped,
};

// The outcome of a cipher operation. On failure nothing was written and an existing target is untouched;
// `number` and `description` are what a caller passes on in its error report.
struct CipherResult
{
    CipherStatus status = CipherStatus::Done;
    qint32 number = 0;
    QString description;

    bool ok() const { return status == CipherStatus::Done; }

    static CipherResult failure(CipherStatus status, qint32 number, const QString& description)
    {
        return {status, number, description};
    }
};

// A text operation's outcome and, when it succeeded, its text.
struct TextResult
{
    CipherResult result;
    QString text;
};

} // namespace crypto
