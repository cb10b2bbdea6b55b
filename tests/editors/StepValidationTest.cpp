#include "editors/StepValidation.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "OptionPagesHost.h"
#include "core/DestinationRowTag.h"
#include "core/ProgramState.h"
#include "editors/DestinationListPage.h"
#include "editors/SourceListPage.h"

using editors::EditorKind;

namespace
{
const QString InvalidName = "Please specify a non-empty, unique backup set name.\r\n"
                            "The name can not contain < > / \\ ? : * \" | or more than 237 bytes.";

class StepValidationTest : public test::OptionPagesTest
{
protected:
    void SetUp() override
    {
        OptionPagesTest::SetUp();
        core::state().AppTitle = "Quillback 1.0";
    }

    // The check's outcome and the one message it showed, or "" when it showed none.
    std::pair<bool, QString> check(test::OptionPagesHost* host)
    {
        prompt.shown.clear();
        const bool passed = editors::ValidateStep(host, host->kind);
        EXPECT_LE(prompt.shown.size(), 1u);
        if (prompt.shown.empty())
            return {passed, QString()};
        const platform::Message& shown = prompt.shown.front();
        EXPECT_EQ(shown.title, "Quillback 1.0");
        EXPECT_EQ(shown.icon, platform::Icon::Exclamation);
        EXPECT_EQ(shown.buttons, platform::Buttons::Ok);
        return {passed, shown.text};
    }
};
} // namespace

TEST_F(StepValidationTest, ListPagesNeedAnEntryOthersPassAndUnknownPagesFailSilently)
{
    const QString noSources = "Please specify the files to be processed.";
    const QString noDestinations = "Please add at least one destination.";
    struct Case
    {
        QString step;
        int sources;
        int destinations;
        bool passes;
        QString message;
    };
    const Case cases[] = {
        {"2", 0, 1, false, noSources},
        {"2", 1, 0, true, ""}, // the one node is unchecked
        {"3", 1, 0, false, noDestinations},
        {"3", 0, 1, true, ""},
        {"4", 0, 0, true, ""},
        {"6", 0, 0, true, ""},
        {"7", 0, 0, true, ""},
        {"", 1, 1, false, ""},
        {"8", 1, 1, false, ""},
        {"05", 1, 1, false, ""},
    };
    for (const EditorKind kind : {EditorKind::Wizard, EditorKind::Properties}) {
        for (const Case& c : cases) {
            auto* host = test::OptionPagesHost::open(kind);
            auto* sources = new editors::SourceListPage;
            auto* destinations = new editors::DestinationListPage(kind);
            host->tabs->addTab(sources, "Sources");
            host->tabs->addTab(destinations, "Destinations");
            if (c.sources) {
                ASSERT_TRUE(sources->StickIconOntoListView("/home/user/Documents"));
                sources->tvBackupList->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
            }
            if (c.destinations) {
                ASSERT_TRUE(destinations->addDestination(core::folderRow("/media/backup")));
            }
            host->lblStep->setText(c.step);
            EXPECT_EQ(check(host), std::make_pair(c.passes, c.message)) << qPrintable(c.step);
            EXPECT_EQ(host->lblStep->text(), c.step);
            EXPECT_EQ(sources->tvBackupList->topLevelItemCount(), c.sources);
            EXPECT_EQ(destinations->lvDestinations->topLevelItemCount(), c.destinations);
        }
        // The properties window never shows its first page.
        auto* host = test::OptionPagesHost::open(kind);
        host->lblStep->setText("1");
        host->txtItemName->setText("Fine name");
        EXPECT_EQ(check(host), std::make_pair(kind == EditorKind::Wizard, QString()));
    }
}

TEST_F(StepValidationTest, TheWizardsFirstPageNeedsAUsableNewNameAndSaysWhy)
{
    ASSERT_TRUE(test::writeFile(programFile("data/New Item.sbd"), "<STATS>\r\n</STATS>\r\n"));
    auto* host = test::OptionPagesHost::open(EditorKind::Wizard);
    host->lblStep->setText("1");
    // 237 bytes is the longest name whose files (up to "RESTORE.lst", written through a temporary
    // name) the file system still takes.
    const QString tooLong = "The name is too long: a set name can take at most 237 bytes, and this one takes %1 "
                            "(letters outside A to Z take two to four bytes each).";
    const QString hidden = "The name can not begin with \".\": files so named are hidden, and the set would not "
                           "show in the list.";
    const std::pair<QString, QString> names[] = {
        {"new item", ""},
        {"New Item", InvalidName},
        {"Documents 2026", ""},
        {" padded ", ""},
        {"", InvalidName},
        {"a<b", InvalidName},
        {"a>b", InvalidName},
        {"a\\b", InvalidName},
        {"a/b", InvalidName},
        {"a:b", InvalidName},
        {"a\"b", InvalidName},
        {"a*b", InvalidName},
        {"a?b", InvalidName},
        {"a|b", InvalidName},
        // The store's own rule: "." and "..", control characters and its length in bytes.
        {".", hidden},
        {"..", hidden},
        {"tab\there", InvalidName},
        {QString(237, 'x'), ""},
        {QString(238, 'x'), tooLong.arg(238)},
        {QString(251, 'x'), tooLong.arg(251)},
        // Two bytes a letter: 118 fit, 119 do not, far below 250 letters.
        {QString(118, QChar(0x00E9)), ""},
        {QString(119, QChar(0x00E9)), tooLong.arg(238)},
        // The set list leaves hidden files out, so such a set would never show.
        {".hidden", hidden},
    };
    for (const auto& [name, message] : names) {
        host->txtItemName->setText(name);
        EXPECT_EQ(check(host), std::make_pair(message.isEmpty(), message)) << qPrintable(name);
        EXPECT_EQ(host->txtItemName->text(), name);
        EXPECT_EQ(editors::ValidateFileName(name), message.isEmpty()) << qPrintable(name);
    }
}

TEST_F(StepValidationTest, ThePackingPageNeedsAnArchiveNameForOneArchiveAndAConfirmedPassword)
{
    const QString archiveMessage = "Please specify compressed archive name.";
    const QString mismatch = "Password and confirmation do not match.";
    const QString enterPassword = "Please enter your password.";
    struct Case
    {
        const char* what;
        int compression;
        QString archive;
        int protection;
        QString password;
        QString confirmation;
        QString message; // "" passes; "~..." a refusal of our own that names the fault
    };
    const Case cases[] = {
        // Only the single archive is named; the other modes leave the box disabled.
        {"no archive name, one archive", 1, "", 0, "", "", archiveMessage},
        {"blanks only, one archive", 1, "   ", 0, "", "", archiveMessage},
        {"no archive name, no compression", 0, "", 0, "", "", ""},
        {"no archive name, an archive per file", 2, "", 0, "", "", ""},
        {"no archive name, no compression, protected", 0, "", 1, "s3cret", "s3cret", ""},
        {"a stored path for a name, no compression", 0, "sub/docs.zip", 0, "", "", "~not a plain file name"},
        {"a name, no protection", 0, "docs.zip", 0, "", "", ""},
        {"a name, no protection, stale boxes", 2, "docs.zip", 0, "x", "y", ""},
        {"a path for a name", 1, "sub/docs.zip", 0, "", "", "~not a plain file name"},
        {"a backslash", 1, "sub\\docs.zip", 0, "", "", "~not a plain file name"},
        {"a bar in the name", 1, "do|cs.zip", 0, "", "", "~archive name \"do|cs.zip\" must not hold \"|\""},
        {"protected, both empty", 1, "docs.zip", 1, "", "", enterPassword},
        {"protected, confirmation only", 1, "docs.zip", 1, "", "s3cret", enterPassword},
        {"protected, password only", 1, "docs.zip", 1, "s3cret", "", mismatch},
        {"protected, different", 1, "docs.zip", 1, "s3cret", "S3cret", mismatch},
        {"protected, equal", 1, "docs.zip", 1, "s3cret", "s3cret", ""},
        {"protected, a bar in the password", 1, "docs.zip", 1, "pa|ss", "pa|ss", "~password must not hold \"|\""},
    };
    for (const EditorKind kind : {EditorKind::Wizard, EditorKind::Properties}) {
        auto* host = test::OptionPagesHost::open(kind);
        editors::CompressionPage* page = host->compression;
        host->lblStep->setText("5");
        for (const Case& c : cases) {
            page->optCompressionType[c.compression]->click();
            page->txtZIPName->setText(c.archive);
            page->cmbProtection->setCurrentIndex(c.protection);
            page->txtBFPassword->setText(c.password);
            page->txtBFConfirmation->setText(c.confirmation);
            const auto [passed, message] = check(host);
            EXPECT_EQ(passed, c.message.isEmpty()) << c.what;
            if (c.message.startsWith("~"))
                EXPECT_TRUE(message.contains(c.message.mid(1))) << c.what << ": " << qPrintable(message);
            else
                EXPECT_EQ(message, c.message) << c.what;
            EXPECT_EQ(page->txtZIPName->text(), c.archive) << c.what;
            EXPECT_EQ(page->txtBFPassword->text(), c.password) << c.what;
            EXPECT_EQ(host->lblStep->text(), "5");
        }
    }
}

TEST_F(StepValidationTest, ThePasswordIsJudgedFromTheBoxesNotFromTheirLastChange)
{
    auto* host = test::OptionPagesHost::open(EditorKind::Properties);
    editors::CompressionPage* page = host->compression;
    host->lblStep->setText("5");
    page->txtZIPName->setText("docs.zip");
    page->cmbProtection->setCurrentIndex(1);
    // Typed and cleared again: the boxes agree, yet an empty password protects nothing.
    page->txtBFPassword->setText("x");
    page->txtBFPassword->clear();
    ASSERT_TRUE(page->PasswordsMatch);
    EXPECT_EQ(check(host), std::make_pair(false, QString("Please enter your password.")));
}

TEST_F(StepValidationTest, TheWizardSpeaksTheLanguageAndThePropertiesWindowEnglish)
{
    localisation::resetLanguages();
    localisation::Languages().setMessage("MSG_INVALID_ZIP_FILE", "bitte einen Archivnamen angeben.");
    for (const EditorKind kind : {EditorKind::Wizard, EditorKind::Properties}) {
        auto* host = test::OptionPagesHost::open(kind);
        host->lblStep->setText("5");
        host->compression->optCompressionType[1]->click();
        EXPECT_EQ(check(host).second,
                  kind == EditorKind::Wizard ? "Bitte einen Archivnamen angeben."
                                             : "Please specify compressed archive name.");
    }
}
