#include "core/PathHelpers.h"

#include <optional>

#include <QString>

#include <gtest/gtest.h>

using namespace core;

TEST(PathHelpersTest, BasedirAndBasenameSplitOffTheLastPart)
{
    struct Case
    {
        QString path;
        QString dir;
        QString name;
    };
    const Case cases[] = {
        {"/home/u/a.txt", "/home/u", "a.txt"},
        {"/x", "/", "x"},
        {"/", "/", ""},
        {"/a/b/", "/a/b", ""},
        {"a/b/c", "a/b", "c"},
        {"file.txt", "", "file.txt"},
        {"", "", ""},
        // Stored Windows forms.
        {"C:\\a\\b.txt", "C:\\a", "b.txt"},
        {"C:\\", "C:", ""},
        {"\\file.txt", "", "file.txt"},
        {"C:\\dir\\", "C:\\dir", ""},
        // A "\" is part of a name once the text holds a "/".
        {"a/b\\c/d", "a/b\\c", "d"},
        {"/srv/back\\up", "/srv", "back\\up"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Basedir(c.path), c.dir) << qPrintable(c.path);
        EXPECT_EQ(Basename(c.path), c.name) << qPrintable(c.path);
    }
}

TEST(PathHelpersTest, ParentFolderOfLocalPaths)
{
    const std::pair<QString, std::optional<QString>> cases[] = {
        {"/a/b.txt", QString("/a")}, {"/a/b/", QString("/a/b")}, {"/x", QString("/")},           {"/", QString("/")},
        {"a/b", QString("a")},       {"file.txt", std::nullopt}, {"C:\\a\\b.txt", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [path, parent] : cases)
        EXPECT_EQ(ParentFolder(path), parent) << qPrintable(path);
}

TEST(PathHelpersTest, JoinPathPutsOneSlashBetween)
{
    EXPECT_EQ(JoinPath("/srv/backup", "a/b.txt"), "/srv/backup/a/b.txt");
    EXPECT_EQ(JoinPath("/srv/backup//", "a.txt"), "/srv/backup/a.txt");
    EXPECT_EQ(JoinPath("/", "a.txt"), "/a.txt");
}

TEST(PathHelpersTest, LastPathPartStoresItsResultInTheCallersVariable)
{
    const std::pair<QString, QString> cases[] = {
        {"/a/b.txt", "b.txt"},
        {"/a/b/", ""},
        {"name", "name"},
        {"", ""},
    };
    for (const auto& [path, part] : cases) {
        QString variable = path;
        EXPECT_EQ(LastPathPart(variable), part) << qPrintable(path);
        EXPECT_EQ(variable, part) << qPrintable(path);
    }
}

TEST(PathHelpersTest, ParentSlashPathNeverReturnsEmpty)
{
    const std::pair<QString, QString> cases[] = {
        {"a/b/c", "/a/b"}, {"a/", "/a"}, {"/x/y/z.zip", "//x/y"}, {"/", "/"}, {"name", "/"}, {"", "/"},
    };
    for (const auto& [path, parent] : cases)
        EXPECT_EQ(ParentSlashPath(path), parent) << qPrintable(path);
}

TEST(PathHelpersTest, NulHelpers)
{
    const QString nul(QChar(0));
    const std::pair<QString, QString> cases[] = {
        {"abc", "abc"},
        {"ab" + nul + "cd", "ab"},
        {nul + "cd", ""},
        {"", ""},
    };
    for (const auto& [text, before] : cases) {
        EXPECT_EQ(TrimNull(text), before) << qPrintable(text);
        QString variable = text;
        EXPECT_EQ(StripNulls(variable), before) << qPrintable(text);
        EXPECT_EQ(variable, before) << qPrintable(text);
    }
}
