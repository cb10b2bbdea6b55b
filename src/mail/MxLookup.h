#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace mail
{

struct MXRecord
{
    QString Host;
    quint16 Preference = 0;
};

// What a query gives: the best exchange host (empty when there is none), or the reason it could not
// be asked, which the mail class reports as error 20000 from "MXQuery".
struct MxAnswer
{
    QString host;
    QString error;
};

// The DNS question of a domain as length-prefixed labels and the closing zero; nullopt for a domain
// with an empty label or a label of more than 63 bytes. A final dot is dropped.
std::optional<QByteArray> EncodeDnsName(const QString& domain);

// The MX records of a reply to the query `id` for `question` (the name as EncodeDnsName gives it),
// in reply order; nullopt when the reply is not that answer or cannot be read whole. A reply with an
// error code has no records. The reply is untrusted: nothing is read past its end, and names may
// point anywhere in it but not in circles.
std::optional<QList<MXRecord>> ParseMXAnswers(const QByteArray& reply, quint16 id, const QByteArray& question);

// By ascending preference; equal preferences keep their order.
void SortMXRecords(QList<MXRecord>& records);

// Finds the mail exchanger of a domain with one MX query over UDP to the first DNS server of the
// resolver file. Blocks the caller for at most the receive limit; one query at a time.
class MxLookup
{
public:
    // Tests point the lookup at a fake server.
    void setResolverFile(const QString& path) { m_resolverFile = path; }
    void setPort(quint16 port) { m_port = port; }
    void setReceiveLimitMs(int ms) { m_receiveLimitMs = ms; }

    // Reads the servers and the local domain from the resolver file: "nameserver" lines in order,
    // "domain", else the first "search" entry.
    void FindDnsServers();
    MxAnswer QueryMX(const QString& domain);
    // The host name of an IPv4 address; empty when it has none.
    static QString ReverseLookup(const QString& address);

    QStringList DnsServers;
    QString LocalDomain;
    QString BaseDomain;
    QString MXQueryDomain;
    QString BestMXHost;
    QList<MXRecord> MXRecords;

private:
    QString m_resolverFile = QStringLiteral("/etc/resolv.conf");
    quint16 m_port = 53;
    int m_receiveLimitMs = 5000;
};

} // namespace mail
