#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

#include "LocalisationTest.h"
#include "TestWindow.h"
#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"

using localisation::CurrentLanguage;
using localisation::Languages;

namespace
{

// Every text of the test window that a translation could touch, one "control: text" line each.
QStringList captions(const test::TestWindow& w)
{
    return {
        "lblTitle: " + w.title->text(),
        "Label1(0): " + w.label1[0]->text(),
        "Label1(1): " + w.label1[1]->text(),
        "cmdOK: " + w.ok->text(),
        "chkLog: " + w.log->text(),
        "fraOptions: " + w.frame->title(),
        "lblInside: " + w.inside->text(),
        "optType(0): " + w.option[0]->text(),
        "optType(1): " + w.option[1]->text(),
        "optType(2): " + w.option[2]->text(),
        "optLoose: " + w.loose->text(),
        "TSMenu tab 1: " + w.tabs->tabText(0),
        "TSMenu tab 2: " + w.tabs->tabText(1),
        "TSMenu tab 3: " + w.tabs->tabText(2),
        "lstSets col 1: " + w.sets->headerItem()->text(0),
        "lstSets col 2: " + w.sets->headerItem()->text(1),
        "lstSets col 3: " + w.sets->headerItem()->text(2),
        "grdFiles col 1: " + w.files->horizontalHeaderItem(0)->text(),
        "grdFiles col 2: " + w.files->horizontalHeaderItem(1)->text(),
        "mnuFile: " + w.fileMenu->title(),
        "mnuFileExit: " + w.exit->text(),
        "mnuToolsItem(0): " + w.toolsItem[0]->text(),
        "mnuToolsItem(1): " + w.toolsItem[1]->text(),
        "txtName: " + w.name->text(),
        "tbExit: " + w.tool->text(),
        "lblChild: " + w.child->text(),
    };
}

const QStringList DesignCaptions = {
    "lblTitle: Title",
    "Label1(0): Field 0",
    "Label1(1): Field 1",
    "cmdOK: OK",
    "chkLog: Log",
    "fraOptions: Options",
    "lblInside: Inside",
    "optType(0): None",
    "optType(1): Zip",
    "optType(2): Single",
    "optLoose: Loose",
    "TSMenu tab 1: General",
    "TSMenu tab 2: Files",
    "TSMenu tab 3: Schedule",
    "lstSets col 1: Name",
    "lstSets col 2: Last run",
    "lstSets col 3: Next run",
    "grdFiles col 1: File",
    "grdFiles col 2: Size",
    "mnuFile: &File",
    "mnuFileExit: E&xit",
    "mnuToolsItem(0): Tool 0",
    "mnuToolsItem(1): Tool 1",
    "txtName: Name box",
    "tbExit: Tool",
    "lblChild: Child",
};

const QStringList GermanCaptions = {
    "lblTitle: Willkommen bei Quillback von Quillback Software",
    "Label1(0): Feld",
    "Label1(1): Feld",
    "cmdOK: &Jawohl",
    "chkLog: Protokoll",
    "fraOptions: Optionen",
    "lblInside: Innen",
    "optType(0): Keine",
    "optType(1): Zip",
    "optType(2): Ein Archiv",
    "optLoose: Loose",
    "TSMenu tab 1: Allgemein",
    "TSMenu tab 2: Files",
    "TSMenu tab 3: Zeitplan",
    "lstSets col 1: Sicherung",
    "lstSets col 2: Last run",
    "lstSets col 3: Nächster Lauf",
    "grdFiles col 1: File",
    "grdFiles col 2: Größe",
    "mnuFile: &Datei",
    "mnuFileExit: &Beenden",
    "mnuToolsItem(0): Tool 0",
    "mnuToolsItem(1): Entschlüsseln",
    "txtName: Name box",
    "tbExit: Tool",
    "lblChild: Child",
};

// The texts of every slot registered under `key`, in slot order.
QStringList slotTexts(const QString& key)
{
    QStringList texts;
    for (const localisation::LanguageMessage& message : Languages().messages()) {
        if (message.Name == key)
            texts << message.Text;
    }
    return texts;
}

using ChangeLanguageTest = test::LocalisationTest;

TEST_F(ChangeLanguageTest, EveryControlKindTakesItsKeyAndUntranslatedTextsStay)
{
    ASSERT_TRUE(writeLanguageFile(test::twoLanguageFile()));
    test::TestWindow w;
    ASSERT_EQ(captions(w), DesignCaptions);

    Languages().ChangeLanguage(&w.window, "Deutsch");

    EXPECT_EQ(captions(w), GermanCaptions);
    EXPECT_EQ(CurrentLanguage(), "Deutsch");
}

TEST_F(ChangeLanguageTest, MessagesTakeFileTextsWithBrandValuesAndBothCopiesOfADoubleKey)
{
    ASSERT_TRUE(writeLanguageFile(test::twoLanguageFile()));
    localisation::RegisterDefaultMessages();

    Languages().ChangeLanguage(nullptr, "Deutsch");

    EXPECT_EQ(Languages().getMessages("MSG_CANCEL"), "Abbrechen");
    EXPECT_EQ(Languages().getMessages("MSG_ABOUT"), "Über quillback.example.org");
    EXPECT_EQ(slotTexts("MSG_SURE1"), QStringList({"Wirklich alle sichern?", "Wirklich alle sichern?"}));
    // Built-in texts keep their placeholders; the windows that show them fill them in.
    EXPECT_EQ(Languages().getMessages("MSG_CAPTION"), "[ProgramName] by [CompanyName]");
    EXPECT_EQ(Languages().getMessages("MSG_CLOSE"), "Close");
}

TEST_F(ChangeLanguageTest, SwitchingLanguageBringsBackDesignAndBuiltInTexts)
{
    ASSERT_TRUE(writeLanguageFile(test::twoLanguageFile()));
    localisation::RegisterDefaultMessages();
    test::TestWindow w;
    Languages().ChangeLanguage(&w.window, "Deutsch");
    ASSERT_EQ(captions(w), GermanCaptions);

    // English knows only cmdOK and lblTitle: everything else is English again, not German.
    Languages().ChangeLanguage(&w.window, "English");
    QStringList expected = DesignCaptions;
    expected[0] = "lblTitle: Welcome to Quillback";
    expected[3] = "cmdOK: &OK";
    EXPECT_EQ(captions(w), expected);
    EXPECT_EQ(slotTexts("MSG_SURE1"),
              QStringList({"Are you sure you want to backup all items now?",
                           "Are you sure you want to backup all items now?"}));
    EXPECT_EQ(Languages().getMessages("MSG_ABOUT"), "About ");
    EXPECT_EQ(Languages().getMessages("MSG_CANCEL"), "Cancel");

    // Without the file, every text is the one the program was built with.
    QFile::remove(programFile("Localization.xml"));
    Languages().ChangeLanguage(&w.window, "Deutsch");
    EXPECT_EQ(captions(w), DesignCaptions);
    EXPECT_EQ(CurrentLanguage(), "English");
}

TEST_F(ChangeLanguageTest, CaptionTheProgramChangedStaysWhenTheLanguageLacksIt)
{
    ASSERT_TRUE(writeLanguageFile(test::twoLanguageFile()));
    test::TestWindow w;
    Languages().ChangeLanguage(&w.window, "Deutsch");
    w.log->setText("Logging is on");
    w.sets->headerItem()->setText(0, "Set");

    Languages().ChangeLanguage(&w.window, "English");
    EXPECT_EQ(w.log->text(), "Logging is on");
    EXPECT_EQ(w.sets->headerItem()->text(0), "Set");
    EXPECT_EQ(w.frame->title(), "Options");

    // A language that has the text still translates it.
    Languages().ChangeLanguage(&w.window, "Deutsch");
    EXPECT_EQ(w.log->text(), "Protokoll");
}

TEST_F(ChangeLanguageTest, TranslatedLabelsShowMarkupAsPlainText)
{
    ASSERT_TRUE(writeLanguageFile(test::twoLanguageFile()));
    test::TestWindow w;
    w.note->setTextFormat(Qt::RichText);

    Languages().ChangeLanguage(&w.window, "Deutsch");
    EXPECT_EQ(w.note->text(), "<b>fett</b>");
    EXPECT_EQ(w.note->textFormat(), Qt::PlainText);

    Languages().ChangeLanguage(&w.window, "English");
    EXPECT_EQ(w.note->text(), "A note");
    EXPECT_EQ(w.note->textFormat(), Qt::RichText);
}

TEST_F(ChangeLanguageTest, ChoosesTheLanguageOrFallsBackToEnglish)
{
    const QByteArray germanOnOneLine
        = test::crlf("<LANGUAGE_GROUP><LANGUAGE_NAME>English</LANGUAGE_NAME><TRANSLATION_ITEMS>\n"
               "\t<FRMTEST_CMDOK>&OK</FRMTEST_CMDOK>\n</TRANSLATION_ITEMS></LANGUAGE_GROUP>\n")
        + "<LANGUAGE_GROUP><LANGUAGE_NAME>Deutsch</LANGUAGE_NAME><TRANSLATION_ITEMS>"
          "\t<FRMTEST_CMDOK>&Jawohl</FRMTEST_CMDOK></TRANSLATION_ITEMS></LANGUAGE_GROUP>";
    const QByteArray blankBeforeName
        = test::crlf("<LANGUAGE_GROUP><LANGUAGE_NAME> English</LANGUAGE_NAME><TRANSLATION_ITEMS>\n"
               "\t<FRMTEST_CMDOK>&OK</FRMTEST_CMDOK>\n</TRANSLATION_ITEMS></LANGUAGE_GROUP>\n");
    QByteArray lineFeedsOnly = test::twoLanguageFile();
    lineFeedsOnly.replace("\r\n", "\n");

    const struct
    {
        const char* what;
        std::optional<QByteArray> file;
        const char* asked;
        const char* current;
        const char* okCaption;
    } cases[] = {
        {"no file", std::nullopt, "Deutsch", "English", "OK"},
        {"empty file", QByteArray(), "Deutsch", "English", "OK"},
        {"the language", test::twoLanguageFile(), "Deutsch", "Deutsch", "&Jawohl"},
        {"name in other letter case", test::twoLanguageFile(), "deutsch", "deutsch", "&Jawohl"},
        {"english in lower case", test::twoLanguageFile(), "english", "english", "&OK"},
        {"language the file lacks", test::twoLanguageFile(), "Klingon", "English", "&OK"},
        {"items on one line", germanOnOneLine, "Deutsch", "English", "&OK"},
        {"names are not trimmed", blankBeforeName, "English", "English", "OK"},
        {"line feeds without carriage returns", lineFeedsOnly, "Deutsch", "Deutsch", "&Jawohl"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        localisation::resetLanguages();
        QFile::remove(programFile("Localization.xml"));
        if (c.file) {
            ASSERT_TRUE(writeLanguageFile(*c.file));
        }
        test::TestWindow w;
        Languages().ChangeLanguage(&w.window, c.asked);
        EXPECT_EQ(CurrentLanguage(), c.current);
        EXPECT_EQ(w.ok->text(), c.okCaption);
    }
}

TEST_F(ChangeLanguageTest, LanguageTheFileLacksNeverKeepsTheLanguageBefore)
{
    ASSERT_TRUE(writeLanguageFile(test::twoLanguageFile()));
    localisation::RegisterDefaultMessages();
    test::TestWindow w;
    Languages().ChangeLanguage(&w.window, "Deutsch");

    Languages().ChangeLanguage(&w.window, "Klingon");

    EXPECT_EQ(CurrentLanguage(), "English");
    EXPECT_EQ(w.ok->text(), "&OK");
    EXPECT_EQ(w.log->text(), "Log");
    EXPECT_EQ(Languages().getMessages("MSG_ABOUT"), "About ");
}

TEST_F(ChangeLanguageTest, EditedFileTakesEffectWithTheNextTranslation)
{
    ASSERT_TRUE(writeLanguageFile(test::twoLanguageFile()));
    test::TestWindow first;
    Languages().ChangeLanguage(&first.window, "Deutsch");

    QByteArray edited = test::twoLanguageFile();
    edited.replace("&Jawohl", "&Gut");
    ASSERT_TRUE(writeLanguageFile(edited));
    test::TestWindow second;
    Languages().ChangeLanguage(&second.window, "Deutsch");

    EXPECT_EQ(first.ok->text(), "&Jawohl");
    EXPECT_EQ(second.ok->text(), "&Gut");
}

} // namespace
