#include "core/ProjectTextCoding.h"

#include <gtest/gtest.h>

#include "core/ScramblePassword.h"
#include "core/SetText.h"
#include "support/QtPrinters.h"

TEST(ProjectTextCoding, ReadsUtf8AsUtf8AndAnythingElseByteForByte)
{
    const struct
    {
        const char* what;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"plain ASCII", "Exclude=*.tmp\r\n", "Exclude=*.tmp\r\n"},
        {"UTF-8", "LocalFolder=/home/u/M\xC3\xBCller\r\n", QString::fromUtf8("LocalFolder=/home/u/Müller\r\n")},
        {"a byte-order mark", "\xEF\xBB\xBF<STATS>\r\n", "<STATS>\r\n"},
        {"Latin-1", "LocalFolder=/home/u/M\xFCller\r\n", QString::fromUtf8("LocalFolder=/home/u/Müller\r\n")},
        // Bytes the Windows code page gives other characters stay one character each, so that the
        // scrambling of a password flips them back.
        {"Latin-1 control range", QByteArray("FTPPass=\x80\x9F\xE1", 11),
         QStringLiteral("FTPPass=") + QChar(0x80) + QChar(0x9F) + QChar(0xE1)},
        // One bad byte makes the whole document Latin-1, UTF-8 lookalikes included.
        {"mixed", "A=\xC3\xBC\r\nB=\xFC\r\n", QString::fromUtf8("A=Ã¼\r\nB=ü\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString text = core::DecodeProjectText(c.bytes);
        EXPECT_EQ(text, c.text);
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
        // Written back as UTF-8, the text reads the same again.
        EXPECT_EQ(core::DecodeProjectText(core::EncodeProjectText(text)), text);
    }
}

TEST(ProjectTextCoding, KeepsTheOriginalsPasswordsWhole)
{
    // As the original stored them: the FTP password scrambled, the protection password and the
    // version line's password in clear, all in the 8-bit code page.
    const QByteArray original = core::ScramblePassword(QString::fromUtf8("Kennwört")).toLatin1();
    const QByteArray document = "<GENERAL>\r\nBFPassword=p\xE4ss\r\n</GENERAL>\r\n<VERSIONS>\r\n"
                                "FTP|anna|"
        + original + "|h|21|/up|/up/a.zip|1/11/2026|1|1|1|p\xE4ss\r\n</VERSIONS>\r\n<DEST1>\r\nFTPPass=" + original
        + "\r\n</DEST1>\r\n";
    const QString text = core::DecodeProjectText(document);
    EXPECT_EQ(core::ScramblePassword(core::ExtractItem(text, "FTPPass")), QString::fromUtf8("Kennwört"));
    EXPECT_EQ(core::ExtractItem(text, "BFPassword"), QString::fromUtf8("päss"));
    const QStringList version = core::sectionLines(text, "VERSIONS").value(0).split('|');
    EXPECT_EQ(core::ScramblePassword(version.value(2)), QString::fromUtf8("Kennwört"));
    EXPECT_EQ(version.value(11), QString::fromUtf8("päss"));
    EXPECT_EQ(core::DecodeProjectText(core::EncodeProjectText(text)), text);
}
