#include "mail/MailChecks.h"

#include <gtest/gtest.h>

TEST(MailChecksTest, AddressesAndDomainsPassByTheirFormWhateverTheirTopLevelDomain)
{
    const QList<QPair<QString, bool>> addresses = {
        {"anna@example.org", true}, {"@example.org", true},  {"anna@b@example.org", false}, {"anna", false},
        {"anna@example.de ", true}, {"anna@10.0.0.1", true}, {"anna@shop.dev", true},       {"anna@shop", false},
    };
    for (const auto& [address, valid] : addresses)
        EXPECT_EQ(mail::IsValidEmailAddress(address), valid) << address.toStdString();

    const QList<QPair<QString, bool>> domains = {
        // Top-level domains that came after any fixed list.
        {"example.eu", true},
        {"me.me", true},
        {"web.dev", true},
        {"my.app", true},
        {"a-b.xyz", true},
        {"mail.photography", true},
        {" Example.MUSEUM ", true},
        {QString::fromUtf8("m\xC3\xBCnchen.de"), true},
        {"example.xn--p1ai", true},
        {"mail.co", true},
        // Not a domain's form.
        {"host.x", false},
        {"host.123", false},
        {"1.2.3.256", false},
        {"host.", false},
        {"a..example.org", false},
        {"-a.example.org", false},
        {"a-.example.org", false},
        {"a_b.example.org", false},
        {"a b.example.org", false},
        {QString(64, 'a') + ".org", false},
        {"localhost", false},
        {"", false},
    };
    for (const auto& [domain, valid] : domains)
        EXPECT_EQ(mail::IsValidDomain(domain), valid) << domain.toStdString();
}

TEST(MailChecksTest, IpAddressesAreFourDecimalNumbers)
{
    const QList<QPair<QString, bool>> texts = {
        {"239.255.255.255", true}, {"240.1.1.1", false}, {"1.2.3", false},    {"1.2.3.4.5", false},
        {"1.2.3.256", false},      {"0x1.2.3.4", false}, {"1.2.3.+4", false}, {"1.2..4", false},
    };
    for (const auto& [text, valid] : texts)
        EXPECT_EQ(mail::IsIPAddress(text), valid) << text.toStdString();
    EXPECT_EQ(mail::IPToLong("1.2.3.4"), 0x04030201u);
    EXPECT_EQ(mail::IPToLong("1.2.3"), 0u);
}

TEST(MailChecksTest, HostNamesResolveTrimmedAndAnEmptyOneIsTheLocalHost)
{
    QString host = "  localhost ";
    EXPECT_EQ(mail::GetIPAddress(host), "127.0.0.1");
    QString local;
    EXPECT_FALSE(mail::GetIPAddress(local).isEmpty());
    EXPECT_EQ(local, mail::GetIPHost());
}

TEST(MailChecksTest, PingOfTheLoopbackAnswersWhereTheSystemAllowsIcmp)
{
    QString address = "127.0.0.1";
    QString roundTrip;
    QString size;
    bool match = false;
    QString status;
    const bool answered = mail::Ping(address, roundTrip, size, match, &status);
    if (!answered && !status.isEmpty())
        GTEST_SKIP() << status.toStdString();
    ASSERT_TRUE(answered);
    EXPECT_EQ(address, "127.0.0.1");
    EXPECT_EQ(size, "32 bytes");
    EXPECT_TRUE(match);
    EXPECT_FALSE(roundTrip.isEmpty());
}
