#pragma once

#include <QString>

#include "platform/Result.h"

namespace ftp
{

// The error record of an FTP session, a socket or a watchdog: a number, a text a person can read and
// where it arose.
struct clsFtpError
{
    int Number = 0;
    QString Description;
    QString Source;

    bool isError() const { return Number != 0; }
};

// What a member that can fail hands back. Like every result at a module boundary it starts as a
// failure: only `success()` makes one that succeeded. A failure keeps the session's error record, so
// its number stays what callers and logs know.
class FtpResult
{
public:
    FtpResult() = default;

    static FtpResult success()
    {
        FtpResult result;
        result.m_outcome = platform::Result::success();
        return result;
    }
    static FtpResult fail(int number, const QString& description, const QString& source)
    {
        FtpResult result;
        result.m_outcome = platform::Result::failure(description);
        result.m_error = {number, description, source};
        return result;
    }

    bool succeeded() const { return m_outcome.succeeded(); }
    explicit operator bool() const { return succeeded(); }
    const QString& reason() const { return m_outcome.reason(); }
    const clsFtpError& error() const { return m_error; }

private:
    platform::Result m_outcome;
    clsFtpError m_error;
};

} // namespace ftp
