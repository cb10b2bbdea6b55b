#include "ftp/FtpReplyCodes.h"

#include <QHash>

namespace ftp
{

QString replyCodeText(int code)
{
    static const QHash<int, QString> texts {
        {120, QStringLiteral("Service ready in nnn minutes.")},
        {332, QStringLiteral("Need account for login.")},
        {350, QStringLiteral("Requested file action pending further information.")},
        {421, QStringLiteral("Service not available, closing control connection.")},
        {425, QStringLiteral("Can 't open data connection.")},
        {426, QStringLiteral("Connection closed; transfer aborted.")},
        {450, QStringLiteral("Requested file action not taken.")},
        {451, QStringLiteral("Requested action aborted: local error in processing.")},
        {452, QStringLiteral("Requested action not taken.")},
        {500, QStringLiteral("Syntax error, command unrecognized.")},
        {501, QStringLiteral("Syntax error in parameters or arguments.")},
        {502, QStringLiteral("Command not implemented.")},
        {503, QStringLiteral("Bad sequence of commands.")},
        {504, QStringLiteral("Command not implemented for that parameter.")},
        {530, QStringLiteral("Not logged in.")},
        {532, QStringLiteral("Need account for storing files.")},
        {550, QStringLiteral("Requested action not taken.")},
        {551, QStringLiteral("Requested action aborted: page type unknown.")},
        {552, QStringLiteral("Requested file action aborted.")},
        {553, QStringLiteral("Requested action not taken.")},
    };
    return texts.value(code);
}

} // namespace ftp
