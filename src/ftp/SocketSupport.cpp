#include "ftp/SocketSupport.h"

#include <QHash>

namespace ftp
{

QString GetErrorDescription(int number)
{
    static const QHash<int, QString> texts {
        {10004, QStringLiteral("Interrupted function call.")},
        {10013, QStringLiteral("Permission denied.")},
        {10014, QStringLiteral("Bad address.")},
        {10022, QStringLiteral("Invalid argument.")},
        {10024, QStringLiteral("Too many open files.")},
        {10035, QStringLiteral("Resource temporarily unavailable.")},
        {10036, QStringLiteral("Operation now in progress.")},
        {10037, QStringLiteral("Operation already in progress.")},
        {10038, QStringLiteral("Socket operation on nonsocket.")},
        {10039, QStringLiteral("Destination address required.")},
        {10040, QStringLiteral("Message too long.")},
        {10041, QStringLiteral("Protocol wrong type for socket.")},
        {10042, QStringLiteral("Bad protocol option.")},
        {10043, QStringLiteral("Protocol not supported.")},
        {10044, QStringLiteral("Socket type not supported.")},
        {10045, QStringLiteral("Operation not supported.")},
        {10046, QStringLiteral("Protocol family not supported.")},
        {10047, QStringLiteral("Address family not supported by protocol family.")},
        {10048, QStringLiteral("Address already in use.")},
        {10049, QStringLiteral("Cannot assign requested address.")},
        {10050, QStringLiteral("Network is down.")},
        {10051, QStringLiteral("Network is unreachable.")},
        {10052, QStringLiteral("Network dropped connection on reset.")},
        {10053, QStringLiteral("Software caused connection abort.")},
        {10054, QStringLiteral("Connection reset by peer.")},
        {10055, QStringLiteral("No buffer space available.")},
        {10056, QStringLiteral("Socket is already connected.")},
        {10057, QStringLiteral("Socket is not connected.")},
        {10058, QStringLiteral("Cannot send after socket shutdown.")},
        {10060, QStringLiteral("Connection timed out.")},
        {10061, QStringLiteral("Connection refused.")},
        {10064, QStringLiteral("Host is down.")},
        {10065, QStringLiteral("No route to host.")},
        {10067, QStringLiteral("Too many processes.")},
        {10091, QStringLiteral("Network subsystem is unavailable.")},
        {10092, QStringLiteral("Winsock.dll version out of range.")},
        {10093, QStringLiteral("Successful WSAStartup not yet performed.")},
        {10101, QStringLiteral("Graceful shutdown in progress.")},
        {10107, QStringLiteral("System call failure.")},
        {10109, QStringLiteral("Class type not found.")},
        {11001, QStringLiteral("Host not found.")},
        {11002, QStringLiteral("Nonauthoritative host not found.")},
        {11003, QStringLiteral("This is a nonrecoverable error.")},
        {11004, QStringLiteral("Valid name, no data record of requested type.")},
    };
    return texts.value(number, QStringLiteral("Unknown error."));
}

int socketErrorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionRefusedError:
        return WSAECONNREFUSED;
    case QAbstractSocket::RemoteHostClosedError:
    case QAbstractSocket::ProxyConnectionClosedError:
        return WSAECONNRESET;
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::ProxyNotFoundError:
        return WSAHOST_NOT_FOUND;
    case QAbstractSocket::SocketAccessError:
        return WSAEACCES;
    case QAbstractSocket::SocketResourceError:
        return WSAENOBUFS;
    case QAbstractSocket::SocketTimeoutError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
        return WSAETIMEDOUT;
    case QAbstractSocket::DatagramTooLargeError:
        return WSAEMSGSIZE;
    case QAbstractSocket::NetworkError:
        return WSAENETUNREACH;
    case QAbstractSocket::AddressInUseError:
        return WSAEADDRINUSE;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return WSAEADDRNOTAVAIL;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return WSAEOPNOTSUPP;
    case QAbstractSocket::UnfinishedSocketOperationError:
        return 10036;
    case QAbstractSocket::TemporaryError:
        return WSAEWOULDBLOCK;
    case QAbstractSocket::OperationError:
    case QAbstractSocket::ProxyAuthenticationRequiredError:
    case QAbstractSocket::ProxyProtocolError:
        return WSAEINVAL;
    default:
        return 10107;
    }
}

} // namespace ftp
