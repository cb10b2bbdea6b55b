#include "platform/Autostart.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/EventLoop.h"
#include "platform/ProgramFolder.h"
#include "support/ProgramFolderTest.h"
#include "support/ScopedEnv.h"
#include "support/Waits.h"

using test::ScopedEnv;

TEST(Autostart, ExecLineQuotesEachWholeArgument)
{
    const std::pair<QStringList, QString> cases[] = {
        {{"/opt/quillback/quillback"}, R"("/opt/quillback/quillback")"},
        {{"/home/u/My Programs/quillback"}, R"("/home/u/My Programs/quillback")"},
        {{R"(/tmp/it's "q"/$HOME/a\b/100%/`x`)"}, R"("/tmp/it's \\"q\\"/\\$HOME/a\\\\b/100%%/\\`x\\`")"},
        {{"/tmp/tab\there"}, R"("/tmp/tab\there")"},
        {{"env", "QUILLBACK_HOME=/srv/q b", "/opt/q"}, R"("env" "QUILLBACK_HOME=/srv/q b" "/opt/q")"},
    };
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(platform::desktopExecLine(arguments), expected) << arguments.join(' ').toStdString();
}

TEST(Autostart, FolderFollowsXdgConfigHome)
{
    QTemporaryDir home;
    ScopedEnv homeEnv("HOME", QFile::encodeName(home.path()));
    const QString defaultFolder = home.path() + "/.config/autostart";
    const std::pair<QByteArray, QString> cases[] = {
        {"/srv/cfg", "/srv/cfg/autostart"},
        {QByteArray(), defaultFolder},
        {"", defaultFolder},
        // Relative paths are not valid there and are ignored.
        {"cfg", defaultFolder},
    };
    for (const auto& [value, expected] : cases) {
        ScopedEnv config("XDG_CONFIG_HOME", value);
        EXPECT_EQ(platform::autostartFolder(), expected) << value.toStdString();
    }
    ScopedEnv config("XDG_CONFIG_HOME", "/srv/cfg");
    EXPECT_EQ(platform::autostartEntryPath("Quillback0"), "/srv/cfg/autostart/Quillback0.desktop");
}

TEST(Autostart, NamesThatAreNoFileNameAreRefused)
{
    QTemporaryDir config;
    ScopedEnv env("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    for (const QString name : {"", ".", "..", "a/b", "../x", "a\nb"}) {
        EXPECT_FALSE(platform::writeAutostartEntry(name, "/usr/bin/true")) << name.toStdString();
        EXPECT_TRUE(platform::removeAutostartEntry(name)) << name.toStdString();
    }
    EXPECT_TRUE(QDir(config.path()).isEmpty());
}

namespace
{
// What a desktop's own launcher makes of an entry: GLib's, through "gio launch", runs a script that
// records the program folder and the arguments it was given.
QString launchedWith(const QString& entry, const QString& record)
{
    QProcess gio;
    // As at login: whatever the entry does not carry is not there.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QUILLBACK_HOME");
    gio.setProcessEnvironment(environment);
    gio.start("/usr/bin/gio", {"launch", entry});
    if (!gio.waitForFinished(10000) || gio.exitCode() != 0)
        return "gio failed: " + QString::fromUtf8(gio.readAllStandardError());
    // The launcher may return before the program it started has run.
    QFile out(record);
    platform::waitWhile([&out] { return !out.exists(); }, test::EventLimitMs);
    return out.open(QIODevice::ReadOnly) ? QString::fromUtf8(out.readAll()).trimmed() : "nothing ran";
}
} // namespace

TEST(Autostart, TheEntryIsNamedAfterTheProgramAndCarriesAProgramFolderOfItsOwn)
{
    QTemporaryDir config;
    ScopedEnv configEnv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QTemporaryDir scratch;
    const QString record = scratch.filePath("ran.txt");
    // A program path and a program folder that need quoting.
    const QString program = scratch.filePath("my $programs/quill back");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(program).path()));
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    // Written whole under another name and renamed, so that the record appears complete.
    script.write("#!/bin/sh\nprintf 'home=[%s] args=[%s]' \"$QUILLBACK_HOME\" \"$*\" > '" + QFile::encodeName(record)
                 + ".part' && mv '" + QFile::encodeName(record) + ".part' '" + QFile::encodeName(record) + "'\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    const QString ownFolder = scratch.filePath("my \"data\" 100%");

    struct Case
    {
        const char* what;
        QString home;
        QString exec;
        QString launched;
    };
    const QString defaultFolder = platform::ProgramFolder::defaultPath();
    const Case cases[] = {
        {"a folder of its own", ownFolder, platform::desktopExecLine({"env", "QUILLBACK_HOME=" + ownFolder, program}),
         "home=[" + ownFolder + "] args=[]"},
        // Started without the variable, the program finds this folder by itself.
        {"the default folder", defaultFolder, platform::desktopExecLine({program}), "home=[] args=[]"},
        {"no folder set", "", platform::desktopExecLine({program}), "home=[] args=[]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnv home("QUILLBACK_HOME", c.home.isEmpty() ? QByteArray() : QFile::encodeName(c.home));
        platform::ProgramFolder::reset();
        ASSERT_TRUE(platform::writeAutostartEntry("Quillback0", program));
        const QString entry = platform::autostartEntryPath("Quillback0");
        const QStringList lines = QString::fromUtf8(test::readFile(entry)).split('\n', Qt::SkipEmptyParts);
        EXPECT_TRUE(lines.contains("Name=Quillback")) << lines.join('|').toStdString();
        EXPECT_TRUE(lines.contains("Exec=" + c.exec)) << lines.join('|').toStdString();
        if (QFile::exists("/usr/bin/gio")) {
            QFile::remove(record);
            EXPECT_EQ(launchedWith(entry, record), c.launched);
        }
    }
    platform::ProgramFolder::reset();
}
