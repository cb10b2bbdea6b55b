#include <random>

#include <gtest/gtest.h>

#include "LocalisationTest.h"
#include "TestWindow.h"
#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"

using localisation::Languages;

namespace
{

using DamagedLanguageFile = test::LocalisationTest;

TEST_F(DamagedLanguageFile, TruncatedFileGivesWholeTextsOnly)
{
    const QByteArray file = test::twoLanguageFile();
    localisation::RegisterDefaultMessages();
    test::TestWindow w;

    // Each language change walks the window, which is slow under the sanitizers: instead of every
    // length, the cuts that can leave half of something. Every third byte of the lines whose texts
    // are checked, through their tags and texts; the middle of each line of the file's structure;
    // and the end of every line.
    QList<qsizetype> cuts {0};
    for (qsizetype start = 0; start < file.size();) {
        const qsizetype lf = file.indexOf('\n', start);
        const qsizetype end = lf < 0 ? file.size() : lf + 1;
        const QByteArray line = file.mid(start, end - start).trimmed();
        if (line.startsWith("<FRMTEST_CMDOK>") || line.startsWith("<FRMTEST_CHKLOG>")
            || line.startsWith("<MSG_CANCEL>")) {
            for (qsizetype at = start + 1; at < end; at += 3)
                cuts << at;
        } else if (!line.startsWith("<FRMTEST_") && !line.startsWith("<MSG_")) {
            cuts << start + (end - start) / 2;
        }
        cuts << end;
        start = end;
    }

    for (const qsizetype length : std::as_const(cuts)) {
        ASSERT_TRUE(writeLanguageFile(file.left(length)));
        Languages().ChangeLanguage(&w.window, "Deutsch");
        // A cut never leaves half a text: each caption is the design, English or German one.
        const QString ok = w.ok->text();
        ASSERT_TRUE(ok == "OK" || ok == "&OK" || ok == "&Jawohl") << length << ": " << ok.toStdString();
        const QString log = w.log->text();
        ASSERT_TRUE(log == "Log" || log == "Protokoll") << length << ": " << log.toStdString();
        const QString cancel = Languages().getMessages("MSG_CANCEL");
        ASSERT_TRUE(cancel == "Cancel" || cancel == "Abbrechen") << length << ": " << cancel.toStdString();
        ASSERT_TRUE(localisation::CurrentLanguage() == "Deutsch" || localisation::CurrentLanguage() == "English");
    }
    EXPECT_EQ(w.log->text(), "Protokoll");
}

TEST_F(DamagedLanguageFile, GarbledFilesNeitherCrashNorHang)
{
    const QByteArray file = test::twoLanguageFile();
    const QByteArray fragments[] = {"<",
                                    ">",
                                    "</",
                                    "\r\n",
                                    "\n",
                                    "\r",
                                    QByteArray(1, '\0'),
                                    "\xC3",
                                    "\xFF\xFE",
                                    "<LANGUAGE_GROUP",
                                    "</LANGUAGE_GROUP>",
                                    "<LANGUAGE_NAME>",
                                    "</LANGUAGE_NAME>",
                                    "<TRANSLATION_ITEMS>",
                                    "</TRANSLATION_ITEMS>",
                                    "<FRMTEST_CMDOK>",
                                    "</FRMTEST_CMDOK>",
                                    "[ProgramName]",
                                    "Deutsch",
                                    "English"};
    std::mt19937 random(20261210);
    auto below = [&](qsizetype n) { return n <= 0 ? qsizetype(0) : qsizetype(random() % quint64(n)); };

    localisation::RegisterDefaultMessages();
    test::TestWindow w;
    // Fewer rounds with more edits each: as many damaged places, fewer slow language changes.
    for (int round = 0; round < 100; ++round) {
        QByteArray garbled = file;
        const int edits = 1 + int(below(24));
        for (int e = 0; e < edits; ++e) {
            const qsizetype at = below(garbled.size() + 1);
            switch (below(4)) {
            case 0:
                garbled.insert(at, fragments[below(std::size(fragments))]);
                break;
            case 1:
                garbled.remove(at, below(64));
                break;
            case 2:
                if (at < garbled.size())
                    garbled[at] = char(below(256));
                break;
            default:
                garbled.insert(at, garbled.mid(below(garbled.size()), below(128)));
                break;
            }
        }
        ASSERT_TRUE(writeLanguageFile(garbled));
        Languages().ChangeLanguage(&w.window, round % 2 ? "Deutsch" : "English");
    }

    // The window and the table are still sound: the intact file translates them fully.
    ASSERT_TRUE(writeLanguageFile(file));
    Languages().ChangeLanguage(&w.window, "Deutsch");
    EXPECT_EQ(w.ok->text(), "&Jawohl");
    EXPECT_EQ(w.tabs->tabText(2), "Zeitplan");
    EXPECT_EQ(Languages().getMessages("MSG_CANCEL"), "Abbrechen");
    EXPECT_EQ(Languages().messages().size(), 97);
}

} // namespace
