#pragma once

#include <QString>

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

// What a member that can fail hands back: success, or the error with its reason.
class FtpResult
{
public:
    static FtpResult ok() { return {}; }
    static FtpResult fail(int number, const QString& description, const QString& source)
    {
        FtpResult result;
        result.m_error = {number, description, source};
        return result;
    }

    explicit operator bool() const { return m_error.Number == 0; }
    const clsFtpError& error() const { return m_error; }

private:
    clsFtpError m_error;
};

} // namespace ftp
