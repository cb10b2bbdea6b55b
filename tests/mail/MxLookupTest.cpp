#include "mail/MxLookup.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "peers/PeerProcess.h"
#include "support/ProgramFolderTest.h"

namespace
{
class MxLookupTest : public ::testing::Test
{
protected:
    // A resolver file naming the fake server, and a lookup that asks it.
    void startDns(const QString& mode, const QString& resolverLines = "domain local.test\n")
    {
        ASSERT_TRUE(dns.start("dns_peer.py", {"--mode", mode, "--log", logPath()})) << dns.error().toStdString();
        writeResolver("nameserver 127.0.0.1\n" + resolverLines);
        lookup.setPort(dns.port());
        lookup.setReceiveLimitMs(500);
    }

    void writeResolver(const QString& text)
    {
        ASSERT_TRUE(test::writeFile(dir.filePath("resolv.conf"), text.toUtf8()));
        lookup.setResolverFile(dir.filePath("resolv.conf"));
    }

    QString logPath() const { return dir.filePath("queries.log"); }
    QStringList queried() const { return QString::fromUtf8(test::readFile(logPath())).split('\n', Qt::SkipEmptyParts); }

    static QStringList hosts(const QList<mail::MXRecord>& records)
    {
        QStringList names;
        for (const mail::MXRecord& record : records)
            names << record.Host + ":" + QString::number(record.Preference);
        return names;
    }

    QTemporaryDir dir;
    test::PeerProcess dns;
    mail::MxLookup lookup;
};
} // namespace

TEST(MxNamesTest, NamesBecomeLabelsAndUnusableOnesAreRefused)
{
    EXPECT_EQ(mail::EncodeDnsName("example.com"),
              QByteArray("\x07"
                         "example"
                         "\x03"
                         "com",
                         12)
                  + '\0');
    EXPECT_EQ(mail::EncodeDnsName("example.com."), mail::EncodeDnsName("example.com"));
    EXPECT_EQ(mail::EncodeDnsName(QString(63, 'a') + ".org")->size(), 1 + 63 + 1 + 3 + 1);
    EXPECT_FALSE(mail::EncodeDnsName(QString(64, 'a') + ".org"));
    EXPECT_FALSE(mail::EncodeDnsName("a..example.org"));

    QList<mail::MXRecord> records = {{"a", 20}, {"b", 10}, {"c", 20}, {"d", 10}};
    mail::SortMXRecords(records);
    QStringList order;
    for (const mail::MXRecord& record : records)
        order << record.Host;
    EXPECT_EQ(order, QStringList({"b", "d", "a", "c"}));
}

TEST_F(MxLookupTest, RepliesGiveTheBestHostAndSortedRecordsOrACleanFailure)
{
    struct Case
    {
        QString mode;
        QString best;
        QStringList records;
        QString error;
    };
    const Case cases[] = {
        {"two-mx", "mx1.example.org", {"mx1.example.org:10", "mx2.example.org:20"}, ""},
        {"two-mx-plain", "mx1.example.org", {"mx1.example.org:10", "mx2.example.org:20"}, ""},
        {"equal", "first.example.org", {"first.example.org:10", "second.example.org:10"}, ""},
        // Preferences are unsigned: 65535 is the least preferred, not -1.
        {"high-first", "main.example.org", {"main.example.org:10", "backup.example.org:65535"}, ""},
        {"cname-first", "mx.example.org", {"mx.example.org:10"}, ""},
        {"none", "", {}, ""},
        {"nxdomain", "", {}, ""},
        {"truncated", "", {}, ""},
        {"loop", "", {}, ""},
        {"wrong-id", "", {}, "Problem receiving MX query"},
        {"other-sender", "", {}, "Problem receiving MX query"},
        {"silent", "", {}, "Problem receiving MX query"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode.toStdString());
        startDns(c.mode);
        lookup.DnsServers.clear();
        const mail::MxAnswer answer = lookup.QueryMX("example.org");
        EXPECT_EQ(answer.host, c.best);
        EXPECT_EQ(answer.error, c.error);
        EXPECT_EQ(lookup.BestMXHost, c.best);
        EXPECT_EQ(hosts(lookup.MXRecords), c.records);
        EXPECT_EQ(queried().size(), 1) << "a domain outside the local one is asked once";
        dns.stop();
        QFile::remove(logPath());
    }
}

TEST_F(MxLookupTest, ADomainBelowTheLocalOneWalksUpByWholeLabels)
{
    startDns("base-only", "search other.test\ndomain b.example.com\n");
    EXPECT_EQ(lookup.QueryMX("a.b.example.com").host, "mx.example.com");
    EXPECT_EQ(queried(), QStringList({"a.b.example.com", "b.example.com", "example.com"}));
    EXPECT_EQ(lookup.LocalDomain, "b.example.com");
    EXPECT_EQ(lookup.BaseDomain, "example.com");

    QFile::remove(logPath());
    const mail::MxAnswer outside = lookup.QueryMX("a.notexample.com");
    EXPECT_TRUE(outside.host.isEmpty());
    EXPECT_TRUE(outside.error.isEmpty());
    EXPECT_EQ(queried(), QStringList({"a.notexample.com"}));

    QFile::remove(logPath());
    EXPECT_EQ(lookup.QueryMX("").host, "mx.example.com") << "no domain asks for the local one";
    EXPECT_EQ(queried().first(), "b.example.com");
}

TEST_F(MxLookupTest, WhatCannotBeAskedFailsWithoutTraffic)
{
    startDns("two-mx");
    EXPECT_EQ(lookup.QueryMX("a.bc").error, "No Valid Domain Specified");
    EXPECT_EQ(lookup.QueryMX(QString(64, 'x') + ".org").error, "No Valid Domain Specified");
    EXPECT_TRUE(queried().isEmpty());

    // Discovered once: a changed resolver file is not read again.
    writeResolver("");
    EXPECT_EQ(lookup.QueryMX("example.org").host, "mx1.example.org");

    mail::MxLookup fresh;
    fresh.setResolverFile(dir.filePath("resolv.conf"));
    EXPECT_EQ(fresh.QueryMX("example.org").error, "No DNS entries found, MX Query cannot contine.");
}

TEST_F(MxLookupTest, TheResolverFileGivesServersInOrderAndTheDomainBeforeTheSearchList)
{
    writeResolver("# comment\nsearch first.test second.test\nnameserver 10.0.0.1\n; other\nnameserver 10.0.0.2\n");
    lookup.FindDnsServers();
    EXPECT_EQ(lookup.DnsServers, QStringList({"10.0.0.1", "10.0.0.2"}));
    EXPECT_EQ(lookup.LocalDomain, "first.test");
    EXPECT_EQ(lookup.BaseDomain, "first.test");

    writeResolver("search first.test\ndomain a.b.example.net\nnameserver 10.0.0.1\n");
    lookup.FindDnsServers();
    EXPECT_EQ(lookup.LocalDomain, "a.b.example.net");
    EXPECT_EQ(lookup.BaseDomain, "example.net");
}
