#include "mail/MailChecks.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QStringList>
#include <QUrl>

namespace mail
{
namespace
{
constexpr int PingLimitMs = 255;
constexpr int PingDataBytes = 32;

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

quint16 checksum(const QByteArray& bytes)
{
    quint32 sum = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        sum += (quint8(bytes.at(i)) << 8) | quint8(bytes.at(i + 1));
    if (bytes.size() % 2)
        sum += quint8(bytes.back()) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum);
}
} // namespace

bool IsValidEmailAddress(const QString& AddressString)
{
    if (AddressString.count(QLatin1Char('@')) != 1)
        return false;
    return IsValidDomain(AddressString.mid(AddressString.indexOf(QLatin1Char('@')) + 1));
}

bool IsValidDomain(const QString& text)
{
    const QString domain = text.trimmed();
    if (domain.isEmpty())
        return false;
    if (IsIPAddress(domain))
        return true;
    // New top-level domains come every year, so no list of them can decide: the name's form does.
    // International names are judged in their ASCII form.
    const QByteArray ascii = QUrl::toAce(domain);
    if (ascii.isEmpty() || ascii.size() > 253)
        return false;
    const QList<QByteArray> labels = ascii.split('.');
    if (labels.size() < 2)
        return false;
    for (const QByteArray& label : labels) {
        if (label.isEmpty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (const char c : label)
            if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '-')
                return false;
    }
    const QByteArray& top = labels.last();
    return top.startsWith("xn--") || (top.size() >= 2 && std::all_of(top.begin(), top.end(), isAsciiLetter));
}

bool IsIPAddress(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        if (part.toInt() > (i == 0 ? 239 : 255))
            return false;
    }
    return true;
}

quint32 IPToLong(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return 0;
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint number = parts.at(i).toUInt(&ok);
        if (!ok || number > 255)
            return 0;
        value |= number << (8 * i);
    }
    return value;
}

QString GetIPAddress(QString& sHostName)
{
    if (sHostName.isEmpty())
        sHostName = GetIPHost();
    const QHostInfo info = QHostInfo::fromName(sHostName.trimmed());
    for (const QHostAddress& address : info.addresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address.toString();
    return QString();
}

QString GetIPHost()
{
    return QHostInfo::localHostName();
}

bool Ping(QString& Address, QString& RoundTripTime, QString& DataSize, bool& DataMatch, QString* status)
{
    QString target = Address.trimmed();
    if (!IsIPAddress(target))
        target = GetIPAddress(target);
    if (target.isEmpty())
        return false;

    // An unprivileged ICMP socket where the system allows one, else a raw socket.
    bool raw = false;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        raw = true;
        fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    }
    if (fd < 0) {
        if (status)
            *status = QStringLiteral("Ping is not possible: this system allows no ICMP socket");
        return false;
    }

    QByteArray data(PingDataBytes, Qt::Uninitialized);
    for (char& c : data)
        c = char(QRandomGenerator::global()->bounded(1, 256));
    const quint16 id = quint16(QRandomGenerator::global()->generate());
    QByteArray request
        = QByteArray::fromHex("08000000") + char(id >> 8) + char(id & 0xFF) + QByteArray::fromHex("0001");
    request += data;
    const quint16 sum = checksum(request);
    request[2] = char(sum >> 8);
    request[3] = char(sum & 0xFF);

    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = IPToLong(target);
    QElapsedTimer elapsed;
    elapsed.start();
    bool answered = false;
    if (::sendto(fd, request.constData(), size_t(request.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to)
        == request.size()) {
        for (qint64 left = PingLimitMs; left > 0 && !answered; left = PingLimitMs - elapsed.elapsed()) {
            pollfd wait {fd, POLLIN, 0};
            if (::poll(&wait, 1, int(left)) <= 0)
                break;
            char buffer[1500];
            sockaddr_in from {};
            socklen_t length = sizeof from;
            const ssize_t got = ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (got <= 0)
                break;
            QByteArray reply(buffer, got);
            if (raw) {
                // A raw socket hands over the IP header too.
                const int header = (quint8(reply.at(0)) & 0x0F) * 4;
                reply = reply.mid(header);
            }
            // Echo replies only; a raw socket also sees our own request and other traffic.
            if (reply.size() < 8 || quint8(reply.at(0)) != 0 || (raw && reply.mid(4, 2) != request.mid(4, 2)))
                continue;
            answered = true;
            RoundTripTime = QString::number(elapsed.elapsed());
            Address = QHostAddress(ntohl(from.sin_addr.s_addr)).toString();
            const QByteArray echoed = reply.mid(8);
            DataSize = QString::number(echoed.size()) + QStringLiteral(" bytes");
            if (!echoed.isEmpty() && echoed.at(0) != '\0')
                DataMatch = echoed == data;
        }
    }
    ::close(fd);
    return answered && Address == target;
}

} // namespace mail
