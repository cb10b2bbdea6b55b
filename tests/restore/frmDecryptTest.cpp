#include "restore/frmDecrypt.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "RestoreWindowsTest.h"
#include "crypto/BackupFileCipher.h"
#include "support/Screenshot.h"
#include "support/ZipFixtures.h"

using platform::Form;
using restore::frmDecrypt;

namespace
{
class frmDecryptTest : public test::RestoreWindowsTest
{
protected:
    void SetUp() override
    {
        RestoreWindowsTest::SetUp();
        plain = test::noisyBytes(1500 * 1024 + 3);
        source = home.path() + "/work/report.pdf";
        protectedFile = source + ".bf";
        ASSERT_TRUE(test::writeFile(source, plain));
        ASSERT_TRUE(crypto::EncryptBackupFile(source, protectedFile, "s3cret").succeeded());
        ASSERT_TRUE(QFile::remove(source));
        tool = Form<frmDecrypt>::load();
        ASSERT_NE(tool, nullptr);
        tool->show();
    }
    void decrypt(const QString& file, const QString& password)
    {
        tool->Text1->setText(file);
        tool->Text3->setText(password);
        tool->Command2->click();
    }
    QString status() const { return tool->lblStatus->text(); }

    QByteArray plain;
    QString source;
    QString protectedFile;
    frmDecrypt* tool = nullptr;
};
} // namespace

TEST_F(frmDecryptTest, RestoresAKeyedFileWithTheRightPasswordOnly)
{
    EXPECT_EQ(tool->windowTitle(), "File Decryptor");
    decrypt(protectedFile, "wrong");
    EXPECT_EQ(status(), "Status: Wrong password or damaged file");
    EXPECT_FALSE(QFile::exists(source));

    // A finished run leaves the stop request set; it must not end the decryption.
    core::state().bStopBackup = true;
    decrypt(protectedFile, "s3cret");
    EXPECT_EQ(status(), "Status: Finished Decrypting report.pdf.bf");
    EXPECT_EQ(test::readFile(source), plain);
    EXPECT_TRUE(QFile::exists(protectedFile));
    EXPECT_TRUE(tool->Command2->isEnabled());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(frmDecryptTest, RefusesWhatIsNotAProtectedFileAndSaysWhy)
{
    const QString damaged = home.path() + "/work/cut.bin.bf";
    QByteArray bytes = test::readFile(protectedFile);
    const qsizetype cut = bytes.size() / 2 | 1;
    ASSERT_TRUE(test::writeFile(damaged, bytes.left(cut)));
    ASSERT_TRUE(test::writeFile(home.path() + "/work/notes.txt", "plain"));
    const std::pair<QString, QString> cases[] = {
        {"", ""},
        {"report.pdf.bf", "Status: Please give the whole path of the file to decrypt"},
        {home.path() + "/work/notes.txt",
         "Status: Only a protected file, named with \".bf\" at the end, can be decrypted"},
        {home.path() + "/work/missing.bf", "Status: Zip file does not exist"},
        {home.path() + "/work", "Status: Only a protected file, named with \".bf\" at the end, can be decrypted"},
        {damaged,
         QString("Status: Damaged file: a .bf file is a whole number of 8-byte blocks, at least 16 bytes, "
                 "not %1 bytes")
             .arg(cut)},
    };
    for (const auto& [file, expected] : cases) {
        SCOPED_TRACE(file.toStdString());
        tool->lblStatus->clear();
        decrypt(file, "s3cret");
        EXPECT_EQ(status(), expected);
    }
    EXPECT_FALSE(QFile::exists(home.path() + "/work/notes"));
    EXPECT_FALSE(QFile::exists(home.path() + "/work/cut.bin"));
    EXPECT_EQ(test::readFile(home.path() + "/work/notes.txt"), "plain");
}

TEST_F(frmDecryptTest, AsksBeforeReplacingAFileOfThePlainName)
{
    ASSERT_TRUE(test::writeFile(source, "newer work"));
    prompt.answer(platform::Answer::No);
    decrypt(protectedFile, "s3cret");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "The file \"" + source + "\" already exists.\n\nDo you want to replace it?");
    EXPECT_EQ(prompt.shown[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(prompt.shown[0].defaultAnswer, platform::Answer::No);
    EXPECT_EQ(prompt.shown[0].answerWhenUnattended(), platform::Answer::No);
    EXPECT_EQ(status(), "Status: \"" + source + "\" was kept; nothing was decrypted");
    EXPECT_EQ(test::readFile(source), "newer work");

    prompt.answer(platform::Answer::Yes);
    decrypt(protectedFile, "s3cret");
    EXPECT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(status(), "Status: Finished Decrypting report.pdf.bf");
    EXPECT_EQ(test::readFile(source), plain);
}

TEST_F(frmDecryptTest, EnterInEitherBoxDecryptsAndNeverOpensTheFileBrowser)
{
    for (QLineEdit* box : {tool->Text3, tool->Text1}) {
        SCOPED_TRACE(box->objectName().toStdString());
        QFile::remove(source);
        tool->Text1->setText(protectedFile);
        tool->Text3->setText("s3cret");
        box->setFocus();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &enter);
        EXPECT_TRUE(dialogs.titles.isEmpty());
        EXPECT_EQ(status(), "Status: Finished Decrypting report.pdf.bf");
        EXPECT_EQ(test::readFile(source), plain);
    }
}

TEST_F(frmDecryptTest, BrowsingPicksTheFileOrLeavesTheBoxAlone)
{
    tool->Text1->setText(protectedFile);
    dialogs.choices.push_back(std::nullopt);
    tool->Command1->click();
    EXPECT_EQ(tool->Text1->text(), protectedFile);
    EXPECT_EQ(dialogs.startFolders, QStringList {home.path() + "/work"});

    dialogs.choices.push_back(QString("/elsewhere/x.bf"));
    tool->Command1->click();
    EXPECT_EQ(tool->Text1->text(), "/elsewhere/x.bf");
}

TEST_F(frmDecryptTest, OpensAsTallAsItsRowsWithTheStatusRightUnderThem)
{
    decrypt(protectedFile, "s3cret");
    QCoreApplication::processEvents();
    // No empty space for the status line to float in; the box shows the whole path.
    EXPECT_LE(tool->height(), tool->sizeHint().height());
    EXPECT_LT(tool->lblStatus->geometry().top() - tool->Command2->geometry().bottom(), 20);
    EXPECT_GE(tool->Text1->width(), tool->Text1->fontMetrics().horizontalAdvance(protectedFile));
    EXPECT_FALSE(test::saveScreenshot(tool, "decrypt-tool").isEmpty());
}
