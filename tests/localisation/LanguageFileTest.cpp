#include "localisation/LanguageFile.h"

#include <gtest/gtest.h>

#include "LocalisationTest.h"

using localisation::languageItems;
using localisation::TranslationTable;

namespace
{

TEST(LanguageFile, FindsTheFirstGroupOfTheNameAndStopsAtAMalformedGroup)
{
    const QString items = "\r\n\t\t<A_B>x</A_B>\r\n\t";
    auto group = [&](const QString& name, const QString& body = QString()) {
        return "<LANGUAGE_GROUP xml:lang=\"xx\">\r\n\t<LANGUAGE_NAME>" + name + "</LANGUAGE_NAME>\r\n"
            + (body.isNull() ? "\t<TRANSLATION_ITEMS>" + items + "</TRANSLATION_ITEMS>\r\n" : body)
            + "</LANGUAGE_GROUP>\r\n";
    };
    const QStringList found = {"", "\t\t<A_B>x</A_B>", "\t"};

    const struct
    {
        const char* what;
        QString file;
        std::optional<QStringList> expected;
    } cases[] = {
        {"second group", group("English") + group("Deutsch"), found},
        {"tags in any letter case",
         "<language_group><Language_Name>Deutsch</LANGUAGE_name><translation_items>" + items
             + "</Translation_Items></language_group>",
         found},
        {"first group of a name wins",
         group("Deutsch") + group("DEUTSCH", "<TRANSLATION_ITEMS>\r\nother\r\n</TRANSLATION_ITEMS>"), found},
        {"name is not trimmed", group(" Deutsch") + group("Deutsch "), std::nullopt},
        {"no such group", group("English"), std::nullopt},
        {"no groups at all", "<XML_DIZ_INFO></XML_DIZ_INFO>", std::nullopt},
        {"group before it lacks its closing tag",
         "<LANGUAGE_GROUP><LANGUAGE_NAME>English</LANGUAGE_NAME>\r\n" + group("Deutsch"), std::nullopt},
        {"unterminated group itself", group("Deutsch").chopped(19), std::nullopt},
        {"group before it lacks its name tags", group("English").replace("LANGUAGE_NAME", "NAME") + group("Deutsch"),
         std::nullopt},
        {"matching group lacks its items", group("Deutsch", "\t<DESCRIPTION/>\r\n") + group("Deutsch"), std::nullopt},
        {"items without closing tag", group("Deutsch", "<TRANSLATION_ITEMS>\r\nx\r\n"), std::nullopt},
        {"empty items are one empty line", group("Deutsch", "<TRANSLATION_ITEMS></TRANSLATION_ITEMS>"),
         QStringList {""}},
        {"byte-order mark and declaration ignored", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n" + group("Deutsch"),
         found},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(languageItems(c.file, "deutsch"), c.expected);
    }
}

TEST(LanguageFile, ItemLinesGiveTheirTextByKey)
{
    const TranslationTable table({
        "",
        "\t\t<FRMMAIN_CMDBACKUP>&Sichern</FRMMAIN_CMDBACKUP>",
        "    <frmMain_cmdRestore>Wiederherstellen</FRMMAIN_CMDRESTORE>",
        "<AB>two-letter key, no indentation</AB>",
        "<A>one-letter key, no indentation</A>",
        "\t<B>one-letter key, indented</B>",
        "\t<NOCLOSE>text without closing tag",
        "\t<EMPTY></EMPTY>",
        "\t<TWICE></TWICE>",
        "\t<TWICE>second line of the key</TWICE>",
        "\t<LOWER>kleiner anfang</LOWER>",
        "\t<BRAND>[programname] von [CompanyName], [WEBSITE]</BRAND>",
        "\t<AMP>Tom &amp; Jerry <i>x</i></AMP>",
        "\t<UNICODE>Größe</UNICODE>",
        "garbage line without tags",
        ">",
    });
    const struct
    {
        const char* key;
        const char* expected;
    } cases[] = {
        {"FRMMAIN_CMDBACKUP", "&Sichern"},
        {"frmmain_cmdbackup", "&Sichern"},
        {"FRMMAIN_CMDRESTORE", "Wiederherstellen"},
        {"AB", "Two-letter key, no indentation"},
        {"A", ""},
        {"B", "One-letter key, indented"},
        {"NOCLOSE", ""},
        {"EMPTY", ""},
        {"TWICE", ""},
        {"LOWER", "Kleiner anfang"},
        {"BRAND", "Quillback von Quillback Software, quillback.example.org"},
        {"AMP", "Tom &amp; Jerry <i>x</i>"},
        {"UNICODE", "Größe"},
        {"MISSING", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(table.lookup(c.key), QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(TranslationTable().lookup("FRMMAIN_CMDBACKUP"), "");
}

using LanguageFileReading = test::LocalisationTest;

TEST_F(LanguageFileReading, ReadsTheProgramFolderFileAsUtf8)
{
    EXPECT_EQ(localisation::readLanguageFile(), std::nullopt);

    ASSERT_TRUE(writeLanguageFile("<LANGUAGE_NAME>Fran\xC3\xA7"
                                  "ais</LANGUAGE_NAME>\xFF"));
    const std::optional<QString> text = localisation::readLanguageFile();
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->startsWith(QString::fromUtf8("<LANGUAGE_NAME>Français</LANGUAGE_NAME>")));
}

} // namespace
