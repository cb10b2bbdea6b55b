#include "engine/PathParts.h"

#include <gtest/gtest.h>

#include "engine/clsFileInfo.h"

namespace
{
struct PathCase
{
    const char* path;
    const char* dir;
    const char* name;
    const char* ext;
};
} // namespace

TEST(PathPartsTest, SplitsLinuxPathsAndStoredWindowsForms)
{
    const PathCase cases[] = {
        {"/home/u/a/b.txt", "/home/u/a/", "b.txt", "txt"},
        {"C:\\a\\b.txt", "C:\\a\\", "b.txt", "txt"},
        {"C:\\Data/mixed\\x.Doc", "C:\\Data/mixed\\", "x.Doc", "doc"},
        {"b.txt", "", "b.txt", "txt"},
        {"/home/u/archive.tar.GZ", "/home/u/", "archive.tar.GZ", "gz"},
        {"/home/u/Makefile", "/home/u/", "Makefile", ""},
        {".bashrc", "", ".bashrc", ""},
        {"/home/u/.bashrc", "/home/u/", ".bashrc", ""},
        {"/home/u/.config.bak", "/home/u/", ".config.bak", "bak"},
        {"/home/u/dir.d/file", "/home/u/dir.d/", "file", ""},
        {"/home/u/docs/", "/home/u/docs/", "", ""},
        {"/home/u/a.", "/home/u/", "a.", ""},
        {"/home/u/my report, v2.Übersicht", "/home/u/", "my report, v2.Übersicht", "übersicht"},
        {"/", "/", "", ""},
        {"", "", "", ""},
    };
    for (const PathCase& c : cases) {
        const QString path = QString::fromUtf8(c.path);
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(engine::fileDir(path), QString::fromUtf8(c.dir));
        EXPECT_EQ(engine::FileName(path), QString::fromUtf8(c.name));
        EXPECT_EQ(engine::fileExt(path), QString::fromUtf8(c.ext));
    }
}

TEST(PathPartsTest, AddSlashAppendsOnlyWhatIsMissing)
{
    const struct
    {
        const char* text;
        const char* slash;
        const char* expected;
    } cases[] = {
        {"/home/u", "/", "/home/u/"}, {"/home/u/", "/", "/home/u/"}, {"", "/", "/"},
        {"C:\\a", "\\", "C:\\a\\"},   {"C:\\a\\", "/", "C:\\a\\/"},  {"/x", "", "/x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine::addSlash(c.text, c.slash), QString(c.expected)) << c.text << " + " << c.slash;
}

TEST(PathPartsTest, TransferTypeFollowsItsTablesAndNeedsNone)
{
    EXPECT_EQ(engine::setTransferType("/data/a.txt"), engine::TransferImage);

    engine::clsFileInfo ascii;
    ascii.additem("txt", 0, 0);
    ascii.additem("csv", 0, 0);
    engine::clsFileInfo exceptions;
    exceptions.additem("/data/keep-binary.txt", 0, 0);
    exceptions.additem("/data/logo.png", 0, 0);

    const struct
    {
        const char* name;
        int expected;
    } cases[] = {
        {"/data/a.TXT", engine::TransferAscii},
        {"/data/b.csv", engine::TransferAscii},
        {"/data/c.zip", engine::TransferImage},
        {"/data/keep-binary.txt", engine::TransferImage},
        {"/data/logo.png", engine::TransferAscii},
        // The exceptions name files exactly.
        {"/data/KEEP-BINARY.txt", engine::TransferAscii},
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine::setTransferType(c.name, &ascii, &exceptions), c.expected) << c.name;
    EXPECT_EQ(engine::setTransferType("/data/a.txt", &ascii, nullptr), engine::TransferAscii);
    EXPECT_EQ(engine::setTransferType("/data/logo.png", nullptr, &exceptions), engine::TransferAscii);
}
