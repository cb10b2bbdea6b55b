#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace core
{

// Error numbers the program raises; the runtime's own numbers and the ones counted from the
// object-error base.
namespace err
{
inline constexpr qint32 InvalidArgument = 5;
inline constexpr qint32 Overflow = 6;
inline constexpr qint32 SubscriptOutOfRange = 9;
inline constexpr qint32 TypeMismatch = 13;
inline constexpr qint32 FileNotFound = 53;
inline constexpr qint32 FileAlreadyExists = 58;
inline constexpr qint32 DiskFull = 61;
inline constexpr qint32 PermissionDenied = 70;
inline constexpr qint32 PathFileAccess = 75;
inline constexpr qint32 PathNotFound = 76;
inline constexpr qint32 ObjectNotSet = 91;
inline constexpr qint32 ObjectErrorBase = -2147221504; // &H80040000
inline constexpr qint32 General = ObjectErrorBase + 5198;
inline constexpr qint32 SilentFirst = ObjectErrorBase + 4197;
inline constexpr qint32 SilentLast = ObjectErrorBase + 5197;
} // namespace err

// The current error, as a failing step leaves it for its handler.
struct ErrObject
{
    qint32 Number = 0;
    QString Source;
    QString Description;
    QString HelpFile;
    qint32 HelpContext = 0;
    // Line of the failing statement, 0 when none is known.
    qint32 Erl = 0;
    // The system's error code (errno) recorded at the failure, 0 when none.
    qint32 LastDllError = 0;

    void Clear() { *this = ErrObject{}; }
    // Replaces the current error; the source defaults to the program's name.
    void Raise(qint32 number, const QString& description, const QString& source = QString());
};

ErrObject& Err();

// An argument the procedure's caller left out: shown as an empty text in the report.
struct OmittedArgument
{
};

inline constexpr qint32 ErrorInDefaultOptions = 35;

// Builds the report of the current error for the procedure at `location` ("object.Procedure(a,b)")
// with the procedure's argument values, leaves it in the error object and returns it.
// The report also goes to standard error; it is never shown to the user or written to the log.
QString ErrorIn(const QString& location, const QVariantList& argValues = {},
                qint32 options = ErrorInDefaultOptions);
void ErrPreserve();
void ErrRestore();
// There is no stop prompt: preserves the error and answers false.
bool AskStopOnError();

// The failure path every procedure takes: raises the error and reports it through ErrorIn.
QString reportFailure(const QString& location, const QVariantList& argValues, qint32 number,
                      const QString& description, qint32 systemError = 0);

// Forgets the current and the preserved error (tests, and the start of a fresh handler).
void resetErrors();

} // namespace core

Q_DECLARE_METATYPE(core::OmittedArgument)
