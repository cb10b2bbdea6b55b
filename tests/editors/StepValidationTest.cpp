#include "editors/StepValidation.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "OptionPagesHost.h"
#include "core/ProgramState.h"

using editors::EditorKind;

namespace
{
const QString InvalidName = "Please specify a non-empty, unique backup set name.\r\n"
                            "The name can not contain < > / \\ ? : * \" | or more than 250 characters.";

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

TEST_F(StepValidationTest, PagesWithoutChecksPassAndUnknownPagesFailSilently)
{
    for (const EditorKind kind : {EditorKind::Wizard, EditorKind::Properties}) {
        auto* host = test::OptionPagesHost::open(kind);
        const std::pair<QString, bool> steps[]
            = {{"4", true}, {"6", true}, {"7", true}, {"", false}, {"8", false}, {"05", false}};
        for (const auto& [step, passes] : steps) {
            host->lblStep->setText(step);
            EXPECT_EQ(check(host), std::make_pair(passes, QString())) << qPrintable(step);
        }
        // The properties window never shows its first page.
        host->lblStep->setText("1");
        host->txtItemName->setText("Fine name");
        EXPECT_EQ(check(host), std::make_pair(kind == EditorKind::Wizard, QString()));
    }
}

TEST_F(StepValidationTest, TheWizardsFirstPageNeedsAUsableNewName)
{
    ASSERT_TRUE(test::writeFile(programFile("data/New Item.sbd"), "<STATS>\r\n</STATS>\r\n"));
    auto* host = test::OptionPagesHost::open(EditorKind::Wizard);
    host->lblStep->setText("1");
    const std::pair<QString, bool> names[] = {
        {"new item", true},
        {"New Item", false},
        {"Documents 2026", true},
        {" padded ", true},
        {"", false},
        {"a<b", false},
        {"a>b", false},
        {"a\\b", false},
        {"a/b", false},
        {"a:b", false},
        {"a\"b", false},
        {"a*b", false},
        {"a?b", false},
        {"a|b", false},
        // The store's own rule: "." and "..", control characters and its length in bytes.
        {".", false},
        {"..", false},
        {"tab\there", false},
        {QString(237, 'x'), true},
        {QString(238, 'x'), false},
        {QString(250, 'x'), false},
        // The set list leaves hidden files out, so such a set would never show.
        {".hidden", false},
    };
    for (const auto& [name, passes] : names) {
        host->txtItemName->setText(name);
        EXPECT_EQ(check(host), std::make_pair(passes, passes ? QString() : InvalidName)) << qPrintable(name);
        EXPECT_EQ(host->txtItemName->text(), name);
        EXPECT_EQ(editors::ValidateFileName(name), passes) << qPrintable(name);
    }
    EXPECT_FALSE(editors::ValidateFileName(QString(251, 'x')));
}

TEST_F(StepValidationTest, ThePackingPageNeedsAnArchiveNameAndAConfirmedPassword)
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
        {"no archive name, no compression", 0, "", 0, "", "", archiveMessage},
        {"blanks only", 1, "   ", 0, "", "", archiveMessage},
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
        EXPECT_EQ(check(host).second,
                  kind == EditorKind::Wizard ? "Bitte einen Archivnamen angeben."
                                             : "Please specify compressed archive name.");
    }
}
