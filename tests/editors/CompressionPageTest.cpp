#include "editors/CompressionPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "OptionPagesHost.h"

using test::sendFocus;
using test::typeInto;

namespace
{
class CompressionPageTest : public test::OptionPagesTest
{
protected:
    void SetUp() override
    {
        OptionPagesTest::SetUp();
        host = test::OptionPagesHost::open(editors::EditorKind::Wizard);
        page = host->compression;
        host->tabs->setCurrentWidget(page);
    }

    test::OptionPagesHost* host = nullptr;
    editors::CompressionPage* page = nullptr;
};
} // namespace

TEST_F(CompressionPageTest, TheArchiveNameTakesUnderscoresForTypedBlanksAndZipOnLeaving)
{
    page->optCompressionType[1]->click();
    ASSERT_TRUE(page->txtZIPName->isEnabled());
    struct Case
    {
        QString typed;
        QString pasted;
        QString whileTyping;
        QString afterLeaving;
    };
    const Case cases[] = {
        {"my backup", "", "my_backup", "my_backup.zip"},
        {"Archive.ZIP", "", "Archive.ZIP", "Archive.ZIP"},
        {"a.zip.old", "", "a.zip.old", "a.zip.old"},
        {"", "", "", ""},
        {"", "  two words  ", "  two words  ", "two words.zip"},
    };
    for (const Case& c : cases) {
        page->txtZIPName->clear();
        sendFocus(page->txtZIPName, QEvent::FocusIn);
        typeInto(page->txtZIPName, c.typed);
        if (!c.pasted.isEmpty())
            page->txtZIPName->insert(c.pasted);
        EXPECT_EQ(page->txtZIPName->text(), c.whileTyping) << qPrintable(c.typed + c.pasted);
        sendFocus(page->txtZIPName, QEvent::FocusOut);
        EXPECT_EQ(page->txtZIPName->text(), c.afterLeaving) << qPrintable(c.typed + c.pasted);
    }

    sendFocus(page->txtZIPName, QEvent::FocusIn);
    EXPECT_EQ(page->txtZIPName->selectedText(), "two words.zip");

    // Leaving "one archive" disables the box and keeps its name.
    page->optCompressionType[0]->click();
    EXPECT_FALSE(page->txtZIPName->isEnabled());
    page->optCompressionType[2]->click();
    EXPECT_FALSE(page->txtZIPName->isEnabled());
    core::BackupSetInfo set;
    page->readInto(set);
    EXPECT_EQ(set.Compression, core::CompressionMode::ArchivePerFile);
    EXPECT_EQ(set.ZIPName, "two words.zip");
}

TEST_F(CompressionPageTest, ThePasswordBoxesFollowTheMethodAndShowWhetherTheyMatch)
{
    EXPECT_EQ(page->cmbProtection->currentText(), "No protection");
    EXPECT_FALSE(page->txtBFPassword->isEnabled());
    EXPECT_FALSE(page->txtBFConfirmation->isEnabled());
    EXPECT_FALSE(page->lblPasswordMatch->isVisible());
    page->cmbProtection->setCurrentIndex(1);
    EXPECT_TRUE(page->txtBFPassword->isEnabled());
    EXPECT_TRUE(page->txtBFConfirmation->isEnabled());
    EXPECT_TRUE(page->lblPasswordMatch->isVisible());
    EXPECT_EQ(page->txtBFPassword->echoMode(), QLineEdit::Password);

    const QColor green(0x00, 0x80, 0x00);
    const QColor red(0xC0, 0x00, 0x00);
    struct Case
    {
        QString password;
        QString confirmation;
        bool match;
        QColor colour;
    };
    const Case cases[] = {
        {"s3cret", "", false, red}, // one box typed
        {"s3cret", "s3cret", true, green}, // the same in both
        {"s3cret", "S3cret", false, red}, // compared exactly
        {"", "", true, QColor()}, // both cleared again
        {"pa|ss", "pa|ss", true, green}, // the step check refuses it, the label does not
    };
    for (const Case& c : cases) {
        page->txtBFPassword->setText(c.password);
        page->txtBFConfirmation->setText(c.confirmation);
        EXPECT_EQ(page->PasswordsMatch, c.match) << qPrintable(c.password + "/" + c.confirmation);
        if (c.colour.isValid())
            EXPECT_EQ(page->lblPasswordMatch->palette().color(QPalette::WindowText), c.colour);
        else
            EXPECT_TRUE(page->lblPasswordMatch->text().isEmpty());
    }

    // Back to no protection: both boxes are disabled and keep their texts.
    page->txtBFPassword->setText("kept");
    page->cmbProtection->setCurrentIndex(0);
    EXPECT_FALSE(page->txtBFPassword->isEnabled());
    EXPECT_FALSE(page->lblPasswordMatch->isVisible());
    EXPECT_EQ(page->txtBFPassword->text(), "kept");
}

TEST_F(CompressionPageTest, StoredValuesComeBackAsTheyWent)
{
    core::BackupSetInfo stored;
    stored.Compression = core::CompressionMode::OneArchive;
    stored.ZIPName = "docs.zip";
    stored.ProtectData = core::ProtectionMode::Blowfish;
    stored.BFPassword = "s3cret";
    page->showValues(stored);
    EXPECT_TRUE(page->txtZIPName->isEnabled());
    EXPECT_TRUE(page->txtBFPassword->isEnabled());
    EXPECT_EQ(page->txtBFConfirmation->text(), "s3cret");
    EXPECT_TRUE(page->PasswordsMatch);

    core::BackupSetInfo read;
    page->readInto(read);
    EXPECT_EQ(read.Compression, core::CompressionMode::OneArchive);
    EXPECT_EQ(read.ZIPName, "docs.zip");
    EXPECT_EQ(read.ProtectData, core::ProtectionMode::Blowfish);
    EXPECT_EQ(read.BFPassword, "s3cret");
}
