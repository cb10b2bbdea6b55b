#include "platform/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "support/ProgramFolderTest.h"

using platform::SettingsFile;
namespace regerr = platform::regerr;

namespace
{
const QString kSettings = "SOFTWARE\\Quillback Software\\Quillback\\Settings";

class SettingsFileTest : public test::ProgramFolderTest
{
protected:
    QString path() const { return programFile("settings/machine.ini"); }
    QByteArray content() const { return test::readFile(path()); }
    QString value(const QString& group, const QString& name) const
    {
        QString result = "<missing>";
        SettingsFile(path()).read(group, name, &result);
        return result;
    }
};
} // namespace

TEST_F(SettingsFileTest, WritesOneGroupPerKeyPathWithValuesVerbatim)
{
    SettingsFile file(path());
    EXPECT_EQ(file.write(kSettings, "txtFTPFolder", "/backups"), regerr::Success);
    EXPECT_EQ(file.write(kSettings, "txtLanFolder", " C:\\Data \"x\" =y; "), regerr::Success);
    EXPECT_EQ(file.write("SOFTWARE\\Quillback Software\\Quillback0\\Settings", "chkRunAtStart", "1"), regerr::Success);
    EXPECT_EQ(file.write(kSettings, "chkLog", ""), regerr::Success);
    EXPECT_EQ(file.write(kSettings, "txtPassword2", QString::fromUtf8("\xC3\xB3\xC3\xA5\xC3\xBF")), regerr::Success);

    EXPECT_EQ(content(),
              QByteArray("[SOFTWARE\\Quillback Software\\Quillback\\Settings]\n"
                         "txtFTPFolder=/backups\n"
                         "txtLanFolder= C:\\Data \"x\" =y; \n"
                         "chkLog=\n"
                         "txtPassword2=\xC3\xB3\xC3\xA5\xC3\xBF\n"
                         "\n"
                         "[SOFTWARE\\Quillback Software\\Quillback0\\Settings]\n"
                         "chkRunAtStart=1\n"));
    EXPECT_EQ(value(kSettings, "txtLanFolder"), " C:\\Data \"x\" =y; ");
    EXPECT_EQ(value(kSettings, "chkLog"), "");
    EXPECT_EQ(value(kSettings, "txtPassword2"), QString::fromUtf8("\xC3\xB3\xC3\xA5\xC3\xBF"));
    EXPECT_EQ(value(kSettings, "txtServer"), "<missing>");
    EXPECT_EQ(value("SOFTWARE\\Quillback Software\\Other", "txtFTPFolder"), "<missing>");
}

TEST_F(SettingsFileTest, PathsAndNamesMatchWithoutRegardToCaseAndKeepTheirSpelling)
{
    SettingsFile file(path());
    ASSERT_EQ(file.write(kSettings, "txtPort", "25"), regerr::Success);
    ASSERT_EQ(file.write("software\\QUILLBACK SOFTWARE\\quillback\\settings", "txtport", "587"), regerr::Success);

    EXPECT_EQ(content(), QByteArray("[SOFTWARE\\Quillback Software\\Quillback\\Settings]\ntxtPort=587\n"));
    EXPECT_EQ(value(kSettings, "TXTPORT"), "587");
    // The name is not trimmed: a blank makes it another value.
    EXPECT_EQ(value(kSettings, " txtPort"), "<missing>");
}

TEST_F(SettingsFileTest, KeepsLinesItDoesNotUnderstand)
{
    const QByteArray before = "; kept by hand\n"
                              "Active=1\n"
                              "[SOFTWARE\\Q]\n"
                              "not a setting\n"
                              "txtA=1\n"
                              "[unclosed\n"
                              "\n"
                              "[a\\\\b]\n"
                              "x=1\n";
    ASSERT_TRUE(test::writeFile(path(), before));
    SettingsFile file(path());

    ASSERT_EQ(file.write("SOFTWARE\\Q", "txtB", "2"), regerr::Success);
    ASSERT_EQ(file.write("", "Interval", "5"), regerr::Success);
    EXPECT_EQ(content(),
              QByteArray("; kept by hand\n"
                         "Active=1\n"
                         "Interval=5\n"
                         "[SOFTWARE\\Q]\n"
                         "not a setting\n"
                         "txtA=1\n"
                         "[unclosed\n"
                         "txtB=2\n"
                         "\n"
                         "[a\\\\b]\n"
                         "x=1\n"));
    EXPECT_EQ(value("", "active"), "1");
    // A group with an empty part names no key; its lines stay but never match.
    EXPECT_EQ(value("a\\b", "x"), "<missing>");

    ASSERT_EQ(file.remove("SOFTWARE\\Q", "TXTA"), regerr::Success);
    EXPECT_FALSE(content().contains("txtA=1"));
    EXPECT_TRUE(content().contains("not a setting\n[unclosed\ntxtB=2\n"));
    EXPECT_EQ(file.remove("SOFTWARE\\Q", "txtA"), regerr::FileNotFound);
}

TEST_F(SettingsFileTest, ReadsFilesWrittenWithCrLfAndAByteOrderMark)
{
    ASSERT_TRUE(test::writeFile(path(), "\xEF\xBB\xBF[S]\r\nname=value\r\n"));
    EXPECT_EQ(value("S", "name"), "value");
}

TEST_F(SettingsFileTest, DamagedFileIsReportedAndNeverWrittenOver)
{
    const QByteArray damaged = "[S]\nok=1\nbad=\xFF\xFE\n";
    ASSERT_TRUE(test::writeFile(path(), damaged));
    SettingsFile file(path());

    QString read;
    EXPECT_EQ(file.read("S", "ok", &read), regerr::RegistryCorrupt);
    EXPECT_TRUE(file.errorString().contains("line 3")) << file.errorString().toStdString();
    EXPECT_EQ(file.write("S", "ok", "2"), regerr::RegistryCorrupt);
    EXPECT_EQ(file.createGroup("T"), regerr::RegistryCorrupt);
    EXPECT_EQ(file.remove("S", "ok"), regerr::RegistryCorrupt);
    EXPECT_EQ(file.removeGroup("S"), regerr::RegistryCorrupt);
    EXPECT_EQ(content(), damaged);
}

TEST_F(SettingsFileTest, RefusesWhatWouldNotReadBack)
{
    struct Case
    {
        const char* what;
        QString group;
        QString name;
        QString value;
    };
    const Case cases[] = {
        {"CR LF in a value", "S", "n", "a\r\nb"},     {"LF in a value", "S", "n", "a\nb"},
        {"CR in a value", "S", "n", "a\rb"},          {"= in a name", "S", "a=b", "v"},
        {"name read as a group", "S", " [x", "y]"},   {"line break in a name", "S", "a\nb", "v"},
        {"empty part of a path", "S\\\\T", "n", "v"}, {"trailing separator", "S\\", "n", "v"},
        {"line break in a path", "S\nT", "n", "v"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SettingsFile(path()).write(c.group, c.name, c.value), regerr::InvalidParameter) << c.what;
        EXPECT_FALSE(QFileInfo::exists(path())) << c.what;
    }
}

TEST_F(SettingsFileTest, FilesAndFolderAreOwnerOnly)
{
    const auto ownerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto ownerOnlyFolder = ownerOnlyFile | QFileDevice::ExeOwner;
    const auto mask = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
        | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
        | QFileDevice::ExeOther;

    ASSERT_EQ(SettingsFile(path()).write("S", "n", "v"), regerr::Success);
    EXPECT_EQ(QFile::permissions(path()) & mask, ownerOnlyFile);
    EXPECT_EQ(QFile::permissions(programFile("settings")) & mask, ownerOnlyFolder);

    // A file that another program left readable becomes owner-only when it is next written.
    const QString other = programFile("settings/user.ini");
    ASSERT_TRUE(test::writeFile(other, "[S]\n"));
    QFile::setPermissions(other, ownerOnlyFile | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    ASSERT_EQ(SettingsFile(other).write("S", "n", "v"), regerr::Success);
    EXPECT_EQ(QFile::permissions(other) & mask, ownerOnlyFile);
}

TEST_F(SettingsFileTest, GroupsExistThroughTheirOwnLineOrASubGroup)
{
    SettingsFile file(path());
    EXPECT_EQ(file.findGroup(""), regerr::Success);
    EXPECT_EQ(file.findGroup("A"), regerr::FileNotFound);

    ASSERT_EQ(file.createGroup("A\\B\\C"), regerr::Success);
    ASSERT_EQ(file.createGroup("a\\b\\c"), regerr::Success);
    ASSERT_EQ(file.createGroup("A\\B"), regerr::Success);
    EXPECT_EQ(content(), QByteArray("[A\\B\\C]\n"));
    EXPECT_EQ(file.findGroup("a"), regerr::Success);
    EXPECT_EQ(file.findGroup("A\\B\\C\\D"), regerr::FileNotFound);

    ASSERT_EQ(file.write("A\\B\\C", "n", "1"), regerr::Success);
    ASSERT_EQ(file.write("X", "n", "2"), regerr::Success);
    ASSERT_EQ(file.write("A", "n", "3"), regerr::Success);
    EXPECT_EQ(file.removeGroup("A"), regerr::AccessDenied);
    EXPECT_EQ(file.removeGroup("A\\B"), regerr::AccessDenied);
    EXPECT_EQ(file.removeGroup("A\\B\\C"), regerr::Success);
    EXPECT_EQ(file.removeGroup("A\\B\\C"), regerr::FileNotFound);
    EXPECT_EQ(file.removeGroup("A"), regerr::Success);
    EXPECT_EQ(content(), QByteArray("[X]\nn=2\n"));
}

TEST_F(SettingsFileTest, UnreachableFileFailsWithoutLosingAnything)
{
    // A regular file where the settings folder belongs: nothing can be written below it.
    ASSERT_TRUE(test::writeFile(programFile("settings"), "in the way"));
    SettingsFile blocked(path());
    EXPECT_EQ(blocked.write("S", "n", "v"), regerr::AccessDenied);
    EXPECT_EQ(blocked.read("S", "n", nullptr), regerr::FileNotFound);
    EXPECT_EQ(test::readFile(programFile("settings")), QByteArray("in the way"));

    // A folder where the file belongs: it cannot be read.
    const QString other = home.path() + "/other/machine.ini";
    ASSERT_TRUE(QDir().mkpath(other));
    SettingsFile unreadable(other);
    EXPECT_EQ(unreadable.read("S", "n", nullptr), regerr::AccessDenied);
    EXPECT_EQ(unreadable.write("S", "n", "v"), regerr::AccessDenied);
    EXPECT_TRUE(QFileInfo(other).isDir());
}
