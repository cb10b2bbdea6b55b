#include "platform/Autostart.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/ScopedEnv.h"

using test::ScopedEnv;

TEST(Autostart, ExecCommandQuotesTheWholePath)
{
    const std::pair<QString, QString> cases[] = {
        {"/opt/quillback/quillback", R"("/opt/quillback/quillback")"},
        {"/home/u/My Programs/quillback", R"("/home/u/My Programs/quillback")"},
        {R"(/tmp/it's "q"/$HOME/a\b/100%/`x`)", R"("/tmp/it's \\"q\\"/\\$HOME/a\\\\b/100%%/\\`x\\`")"},
        {"/tmp/tab\there", R"("/tmp/tab\there")"},
    };
    for (const auto& [program, expected] : cases)
        EXPECT_EQ(platform::desktopExecCommand(program), expected) << program.toStdString();
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
