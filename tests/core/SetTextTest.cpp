#include "core/SetText.h"

#include <QLocale>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/MainWindowServices.h"
#include "support/FakeMainWindow.h"
#include "support/ProgramFolderTest.h"

namespace
{
// A document as the store lays it out, cut down to the sections the operations touch.
const QString doc = "<STATS>\r\n"
                    "LastRunTime=\r\n"
                    "Ran=0\r\n"
                    "Status=Never ran\r\n"
                    "</STATS>\r\n"
                    "\r\n"
                    "<GENERAL>\r\n"
                    "BFPassword=xZIPName=y\r\n"
                    "ZIPName=docs.zip\r\n"
                    "</GENERAL>\r\n"
                    "\r\n"
                    "<FILES>\r\n"
                    "/home/a/doc\r\n"
                    "/home/a/doc.txt\t46000\t12\r\n"
                    "</FILES>\r\n"
                    "\r\n"
                    "<VERSIONS>\r\n"
                    "</VERSIONS>\r\n"
                    "\r\n";

QString withVersions(const QStringList& lines)
{
    QString text = doc;
    QString block;
    for (const QString& line : lines)
        block += line + "\r\n";
    return text.replace("<VERSIONS>\r\n", "<VERSIONS>\r\n" + block);
}

// Grows a document past any 16-bit position: 40,000 characters of file list before the versions.
QString longDocument()
{
    QString files;
    for (int i = 0; files.size() < 40000; ++i)
        files += QStringLiteral("/home/a/file%1.txt\r\n").arg(i, 5, 10, QLatin1Char('0'));
    QString text = doc;
    return text.replace("/home/a/doc.txt\t46000\t12\r\n", "/home/a/doc.txt\t46000\t12\r\n" + files);
}

TEST(ExtractItem, FindsKeysOnlyAtTheStartOfALine)
{
    struct Case
    {
        QString text;
        QString key;
        QString value;
    };
    const Case cases[] = {
        {doc, "ZIPName", "docs.zip"},
        {doc, "BFPassword", "xZIPName=y"},
        {doc, "Ran", "0"},
        {doc, "LastRunTime", ""},
        {doc, "Missing", ""},
        {"\r\nItemType=1\r\nType=2\r\n", "Type", "2"},
        {"Ran=\r\nRan=-1\r\n", "Ran", ""},
        {"\r\nRan=-1", "Ran", "-1"},
        {"\r\nRan=-1\r", "Ran", "-1"},
        {"Status=Success\r\n", "Status", "Success"},
        {"Exclude=a=b\r\n", "Exclude", "a=b"},
        {"", "Ran", ""},
        {"Ran=-1\r\n", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(core::ExtractItem(c.text, c.key), c.value) << qPrintable(c.text) << " / " << qPrintable(c.key);

    EXPECT_EQ(core::ExtractItem(longDocument() + "Late=yes\r\n", "Late"), "yes");
}

TEST(ReplaceValue, ReplacesWholeLinesOnly)
{
    struct Case
    {
        QString key;
        QString value;
        QString before;
        QString after;
    };
    const Case cases[] = {
        {"ZIPName", "new.zip", "ZIPName=docs.zip\r\n", "ZIPName=new.zip\r\n"},
        {"xZIPName", "z", "", ""},
        {"Status", "Success", "Status=Never ran\r\n", "Status=Success\r\n"},
        {"Status", "two\r\nlines\nand\rmore", "Status=Never ran\r\n", "Status=two lines and more\r\n"},
        {"Missing", "x", "", ""},
    };
    for (const Case& c : cases) {
        QString expected = doc;
        if (!c.before.isEmpty())
            expected.replace(c.before, c.after);
        bool ok = false;
        EXPECT_EQ(core::ReplaceValue(doc, c.key, c.value, &ok), expected) << qPrintable(c.key);
        EXPECT_TRUE(ok);
    }
    EXPECT_EQ(core::ReplaceValue("A=1\r\nB=2", "B", "3"), "A=1\r\nB=3");
}

TEST(ReplaceValue, InsertsDurationAsTheLastStatsLine)
{
    EXPECT_EQ(core::ReplaceValue(doc, "Duration", "00:01:02"),
              QString(doc).replace("</STATS>", "Duration=00:01:02\r\n</STATS>"));
    EXPECT_EQ(core::ReplaceValue("<STATS>\r\nRan=0\r\n</stats>\r\n", "Duration", "5"),
              "<STATS>\r\nRan=0\r\nDuration=5\r\n</STATS>\r\n");
    EXPECT_EQ(core::ReplaceValue("<STATS>\r\nDuration=1\r\n</STATS>\r\n", "Duration", "2"),
              "<STATS>\r\nDuration=2\r\n</STATS>\r\n");
    // Only a closing tag on a line of its own counts.
    EXPECT_EQ(core::ReplaceValue("<STATS>\r\nStatus=a</STATS>\r\n", "Duration", "2"),
              "<STATS>\r\nStatus=a</STATS>\r\n");
}

TEST(ReplaceValue, EditsKeysBeyondAnyLengthLimit)
{
    const QString text = longDocument() + "<X>\r\nLate=old\r\n</X>\r\n";
    ASSERT_GT(text.indexOf("Late="), 32767);
    EXPECT_EQ(core::ReplaceValue(text, "Late", "new"), QString(text).replace("Late=old", "Late=new"));
}

TEST(ReplaceValue, RefusesKeysThatCannotBeStoredAndKeepsTheText)
{
    for (const QString& key : {QString(), QString("A=B"), QString("A\r\nB")}) {
        core::resetErrors();
        bool ok = true;
        EXPECT_EQ(core::ReplaceValue(doc, key, "x", &ok), doc);
        EXPECT_FALSE(ok);
        EXPECT_TRUE(core::Err().Description.contains("modGeneral.ReplaceValue(")) << qPrintable(key);
    }
}

TEST(ReplaceFileValue, RewritesThePathsOwnLine)
{
    struct Case
    {
        QString path;
        QString before;
        QString after;
    };
    const Case cases[] = {
        {"/home/a/doc", "/home/a/doc\r\n", "/home/a/doc\t46366.5\t5368709120\r\n"},
        {"/home/a/doc.txt", "/home/a/doc.txt\t46000\t12\r\n", "/home/a/doc.txt\t46366.5\t5368709120\r\n"},
        {"/home/a/do", "", ""},
        {"/home/a", "", ""},
        {"ZIPName=docs.zip", "", ""},
    };
    for (const Case& c : cases) {
        QString expected = doc;
        if (!c.before.isEmpty())
            expected.replace(c.before, c.after);
        EXPECT_EQ(core::ReplaceFileValue(doc, c.path, 46366.5, 5368709120.0), expected) << qPrintable(c.path);
    }

    const QString text = longDocument();
    const QString last
        = "/home/a/file" + QString::number(text.count("/home/a/file") - 1).rightJustified(5, '0') + ".txt";
    ASSERT_GT(text.indexOf(last), 32767);
    EXPECT_TRUE(core::ReplaceFileValue(text, last, 1, 2).contains(last + "\t1\t2\r\n"));
}

TEST(ReplaceFileValue, WritesNumbersInTheLocalesForm)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(
        core::ReplaceFileValue(doc, "/home/a/doc", 46366.25, 1234567).contains("/home/a/doc\t46366,25\t1234567\r\n"));
}

TEST(AddVersion, PutsTheNewLineFirst)
{
    const QString lan = "LAN|/mnt/b|/mnt/b/docs.zip|10/12/2026 12:00:00|1|1|0|";
    EXPECT_EQ(core::AddVersion(doc, lan, {}), withVersions({lan}));
    const QString older = "LAN|/mnt/b/1|/mnt/b/1/docs.zip|09/12/2026 12:00:00|1|1|0|";
    EXPECT_EQ(core::AddVersion(withVersions({older}), lan, {older}), withVersions({lan, older}));
}

TEST(AddVersion, ReplacesOnlyALineOfTheSameArchiveAtTheSamePlace)
{
    const QString ftpOld = "FTP|anna|xx|ftp.example.org|21|/b|/b/docs.zip|09/12/2026 12:00:00|1|1|0|";
    const QString lanOld = "LAN|/mnt/b|/mnt/b/docs.zip|09/12/2026 12:00:00|1|1|0|";
    const QStringList listed {ftpOld, lanOld};
    const QString text = withVersions(listed);
    struct Case
    {
        const char* what;
        QString added;
        QStringList after;
        QString replaced;
    };
    const Case cases[] = {
        {"same folder and archive", "LAN|/mnt/b|/mnt/b/docs.zip|10/12/2026|2|1|0|", {"", ftpOld}, lanOld},
        {"other folder", "LAN|/mnt/c|/mnt/c/docs.zip|10/12/2026|2|1|0|", {"", ftpOld, lanOld}, ""},
        {"same host, port and path",
         "FTP|bob|yy|ftp.example.org|21|/b|/b/docs.zip|10/12/2026|2|1|0|",
         {"", lanOld},
         ftpOld},
        {"same account, other remote folder",
         "FTP|anna|xx|ftp.example.org|21|/c|/c/docs.zip|10/12/2026|2|1|0|",
         {"", ftpOld, lanOld},
         ""},
        {"same account, other port",
         "FTP|anna|xx|ftp.example.org|2121|/b|/b/docs.zip|10/12/2026|2|1|0|",
         {"", ftpOld, lanOld},
         ""},
    };
    for (const Case& c : cases) {
        QStringList expected = c.after;
        expected[0] = c.added;
        QString replaced;
        EXPECT_EQ(core::AddVersion(text, c.added, listed, nullptr, &replaced), withVersions(expected)) << c.what;
        EXPECT_EQ(replaced, c.replaced) << c.what;
    }
}

TEST(AddVersion, RefusesWhatItCannotAdd)
{
    bool ok = true;
    // Without a whole VERSIONS section the line could never be listed to restore.
    for (const QString& text :
         {QString("<STATS>\r\n</STATS>\r\n"), QString("<VERSIONS>\r\nLAN|x|y\r\n"),
          QString("<VERSIONS>\r\n<STATS>\r\n</STATS>\r\n"), QString("</VERSIONS>\r\n<VERSIONS>")}) {
        ok = true;
        EXPECT_EQ(core::AddVersion(text, "LAN|a|b", {}, &ok), text) << text.toStdString();
        EXPECT_FALSE(ok);
    }
    EXPECT_EQ(core::AddVersion(doc, "", {}, &ok), doc);
    EXPECT_FALSE(ok);
    // A line break in the line cannot split it over two lines.
    EXPECT_EQ(core::AddVersion(doc, "LAN|a\r\nb|c", {}, &ok), withVersions({"LAN|a b|c"}));
    EXPECT_TRUE(ok);
}

TEST(AddVersion, ItsErrorReportShowsNoPassword)
{
    // The report of a refused line goes to standard error, and from there into logs.
    const QString text = "<GENERAL>\r\nBFPassword=set secret\r\n</GENERAL>\r\n<DEST1>\r\nFTPPass=\u00f3\u00e5\r\n"
                         "</DEST1>\r\n<VERSIONS>\r\nFTP|anna|\u00f3\u00e5|h|21|/f|/f/S.zip|d|1|1|1|old secret\r\n";
    const QString line = "LAN|/b|/b/S.zip.bf|d|1|1|1|new secret";
    bool ok = true;
    core::resetErrors();
    EXPECT_EQ(core::AddVersion(text, line, {"FTP|anna|\u00f3\u00e5|h|21|/f|/f/S.zip|d|1|1|1|old secret"}, &ok), text);
    EXPECT_FALSE(ok);
    const QString report = core::Err().Description;
    EXPECT_TRUE(report.contains("modGeneral.AddVersion(")) << report.toStdString();
    EXPECT_TRUE(report.contains("BFPassword=***")) << report.toStdString();
    EXPECT_TRUE(report.contains("LAN|/b|/b/S.zip.bf|d|1|1|1|***")) << report.toStdString();
    for (const QString& secret : {"set secret", "new secret", "old secret", "\u00f3\u00e5"})
        EXPECT_FALSE(report.contains(secret)) << secret.toStdString();
}

TEST(DeleteVersion, RemovesEveryCopyOfTheLineInTheVersionsSection)
{
    const QString line = "LAN|/mnt/b|/mnt/b/docs.zip|10/12/2026|1|1|0|";
    const QString other = "LAN|/mnt/c|/mnt/c/docs.zip|10/12/2026|1|1|0|";
    test::FakeMainWindow mainWindow;
    mainWindow.versions = {"", line, other, line, ""};

    EXPECT_EQ(core::DeleteVersion(withVersions({line, other, line}), line), withVersions({other}));
    // Only the text changes: the window's lines are the caller's to update.
    EXPECT_EQ(mainWindow.versions, QStringList({"", line, other, line, ""}));

    // A longer line that ends with the same text stays.
    EXPECT_EQ(core::DeleteVersion(withVersions({"X" + line}), line), withVersions({"X" + line}));
    EXPECT_EQ(core::DeleteVersion(withVersions({line}), ""), withVersions({line}));
}

class ReadVersionsBlockTest : public test::ProgramFolderTest
{ };

TEST_F(ReadVersionsBlockTest, GivesTheBlockWithItsTags)
{
    const QString path = programFile("data/Set.sbd");
    ASSERT_TRUE(test::writeFile(path, withVersions({"LAN|a|b|c|1|0|0|", "FTP|u|p|h|21|/|/z|d|1|0|0|"}).toUtf8()));
    EXPECT_EQ(core::ReadVersionsBlock(path),
              "<VERSIONS>\r\nLAN|a|b|c|1|0|0|\r\nFTP|u|p|h|21|/|/z|d|1|0|0|\r\n\r\n</VERSIONS>");

    ASSERT_TRUE(test::writeFile(path, "<Versions>\r\n</versions>\r\n"));
    EXPECT_EQ(core::ReadVersionsBlock(path), "<Versions>\r\n\r\n</VERSIONS>");

    EXPECT_EQ(core::ReadVersionsBlock(programFile("data/Missing.sbd")), "");
    EXPECT_EQ(core::ReadVersionsBlock(programFile("data")), "");
}

TEST(GeneralNumberText, WritesUpToFifteenDigits)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0"},
        {-1, "-1"},
        {12, "12"},
        {46366.5, "46366.5"},
        {1.0 / 3, "0.333333333333333"},
        {5368709120.0, "5368709120"},
        {1e15, "1E+15"},
        {0.0009765625, "0.0009765625"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(core::generalNumberText(value), text) << value;
}

} // namespace
