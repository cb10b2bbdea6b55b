#include "mail/MxLookup.h"

#include <algorithm>

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QUdpSocket>

namespace mail
{
namespace
{
constexpr int MaxPointerHops = 32;
constexpr int MaxNameBytes = 255;
constexpr qint64 MaxReplyBytes = 2048;

quint16 read16(const QByteArray& bytes, qsizetype at)
{
    return quint16((quint8(bytes.at(at)) << 8) | quint8(bytes.at(at + 1)));
}

// Reads the name at `pos` into `name` and moves `pos` past it. False for a name that runs past the
// reply, follows pointers in a circle or is longer than a name may be.
bool readDnsName(const QByteArray& reply, qsizetype& pos, QString& name)
{
    qsizetype at = pos;
    bool jumped = false;
    int hops = 0;
    int length = 0;
    while (at < reply.size()) {
        const quint8 size = quint8(reply.at(at));
        if (size == 0) {
            if (!jumped)
                pos = at + 1;
            return true;
        }
        if ((size & 0xC0) == 0xC0) {
            if (at + 1 >= reply.size() || ++hops > MaxPointerHops)
                return false;
            if (!jumped)
                pos = at + 2;
            jumped = true;
            at = ((size & 0x3F) << 8) | quint8(reply.at(at + 1));
            continue;
        }
        if ((size & 0xC0) != 0 || at + 1 + size > reply.size())
            return false;
        length += size + 1;
        if (length > MaxNameBytes)
            return false;
        if (!name.isEmpty())
            name += QLatin1Char('.');
        name += QString::fromLatin1(reply.mid(at + 1, size));
        at += 1 + size;
    }
    return false;
}

bool endsWithDomain(const QString& domain, const QString& base)
{
    return !base.isEmpty() && domain.size() > base.size()
        && domain.endsWith(QLatin1Char('.') + base, Qt::CaseInsensitive);
}
} // namespace

std::optional<QByteArray> EncodeDnsName(const QString& domain)
{
    QString name = domain;
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    QByteArray encoded;
    for (const QString& label : name.split(QLatin1Char('.'))) {
        const QByteArray bytes = label.toUtf8();
        if (bytes.isEmpty() || bytes.size() > 63)
            return std::nullopt;
        encoded += char(bytes.size());
        encoded += bytes;
    }
    encoded += '\0';
    if (encoded.size() > MaxNameBytes)
        return std::nullopt;
    return encoded;
}

std::optional<QList<MXRecord>> ParseMXAnswers(const QByteArray& reply, quint16 id, const QByteArray& question)
{
    if (reply.size() < 12 || read16(reply, 0) != id || !(quint8(reply.at(2)) & 0x80))
        return std::nullopt;
    QList<MXRecord> records;
    // An error code (no such domain, a server failure) is no answer.
    if ((quint8(reply.at(3)) & 0x0F) != 0)
        return records;
    if (read16(reply, 4) != 1)
        return std::nullopt;
    qsizetype pos = 12 + question.size();
    if (pos + 4 > reply.size() || reply.mid(12, question.size()).toLower() != question.toLower()
        || read16(reply, pos) != 15 || read16(reply, pos + 2) != 1)
        return std::nullopt;
    pos += 4;

    for (int answers = read16(reply, 6); answers > 0; --answers) {
        QString owner;
        if (!readDnsName(reply, pos, owner) || pos + 10 > reply.size())
            return std::nullopt;
        const quint16 type = read16(reply, pos);
        const quint16 klass = read16(reply, pos + 2);
        const qsizetype data = pos + 10;
        const qsizetype end = data + read16(reply, pos + 8);
        if (end > reply.size())
            return std::nullopt;
        // Other answers (a CNAME before the MX records) are stepped over by their length.
        if (type == 15 && klass == 1) {
            if (end - data < 3)
                return std::nullopt;
            QString host;
            qsizetype at = data + 2;
            if (!readDnsName(reply, at, host) || at > end)
                return std::nullopt;
            if (!host.trimmed().isEmpty())
                records.append(MXRecord {host, read16(reply, data)});
        }
        pos = end;
    }
    return records;
}

void SortMXRecords(QList<MXRecord>& records)
{
    std::stable_sort(records.begin(), records.end(),
                     [](const MXRecord& a, const MXRecord& b) { return a.Preference < b.Preference; });
}

void MxLookup::FindDnsServers()
{
    DnsServers.clear();
    QString domain;
    QString search;
    QFile file(m_resolverFile);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!file.atEnd()) {
            const QStringList words = QString::fromUtf8(file.readLine()).simplified().split(QLatin1Char(' '));
            if (words.size() < 2 || words.at(0).startsWith(QLatin1Char('#'))
                || words.at(0).startsWith(QLatin1Char(';')))
                continue;
            if (words.at(0) == QLatin1String("nameserver"))
                DnsServers << words.at(1);
            else if (words.at(0) == QLatin1String("domain"))
                domain = words.at(1);
            else if (words.at(0) == QLatin1String("search") && search.isEmpty())
                search = words.at(1);
        }
    }
    if (domain.isEmpty())
        domain = search;
    LocalDomain = domain;
    if (domain.isEmpty() && !DnsServers.isEmpty()) {
        const QString name = ReverseLookup(DnsServers.first());
        if (name.contains(QLatin1Char('.')))
            LocalDomain = name.mid(name.indexOf(QLatin1Char('.')) + 1);
        domain = name;
    }
    const QStringList labels = domain.split(QLatin1Char('.'));
    BaseDomain = labels.size() < 2 ? domain : labels.mid(labels.size() - 2).join(QLatin1Char('.'));
}

MxAnswer MxLookup::QueryMX(const QString& domain)
{
    MXRecords.clear();
    BestMXHost.clear();
    if (DnsServers.isEmpty())
        FindDnsServers();
    if (DnsServers.isEmpty())
        return {QString(), QStringLiteral("No DNS entries found, MX Query cannot contine.")};
    const QString queried = domain.isEmpty() ? LocalDomain : domain;
    const std::optional<QByteArray> question = EncodeDnsName(queried);
    if (queried.size() < 5 || !question)
        return {QString(), QStringLiteral("No Valid Domain Specified")};
    MXQueryDomain = queried;

    QHostAddress server(DnsServers.first());
    if (server.isNull()) {
        const QList<QHostAddress> addresses = QHostInfo::fromName(DnsServers.first()).addresses();
        if (addresses.isEmpty())
            return {};
        server = addresses.first();
    }

    const quint16 id = quint16(QRandomGenerator::global()->generate());
    QByteArray query;
    query += char(id >> 8);
    query += char(id & 0xFF);
    // Recursion desired; one question, nothing else.
    query += QByteArray::fromHex("01000001000000000000");
    query += *question;
    query += QByteArray::fromHex("000f0001");
    QUdpSocket socket;
    if (socket.writeDatagram(query, server, m_port) != query.size())
        return {QString(), QStringLiteral("Problem sending MX query")};

    std::optional<QList<MXRecord>> records;
    QDeadlineTimer deadline(m_receiveLimitMs);
    while (!records) {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(int(deadline.remainingTime())))
            return {QString(), QStringLiteral("Problem receiving MX query")};
        const QNetworkDatagram datagram = socket.receiveDatagram(MaxReplyBytes);
        // Only the server asked may answer, and only this query.
        if (!datagram.senderAddress().isEqual(server, QHostAddress::TolerantConversion)
            || datagram.senderPort() != m_port || datagram.data().size() < 2 || read16(datagram.data(), 0) != id)
            continue;
        records = ParseMXAnswers(datagram.data(), id, *question);
        if (!records)
            return {};
    }

    if (records->isEmpty()) {
        // Below the machine's own domain, the parent domains may have the exchanger.
        if (endsWithDomain(queried, BaseDomain))
            return QueryMX(queried.mid(queried.indexOf(QLatin1Char('.')) + 1));
        return {};
    }
    quint16 best = 0;
    for (const MXRecord& record : *records) {
        if (BestMXHost.isEmpty() || record.Preference < best) {
            BestMXHost = record.Host;
            best = record.Preference;
        }
    }
    MXRecords = *records;
    SortMXRecords(MXRecords);
    return {BestMXHost, QString()};
}

QString MxLookup::ReverseLookup(const QString& address)
{
    QHostAddress parsed;
    if (!parsed.setAddress(address) || parsed.protocol() != QAbstractSocket::IPv4Protocol)
        return {};
    const QHostInfo info = QHostInfo::fromName(address);
    if (info.error() != QHostInfo::NoError || info.hostName() == address)
        return {};
    return info.hostName().left(256);
}

} // namespace mail
