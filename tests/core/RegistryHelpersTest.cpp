#include "core/RegistryHelpers.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "platform/Registry.h"
#include "support/ProgramFolderTest.h"

using core::RegGetKey;

namespace
{
const QString kNotificationKey = "Software\\Quillback Software\\Quillback\\Settings";

class RegistryHelpersTest : public test::ProgramFolderTest
{
protected:
    static void store(platform::RegistryRoot root, const QString& path, const QString& name, const QString& value)
    {
        platform::RegistryKey key;
        ASSERT_EQ(platform::RegistryKey::create(root, path, &key), platform::regerr::Success);
        ASSERT_EQ(key.setValue(name, value), platform::regerr::Success);
    }
    static void storeNotification(const QString& name, const QString& value)
    {
        store(platform::RegistryRoot::CurrentUser, kNotificationKey, name, value);
    }
};
} // namespace

TEST_F(RegistryHelpersTest, NotificationDefaultsWithoutAKey)
{
    core::LoadNotificationSettings();
    const core::NotificationSettingsInfo& s = core::state().NotificationSettings;
    EXPECT_FALSE(s.UseNotification);
    EXPECT_EQ(s.NotificationFrom, "");
    EXPECT_EQ(s.NotificationTo, "");
    EXPECT_EQ(s.NotificationSubject, "Quillback Notification");
    EXPECT_EQ(
        s.NotificationBody,
        "======QuillbackNotification ======\r\nThis message has been sent to you automatically byQuillbackbecause "
        "an operation on the Backup Set $ITEMNAME$ has started at $RUNTIME$ and finished with status "
        "$LASTRESULT$.");
    EXPECT_EQ(s.SMTP_Server, "");
    EXPECT_EQ(s.SMTPPort, "25");
    EXPECT_FALSE(s.smtpAuthenticate);
    EXPECT_EQ(s.smtpUID, "");
    EXPECT_EQ(s.smtpPWD, "");
    EXPECT_EQ(s.smtpEncoding, 0);
    EXPECT_EQ(s.smtpPriority, 1);
    EXPECT_EQ(s.ClientMailID, "");
    // Nothing is created by reading.
    EXPECT_FALSE(QFileInfo::exists(programFile("settings/user.ini")));
}

TEST_F(RegistryHelpersTest, StoredNotificationValuesAreConverted)
{
    storeNotification("UseNotification", "-1");
    storeNotification("NotificationFrom", "from@example.org");
    storeNotification("NotificationTo", "to@example.org");
    storeNotification("NotificationSubject", "Backup report");
    storeNotification("NotificationBody", "Done.");
    storeNotification("ClientMailID", "client-7");
    storeNotification("SMTP_Server", "mail.example.org");
    storeNotification("SMTPPort", "587");
    storeNotification("smtpAuthenticate", "True");
    storeNotification("smtpUID", "user");
    storeNotification("smtpPWD", QString::fromUtf8("\xC3\xB0\xC3\xA1"));
    storeNotification("smtpEncoding", "2");
    storeNotification("smtpPriority", "3");

    core::LoadNotificationSettings();
    const core::NotificationSettingsInfo& s = core::state().NotificationSettings;
    EXPECT_TRUE(s.UseNotification);
    EXPECT_EQ(s.NotificationFrom, "from@example.org");
    EXPECT_EQ(s.NotificationTo, "to@example.org");
    EXPECT_EQ(s.NotificationSubject, "Backup report");
    EXPECT_EQ(s.NotificationBody, "Done.");
    EXPECT_EQ(s.ClientMailID, "client-7");
    EXPECT_EQ(s.SMTP_Server, "mail.example.org");
    EXPECT_EQ(s.SMTPPort, "587");
    EXPECT_TRUE(s.smtpAuthenticate);
    EXPECT_EQ(s.smtpUID, "user");
    EXPECT_EQ(s.smtpPWD, QString::fromUtf8("\xC3\xB0\xC3\xA1"));
    EXPECT_EQ(s.smtpEncoding, 2);
    EXPECT_EQ(s.smtpPriority, 3);
}

TEST_F(RegistryHelpersTest, EmptyOrUnusableNotificationValuesFallBack)
{
    core::state().NotificationSettings.NotificationFrom = "kept";
    core::state().NotificationSettings.UseNotification = true;
    storeNotification("NotificationFrom", "");
    storeNotification("UseNotification", "perhaps");
    storeNotification("SMTPPort", "");
    storeNotification("NotificationSubject", "");
    storeNotification("smtpEncoding", "abc");
    storeNotification("smtpPriority", "99999");
    storeNotification("smtpAuthenticate", "0");

    core::LoadNotificationSettings();
    const core::NotificationSettingsInfo& s = core::state().NotificationSettings;
    EXPECT_EQ(s.NotificationFrom, "kept");
    EXPECT_TRUE(s.UseNotification);
    EXPECT_EQ(s.SMTPPort, "25");
    EXPECT_EQ(s.NotificationSubject, "Quillback Notification");
    EXPECT_EQ(s.smtpEncoding, 0);
    EXPECT_EQ(s.smtpPriority, 1);
    EXPECT_FALSE(s.smtpAuthenticate);
}

TEST_F(RegistryHelpersTest, RegGetKeyReadsStringsUpToTheirFirstNul)
{
    store(platform::RegistryRoot::CurrentUser, "Software\\A", "plain", "text");
    store(platform::RegistryRoot::CurrentUser, "Software\\A", "nul", QString::fromLatin1("abc\0def", 7));
    store(platform::RegistryRoot::LocalMachine, "SOFTWARE\\B", "machine", "m");

    struct Case
    {
        qint32 root;
        QString path, name, expected;
    };
    const Case cases[] = {
        {platform::HkeyCurrentUser, "Software\\A", "plain", "text"},
        {platform::HkeyCurrentUser, "software\\a", "PLAIN", "text"},
        {platform::HkeyCurrentUser, "Software\\A", "nul", "abc"},
        {platform::HkeyCurrentUser, "Software\\A", "missing", ""},
        {platform::HkeyCurrentUser, "Software\\Missing", "plain", ""},
        {platform::HkeyCurrentUser, "SOFTWARE\\B", "machine", ""},
        {platform::HkeyLocalMachine, "SOFTWARE\\B", "machine", "m"},
        {static_cast<qint32>(0x80000000u), "Software\\A", "plain", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegGetKey(c.root, c.path, c.name), c.expected) << c.path.toStdString() << " " << c.name.toStdString();
}

TEST_F(RegistryHelpersTest, RunEntryIsCreatedReplacedAndRemoved)
{
    const QString config = home.path() + "/config";
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    const QString entry = config + "/autostart/Quillback0.desktop";
    core::AddRemove run;

    // Shown as the product; it carries this test's program folder, which is not the default one.
    ASSERT_TRUE(run.AddToRun2("Quillback0", "/home/u/My Programs/quillback"));
    EXPECT_EQ(test::readFile(entry),
              QByteArray("[Desktop Entry]\nType=Application\nName=Quillback\nExec=\"env\" \"QUILLBACK_HOME=")
                  + QFile::encodeName(home.path()) + "\" \"/home/u/My Programs/quillback\"\nTerminal=false\n");
    ASSERT_TRUE(run.AddToRun2("Quillback0", "/opt/quillback/quillback"));
    EXPECT_TRUE(test::readFile(entry).contains(" \"/opt/quillback/quillback\"\n"));

    EXPECT_TRUE(run.RemoveFromRun2("Quillback1"));
    EXPECT_TRUE(QFileInfo::exists(entry));
    EXPECT_TRUE(run.RemoveFromRun2("Quillback0"));
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_TRUE(run.RemoveFromRun2("Quillback0"));
    EXPECT_TRUE(QDir(config + "/autostart").isEmpty());
    qunsetenv("XDG_CONFIG_HOME");
}
