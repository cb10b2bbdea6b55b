#pragma once

#include <QString>

namespace ftp
{

// The numbers of the failures the FTP session reports itself, besides the socket errors; callers and
// logs know them by these values.
enum FtpErrorNumber
{
    kInvalidProcedureCall = 5,
    kFileNotFound = 53,
    kFileAccess = 75,
    kInvalidPropertyValue = 380,
    kNoDirectory = 16001,
    kUnknownListing = 16002,
    kBusy = 16007,
    kBadSizeReply = 16213,
    kBadPassiveReply = 16227,
};

// Where a failure of the session arose, as its reports name it.
inline QString clientSource(const QString& member)
{
    return QStringLiteral("clsFtpClient.") + member;
}

} // namespace ftp
