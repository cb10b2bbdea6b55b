#pragma once

#include <QAbstractSocket>
#include <QString>

namespace ftp
{

// Socket error numbers keep the classic socket-layer values, so reasons read the same on every system.
enum SocketErrorNumber
{
    WSAEINTR = 10004,
    WSAEACCES = 10013,
    WSAEINVAL = 10022,
    WSAEMFILE = 10024,
    WSAEWOULDBLOCK = 10035,
    WSAEMSGSIZE = 10040,
    WSAEOPNOTSUPP = 10045,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAENETDOWN = 10050,
    WSAENETUNREACH = 10051,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAENOTCONN = 10057,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAEHOSTUNREACH = 10065,
    WSAHOST_NOT_FOUND = 11001,
    WSATRY_AGAIN = 11002,
    WSANO_RECOVERY = 11003,
    WSANO_DATA = 11004,
};

// The English text of a socket error number; "Unknown error." for any number outside the table.
QString GetErrorDescription(int number);

// The socket error number for a Qt socket error.
int socketErrorNumber(QAbstractSocket::SocketError error);

} // namespace ftp
