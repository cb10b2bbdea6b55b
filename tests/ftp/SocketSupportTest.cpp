#include <gtest/gtest.h>

#include "ftp/FtpReplyCodes.h"
#include "ftp/SocketSupport.h"

using namespace ftp;

TEST(SocketSupportTest, ErrorTextsComeFromTheTableAndUnknownNumbersSaySo)
{
    const struct
    {
        int number;
        const char* text;
    } cases[] = {
        {10035, "Resource temporarily unavailable."},
        {10054, "Connection reset by peer."},
        {10060, "Connection timed out."},
        {10061, "Connection refused."},
        {10101, "Graceful shutdown in progress."},
        {11001, "Host not found."},
        {11004, "Valid name, no data record of requested type."},
        {10059, "Unknown error."},
        {0, "Unknown error."},
        {12345, "Unknown error."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetErrorDescription(c.number), QString::fromUtf8(c.text)) << c.number;
}

TEST(SocketSupportTest, QtSocketErrorsMapOntoTheClassicNumbers)
{
    const struct
    {
        QAbstractSocket::SocketError error;
        int number;
    } cases[] = {
        {QAbstractSocket::ConnectionRefusedError, 10061}, {QAbstractSocket::SocketTimeoutError, 10060},
        {QAbstractSocket::RemoteHostClosedError, 10054},  {QAbstractSocket::HostNotFoundError, 11001},
        {QAbstractSocket::AddressInUseError, 10048},      {QAbstractSocket::SocketAddressNotAvailableError, 10049},
        {QAbstractSocket::SocketAccessError, 10013},      {QAbstractSocket::NetworkError, 10051},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(socketErrorNumber(c.error), c.number) << c.error;
        EXPECT_NE(GetErrorDescription(socketErrorNumber(c.error)), QStringLiteral("Unknown error.")) << c.error;
    }
    // Every Qt error gets a number with a real text, so no reason ever reads "Unknown error.".
    EXPECT_NE(GetErrorDescription(socketErrorNumber(QAbstractSocket::UnknownSocketError)),
              QStringLiteral("Unknown error."));
}

TEST(SocketSupportTest, ReplyCodesHaveTheirTextsAndOthersNone)
{
    EXPECT_EQ(replyCodeText(550), QStringLiteral("Requested action not taken."));
    EXPECT_EQ(replyCodeText(530), QStringLiteral("Not logged in."));
    EXPECT_EQ(replyCodeText(425), QStringLiteral("Can 't open data connection."));
    EXPECT_EQ(replyCodeText(120), QStringLiteral("Service ready in nnn minutes."));
    EXPECT_EQ(replyCodeText(200), QString());
    EXPECT_EQ(replyCodeText(599), QString());
}
