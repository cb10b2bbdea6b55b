#include "platform/Registry.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include "support/ProgramFolderTest.h"

using platform::RegistryKey;
using platform::RegistryRoot;
namespace regerr = platform::regerr;

namespace
{
class RegistryTest : public test::ProgramFolderTest
{ };
} // namespace

TEST(RegistryRoots, PredefinedHandleValuesNameTheHives)
{
    EXPECT_EQ(platform::registryRoot(-2147483647), RegistryRoot::CurrentUser);
    EXPECT_EQ(platform::registryRoot(-2147483646), RegistryRoot::LocalMachine);
    EXPECT_EQ(platform::registryRoot(static_cast<qint32>(0x80000000u)), std::nullopt);
    EXPECT_EQ(platform::registryRoot(0), std::nullopt);
}

TEST_F(RegistryTest, EachHiveHasItsOwnFile)
{
    RegistryKey machine;
    ASSERT_EQ(RegistryKey::create(RegistryRoot::LocalMachine, "SOFTWARE\\Co\\App", &machine), regerr::Success);
    ASSERT_EQ(machine.setValue("Active", "1"), regerr::Success);
    EXPECT_EQ(test::readFile(programFile("settings/machine.ini")), QByteArray("[SOFTWARE\\Co\\App]\nActive=1\n"));
    EXPECT_FALSE(QFileInfo::exists(programFile("settings/user.ini")));

    RegistryKey user;
    EXPECT_EQ(RegistryKey::open(RegistryRoot::CurrentUser, "SOFTWARE\\Co\\App", &user), regerr::FileNotFound);
    EXPECT_FALSE(QFileInfo::exists(programFile("settings/user.ini")));
}

TEST_F(RegistryTest, KeysAndValuesBehaveAsTheRegistrys)
{
    RegistryKey key;
    EXPECT_EQ(RegistryKey::open(RegistryRoot::CurrentUser, "Software\\Co", &key), regerr::FileNotFound);
    ASSERT_EQ(RegistryKey::create(RegistryRoot::CurrentUser, "Software\\Co\\App\\Settings", &key), regerr::Success);
    EXPECT_EQ(key.path(), "Software\\Co\\App\\Settings");

    // The parent exists because its sub-key does.
    RegistryKey parent;
    EXPECT_EQ(RegistryKey::open(RegistryRoot::CurrentUser, "SOFTWARE\\CO", &parent), regerr::Success);

    QString data;
    EXPECT_EQ(key.queryValue("SMTPPort", &data), regerr::FileNotFound);
    ASSERT_EQ(key.setValue("SMTPPort", "587"), regerr::Success);
    EXPECT_EQ(key.queryValue("smtpport", &data), regerr::Success);
    EXPECT_EQ(data, "587");
    EXPECT_EQ(key.deleteValue("SMTPPORT"), regerr::Success);
    EXPECT_EQ(key.queryValue("SMTPPort", &data), regerr::FileNotFound);
    EXPECT_EQ(key.deleteValue("SMTPPort"), regerr::FileNotFound);

    EXPECT_EQ(RegistryKey::remove(RegistryRoot::CurrentUser, "Software\\Co\\App"), regerr::AccessDenied);
    EXPECT_EQ(RegistryKey::remove(RegistryRoot::CurrentUser, "Software\\Co\\App\\Settings"), regerr::Success);
    EXPECT_EQ(RegistryKey::open(RegistryRoot::CurrentUser, "Software\\Co", &parent), regerr::FileNotFound);
    EXPECT_EQ(RegistryKey::remove(RegistryRoot::CurrentUser, "Software\\Co\\App\\Settings"), regerr::FileNotFound);
}
