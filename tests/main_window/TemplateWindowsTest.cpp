#include <QDir>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "localisation/LanguageFile.h"
#include "localisation/Languages.h"
#include "main_window/MainWindowTest.h"
#include "main_window/TemplateWindows.h"
#include "platform/Autostart.h"
#include "support/ScopedEnv.h"

using platform::Form;

namespace
{
class TemplateWindowsTest : public test::MainWindowTest
{
protected:
    QString templateText() const { return QString::fromUtf8(test::readFile(programFile("Localization.txt"))); }
};

int count(const QString& text, const QString& part)
{
    return static_cast<int>(text.count(part));
}
} // namespace

TEST_F(TemplateWindowsTest, ListsEveryWindowAndMessageWithoutRunningAnyLoad)
{
    QTemporaryDir config;
    const test::ScopedEnv configHome("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    main_window::frmMain* main = loadMain();
    ASSERT_NE(main, nullptr);
    const QList<QWidget*> before = platform::loadedWindows();
    const QByteArray settings = test::readFile(programFile("settings/machine.ini"));
    const QByteArray userSettings = test::readFile(programFile("settings/app.ini"));

    main->Command1_Click();
    const QString text = templateText();
    ASSERT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n"));
    EXPECT_TRUE(text.endsWith("\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n"));
    const char* lines[] = {
        "\t\t<FRMMAIN_MNUFILEEXIT0>",
        "\t\t<FRMMAIN_LSTBACKUPSET_COL1>",
        "\t\t<FRMPREFS2_FRAME4>Email Configuration</FRMPREFS2_FRAME4>\r\n",
        "\t\t<FRMPREFS2_CHKLOG>Enable Logging</FRMPREFS2_CHKLOG>\r\n",
        "\t\t<FRMWEBSITE_COMMAND3>Go</FRMWEBSITE_COMMAND3>\r\n",
        "\t\t<FRMABOUT_LABEL2>(version 1.0)</FRMABOUT_LABEL2>\r\n",
        "\t\t<FRMMAIN_MNUFILE0>&File</FRMMAIN_MNUFILE0>\r\n",
        // Field labels beside their boxes.
        "\t\t<FRMWIZARD_LBLZIPNAME>ZIP File Name:</FRMWIZARD_LBLZIPNAME>\r\n",
        "\t\t<FRMSETTINGS_LBLMETHOD>Method:</FRMSETTINGS_LBLMETHOD>\r\n",
        "\t\t<FRMSETTINGS_LBLBFPASSWORD>Password:</FRMSETTINGS_LBLBFPASSWORD>\r\n",
        "\t\t<FRMWIZARD_LBLBFCONFIRMATION>Retype Password:</FRMWIZARD_LBLBFCONFIRMATION>\r\n",
        "\t\t<FRMEMAILADD_LBLEMAIL>Email To:</FRMEMAILADD_LBLEMAIL>\r\n",
        "\t\t<FRMEMAILADD_LBLSUB>Subject:</FRMEMAILADD_LBLSUB>\r\n",
        "\t\t<FRMEMAILADD_LBLBODY>Body:</FRMEMAILADD_LBLBODY>\r\n",
    };
    for (const char* line : lines)
        EXPECT_EQ(count(text, line), 1) << line;
    // Every window without a load of its own is read too.
    for (const char* window : {"FRMADDFTP", "FRMDECRYPT", "FRMEMAILADD", "FRMEXTRACT", "FRMFILESANDDIRECTORIES",
                               "FRMFTPBROWSE", "FRMFTPNEWFOLDER", "FRMLANADD", "FRMPROCESSING", "FRMRESTORETONEW",
                               "FRMRESTORING", "FRMSETTINGS", "FRMTIMESTAMPSETTINGS", "FRMWARNING", "FRMWIZARD"})
        EXPECT_GT(count(text, QStringLiteral("\t\t<%1_").arg(window)), 0) << window;
    EXPECT_TRUE(text.contains(QRegularExpression("<FRMMAIN_MNUTOOLSITEM\\d+>")));
    int messageLines = 0;
    for (const localisation::LanguageMessage& message : localisation::Languages().messages())
        messageLines += text.contains("\t\t<" + message.Name.toUpper() + ">" + message.Text + "</") ? 1 : 0;
    EXPECT_EQ(messageLines, 97);

    // Nothing ran: no window opened or stayed, no setting and no autostart entry was written.
    EXPECT_EQ(platform::loadedWindows(), before);
    EXPECT_EQ(test::readFile(programFile("settings/machine.ini")), settings);
    EXPECT_EQ(test::readFile(programFile("settings/app.ini")), userSettings);
    EXPECT_TRUE(QDir(platform::autostartFolder()).isEmpty());
    EXPECT_TRUE(shell.opened.isEmpty());

    // Read back as a language group it gives the captions again.
    const std::optional<QStringList> items = localisation::languageItems(text, "English");
    ASSERT_TRUE(items.has_value());
    const localisation::TranslationTable table(*items);
    EXPECT_EQ(table.lookup("frmMain_cmdBackup"), main->findChild<QPushButton*>("cmdBackup")->text());
    EXPECT_EQ(table.lookup("frmWebsite_Command4"), "Back");

    // A second run leaves one template, and no temporary file behind.
    main->Command1_Click();
    EXPECT_EQ(templateText(), text);
    EXPECT_EQ(count(templateText(), "<LANGUAGE_GROUP"), 1);
    EXPECT_EQ(QDir(programFile("")).entryList({"Localization*"}, QDir::Files), QStringList({"Localization.txt"}));
}

TEST_F(TemplateWindowsTest, EveryLabelOfTheWindowsHasANameToBeTranslatedBy)
{
    // The language file and the template reach a control only through its name.
    QStringList unnamed;
    for (const auto& window : main_window::LoadAllForms()) {
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->objectName().isEmpty() && !label->text().isEmpty())
                unnamed << window->objectName() + ": " + label->text();
        }
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(" | ").toStdString();
}
