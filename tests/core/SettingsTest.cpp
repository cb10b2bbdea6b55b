#include "core/Settings.h"

#include <cerrno>

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "support/FailingWriter.h"
#include "support/ProgramFolderTest.h"
#include "support/SmallDisk.h"

using core::GetSetting;
using core::ReadSetting;
using core::SaveSetting;
using core::WriteSetting;

namespace
{
const QString kApp = "Quillback";
const QString kSection = "Settings";

class SettingsTest : public test::ProgramFolderTest
{
protected:
    QString machineIni() const { return programFile("settings/machine.ini"); }

    // The machine store refuses writes while a folder stands where its file belongs.
    void blockMachineStore() { ASSERT_TRUE(QDir().mkpath(machineIni())); }
    void unblockMachineStore() { QDir().rmdir(machineIni()); }

    QString read(const QString& key, const QString& def = "<default>")
    {
        return ReadSetting(kApp, kSection, key, def).value_or("<raised>");
    }
};

QString latin1Upper()
{
    QString text;
    for (char16_t c = 0x80; c <= 0xFF; ++c)
        text += QChar(c);
    return text;
}
} // namespace

TEST_F(SettingsTest, ValuesReadBackAsWritten)
{
    const std::pair<QString, QString> cases[] = {
        {"txtServer", "smtp.example.org"},
        {"txtEmailFrom", ""},
        {"txtLanFolder", "/home/u/My Backups"},
        {"txtFTPFolder", "C:\\Data\\x=y \"q\" "},
        {"txtPassword2", core::ScramblePassword("s3cret Pass!")},
        {"txtUpper", latin1Upper()},
    };
    for (const auto& [key, value] : cases) {
        EXPECT_TRUE(WriteSetting(kApp, kSection, key, value)) << key.toStdString();
        EXPECT_EQ(read(key), value) << key.toStdString();
    }
    EXPECT_EQ(core::ScramblePassword(read("txtPassword2")), "s3cret Pass!");
    EXPECT_TRUE(test::readFile(machineIni()).startsWith("[SOFTWARE\\Quillback Software\\Quillback\\Settings]\n"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(SettingsTest, MissingKeyOrValueGivesTheDefault)
{
    EXPECT_EQ(read("chkLog", "0"), "0");
    EXPECT_FALSE(QFileInfo::exists(machineIni()));

    ASSERT_TRUE(WriteSetting(kApp, kSection, "chkLog", "1"));
    EXPECT_EQ(read("chkSplash", "0"), "0");
    EXPECT_EQ(ReadSetting("Quillback0", kSection, "chkLog", "0"), "0");
    EXPECT_EQ(ReadSetting(kApp, "Other", "chkLog", "0"), "0");
}

TEST_F(SettingsTest, NamesMatchWithoutCaseAndOnlyTheKeyKeepsItsBlanks)
{
    ASSERT_TRUE(WriteSetting(kApp, kSection, "txtport", "587"));
    ASSERT_TRUE(WriteSetting(kApp, kSection, "txtFTPfolder", "/up"));
    EXPECT_EQ(read("txtPort"), "587");
    EXPECT_EQ(read("TXTFTPFOLDER"), "/up");
    EXPECT_EQ(ReadSetting("  Quillback ", " Settings  ", "txtPort", "25"), "587");
    EXPECT_EQ(ReadSetting(kApp, kSection, " txtPort", "25"), "25");

    ASSERT_TRUE(WriteSetting(" quillback", "settings ", "TXTPORT", "465"));
    EXPECT_EQ(read("txtPort"), "465");
    EXPECT_EQ(test::readFile(machineIni()),
              QByteArray("[SOFTWARE\\Quillback Software\\Quillback\\Settings]\ntxtport=465\ntxtFTPfolder=/up\n"));
}

TEST_F(SettingsTest, BlankArgumentsRaiseTheirErrors)
{
    struct Case
    {
        QString app, section, key;
        qint32 number;
        QString description;
    };
    const Case cases[] = {
        {"   ", kSection, "chkLog", -2147220504, "AppName may not be empty"},
        {"", "", "", -2147220504, "AppName may not be empty"},
        {kApp, " ", "chkLog", -2147220503, "Section may not be empty"},
        {kApp, kSection, "", -2147220502, "Key may not be empty"},
        {kApp, kSection, "  ", -2147220502, "Key may not be empty"},
    };
    for (const Case& c : cases) {
        core::resetErrors();
        EXPECT_EQ(ReadSetting(c.app, c.section, c.key, "d"), std::nullopt) << c.description.toStdString();
        EXPECT_EQ(core::Err().Number, c.number) << c.description.toStdString();
        EXPECT_EQ(core::Err().Description, c.description);
    }
}

TEST_F(SettingsTest, StoreThatCannotBeOpenedRaises)
{
    struct Case
    {
        const char* what;
        std::function<void()> arrange;
        qint32 number;
    };
    const Case cases[] = {
        {"unreadable", [&] { blockMachineStore(); }, -2147219499},
        {"damaged", [&] { test::writeFile(machineIni(), "[SOFTWARE]\nx=\xC0\n"); }, -2147219504 + 1015},
    };
    for (const Case& c : cases) {
        QDir(programFile("settings")).removeRecursively();
        c.arrange();
        core::resetErrors();
        EXPECT_EQ(ReadSetting(kApp, kSection, "chkLog", "0"), std::nullopt) << c.what;
        EXPECT_EQ(core::Err().Number, c.number) << c.what;
        EXPECT_EQ(core::Err().Description, "Could not open registry section") << c.what;
    }
    // The damaged file is left for the user to mend.
    prompt.answer(platform::Answer::Abort);
    EXPECT_FALSE(WriteSetting(kApp, kSection, "chkLog", "1"));
    EXPECT_EQ(test::readFile(machineIni()), QByteArray("[SOFTWARE]\nx=\xC0\n"));
}

TEST_F(SettingsTest, RefusedWriteShowsThePermissionNotice)
{
    blockMachineStore();
    prompt.answer(platform::Answer::Abort);
    EXPECT_FALSE(WriteSetting(kApp, kSection, "chkLog", "1"));

    ASSERT_EQ(prompt.shown.size(), 1u);
    const platform::Message& notice = prompt.shown.front();
    EXPECT_EQ(notice.title, "Permission Denied");
    EXPECT_EQ(notice.buttons, platform::Buttons::AbortRetryIgnore);
    EXPECT_EQ(notice.icon, platform::Icon::None);
    EXPECT_EQ(notice.text,
              "Quillback requires read/write access to its settings file \"" + programFile("settings/machine.ini")
                  + "\" and its folder, and to the hard drive, in order to run properly.  This user account does not "
                    "have the proper permissions set.  As a result some or all of your settings may not be properly "
                    "saved.  Please contact your system administrator or change the permissions of that file and "
                    "folder for this account.\r\n\r\nIf you would like to prevent this error message from being "
                    "displayed again, please press 'Ignore'.");

    unblockMachineStore();
    EXPECT_EQ(read("chkLog"), "<default>");
    EXPECT_EQ(GetSetting(kApp, kSection, "IgnorePermissionDeniedError", "0"), "0");
}

TEST_F(SettingsTest, RetryWritesOnceTheProblemIsFixed)
{
    blockMachineStore();
    prompt.answer(platform::Answer::Retry);
    prompt.answer(platform::Answer::Retry);
    prompt.answer(platform::Answer::Abort);
    EXPECT_FALSE(WriteSetting(kApp, kSection, "chkLog", "1"));
    EXPECT_EQ(prompt.shown.size(), 3u);

    prompt.shown.clear();
    prompt.answer(platform::Answer::Retry);
    prompt.whileShown = [&](const platform::Message&) { unblockMachineStore(); };
    EXPECT_TRUE(WriteSetting(kApp, kSection, "chkLog", "1"));
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(read("chkLog"), "1");
}

TEST_F(SettingsTest, IgnoreSilencesTheNoticeForGood)
{
    blockMachineStore();
    prompt.answer(platform::Answer::Ignore);
    EXPECT_FALSE(WriteSetting(kApp, kSection, "chkLog", "1"));
    EXPECT_EQ(GetSetting(kApp, kSection, "IgnorePermissionDeniedError", "0"), "1");
    EXPECT_EQ(test::readFile(programFile("settings/app.ini")),
              QByteArray("[Quillback\\Settings]\nIgnorePermissionDeniedError=1\n"));

    EXPECT_FALSE(WriteSetting(kApp, kSection, "chkMin", "1"));
    EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST_F(SettingsTest, NoNoticeWhileNobodyShouldBeAsked)
{
    struct Case
    {
        const char* what;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"service mode", [] { core::state().ServiceMode = true; }},
        {"starting hidden", [] { core::state().StartHidden = true; }},
        {"silenced before", [] { SaveSetting("Quillback", "Settings", "IgnorePermissionDeniedError", "1"); }},
    };
    blockMachineStore();
    for (const Case& c : cases) {
        core::resetState();
        QFile::remove(programFile("settings/app.ini"));
        c.arrange();
        EXPECT_FALSE(WriteSetting(kApp, kSection, "chkLog", "1")) << c.what;
        EXPECT_TRUE(prompt.shown.empty()) << c.what;
    }
}

TEST_F(SettingsTest, UnattendedNoticeDoesNotSilenceItselfForGood)
{
    // The real prompt on a screenless platform answers by itself.
    platform::setPrompt(nullptr);
    ASSERT_TRUE(platform::isUnattended());
    blockMachineStore();
    EXPECT_FALSE(WriteSetting(kApp, kSection, "chkLog", "1"));
    EXPECT_EQ(GetSetting(kApp, kSection, "IgnorePermissionDeniedError", "0"), "0");
}

TEST_F(SettingsTest, ValueWithALineBreakIsRefusedWithoutTheNotice)
{
    EXPECT_FALSE(WriteSetting(kApp, kSection, "txtEmailFrom", "a@example.org\r\nBcc: b@example.org"));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(read("txtEmailFrom"), "<default>");
}

TEST_F(SettingsTest, PerUserValuesLiveInTheirOwnGroups)
{
    EXPECT_EQ(GetSetting(kApp, kSection, "Language", ""), "");
    EXPECT_EQ(GetSetting(kApp, kSection, "BackupSetColumn3", "2500"), "2500");

    ASSERT_TRUE(SaveSetting(kApp, kSection, "Language", "Deutsch"));
    ASSERT_TRUE(SaveSetting(kApp, kSection, "showHelp", "0"));
    ASSERT_TRUE(SaveSetting("Other", "Mail", "Server", ""));
    EXPECT_EQ(GetSetting(kApp, kSection, "language", "English"), "Deutsch");
    EXPECT_EQ(GetSetting("Other", "Mail", "Server", "x"), "");
    EXPECT_EQ(test::readFile(programFile("settings/app.ini")),
              QByteArray("[Quillback\\Settings]\nLanguage=Deutsch\nshowHelp=0\n\n[Other\\Mail]\nServer=\n"));
    // The machine-wide value of the same name is another value.
    EXPECT_EQ(read("showHelp"), "<default>");
}

TEST_F(SettingsTest, AFullDiskKeepsTheSettingsAsTheyWereAndSaysWhy)
{
    core::state().LoggingEnabled = true;
    const auto log = [&] { return QString::fromUtf8(test::readFile(programFile("status.log"))); };
    ASSERT_TRUE(WriteSetting(kApp, kSection, "chkLog", "1"));
    ASSERT_TRUE(SaveSetting(kApp, kSection, "Language", "English"));

    // Where the disk cannot be filled, a writer that fails like a full one.
    {
        test::FailingWriter full("app.ini");
        EXPECT_FALSE(SaveSetting(kApp, kSection, "BackupSetColumn1", "3000"));
        EXPECT_TRUE(log().contains("The setting BackupSetColumn1 was not saved: No space left on device"));
    }
    EXPECT_EQ(GetSetting(kApp, kSection, "BackupSetColumn1", "<missing>"), "<missing>");

    test::SmallDisk disk(programFile("settings"), "64k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error().toStdString();
    ASSERT_TRUE(WriteSetting(kApp, kSection, "chkLog", "1"));
    ASSERT_TRUE(SaveSetting(kApp, kSection, "Language", "English"));
    const QByteArray machine = test::readFile(machineIni());
    const QByteArray user = test::readFile(programFile("settings/app.ini"));
    ASSERT_TRUE(disk.fill());

    prompt.answer(platform::Answer::Abort);
    EXPECT_FALSE(WriteSetting(kApp, kSection, "chkMin", "1"));
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_FALSE(SaveSetting(kApp, kSection, "BackupSetColumn2", "3000"));

    EXPECT_EQ(test::readFile(machineIni()), machine);
    EXPECT_EQ(test::readFile(programFile("settings/app.ini")), user);
    EXPECT_EQ(QDir(programFile("settings")).entryList(QDir::Files | QDir::Hidden),
              (QStringList {"app.ini", "filler", "machine.ini"}));
    const QString noSpace = qt_error_string(ENOSPC);
    EXPECT_TRUE(log().contains("The setting chkMin was not saved: Cannot write \"" + machineIni() + "\": " + noSpace))
        << log().toStdString();
    EXPECT_TRUE(log().contains("The setting BackupSetColumn2 was not saved: Cannot write \""
                               + programFile("settings/app.ini") + "\": " + noSpace));
}
