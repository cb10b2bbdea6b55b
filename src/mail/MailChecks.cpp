#include "mail/MailChecks.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QStringList>

namespace mail
{
namespace
{
const char* const DomainList
    = "AERO BIZ COM COOP EDU GOV INFO INT MIL MUSEUM NAME NET ORG PRO AC AD AE AF AG AI AL AM AN AO AQ AR AS AT AU "
      "AW AZ BA BB BD BE BF BG BH BI BJ BM BN BO BR BS BT BV BW BY BZ CA CC CD CF CG CH CI CK CL CM CN CO CR CU CV CX "
      "CY CZ DE DJ DK DM DO DZ EC EE EG EH ER ES ET FI FJ FK FM FO FR GA GD GE GF GG GH GI GL GM GN GP GQ GR GS GT GU "
      "GW GY HK HM HN HR HT HU ID IE IL IM IN IO IQ IR IS IT JE JM JO JP KE KG KH KI KM KN KP KR KW KY KZ LA LB LC LI "
      "LK LR LS LT LU LV LY MA MC MD MG MH MK ML MM MN MO MP MQ MR MS MT MU MV MW MX MY MZ NA NC NE NF NG NI NL NO NP "
      "NR NU NZ OM PA PE PF PG PH PK PL PM PN PR PS PT PW PY QA RE RO RU RW SA SB SC SD SE SG SH SI SJ SK SL SM SN SO "
      "SR ST SV SY SZ TC TD TF TG TH TJ TK TM TN TO TP TR TT TV TW TZ UA UG UK UM US UY UZ VA VC VE VG VI VN VU WF WS "
      "YE YT YU ZA ZM ZW";

constexpr int PingLimitMs = 255;
constexpr int PingDataBytes = 32;

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
    const QString domain = text.trimmed().toUpper();
    if (domain.isEmpty())
        return false;
    if (IsIPAddress(domain))
        return true;
    const QStringList labels = domain.split(QLatin1Char('.'));
    static const QStringList codes = QString::fromLatin1(DomainList).split(QLatin1Char(' '));
    return labels.size() >= 2 && codes.contains(labels.last());
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
