#include "restore/frmExtract.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "RestoreWindowsTest.h"
#include "support/Screenshot.h"
#include "support/ZipFixtures.h"

using platform::Form;
using restore::frmExtract;

namespace
{
class frmExtractTest : public test::RestoreWindowsTest
{
protected:
    void SetUp() override
    {
        RestoreWindowsTest::SetUp();
        big = test::noisyBytes(2 * 1024 * 1024 + 11);
        put("home/u/docs/a.txt", "alpha\r\n");
        put("home/u/docs/deep/b c.txt", "bravo");
        put("home/u/big.bin", big);
        archive = path("in/Set Backup.zip");
        ASSERT_TRUE(QDir().mkpath(path("in")));
        ASSERT_TRUE(test::runZip(path("src"), {"-r", archive, "home"}));
        tool = Form<frmExtract>::load();
        ASSERT_NE(tool, nullptr);
        tool->show();
    }
    QString path(const QString& relative) const { return home.path() + "/" + relative; }
    void put(const QString& relative, const QByteArray& bytes)
    {
        ASSERT_TRUE(test::writeFile(path("src/" + relative), bytes));
    }
    void extract(const QString& zip, const QString& folder)
    {
        tool->Text1->setText(zip);
        tool->Text2->setText(folder);
        tool->Command2->click();
    }
    static QStringList filesBelow(const QString& folder)
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(folder).relativeFilePath(it.next());
        files.sort();
        return files;
    }
    QString status() const { return tool->lblStatus->text(); }

    QByteArray big;
    QString archive;
    frmExtract* tool = nullptr;
};
} // namespace

TEST_F(frmExtractTest, UnpacksAnInfoZipArchiveWithItsFoldersBelowTheChosenFolder)
{
    EXPECT_EQ(tool->windowTitle(), "File Extractor");
    const QString target = path("out/new folder");
    extract(archive, target);
    EXPECT_EQ(status(), "Status: Finished Extracting Set Backup.zip");
    EXPECT_EQ(filesBelow(target), QStringList({"home/u/big.bin", "home/u/docs/a.txt", "home/u/docs/deep/b c.txt"}));
    EXPECT_EQ(test::readFile(target + "/home/u/docs/a.txt"), "alpha\r\n");
    EXPECT_EQ(test::readFile(target + "/home/u/docs/deep/b c.txt"), "bravo");
    EXPECT_EQ(test::readFile(target + "/home/u/big.bin"), big);
    EXPECT_TRUE(tool->Command2->isEnabled());
}

TEST_F(frmExtractTest, ClosingTheToolStopsTheUnpacking)
{
    const QString target = path("out");
    bool closed = false;
    QTimer::singleShot(0, [&] {
        closed = true;
        tool->close();
    });
    extract(archive, target);
    EXPECT_TRUE(closed);
    // It stopped at the first entry it wrote, leaving no part of it behind.
    EXPECT_EQ(filesBelow(target), QStringList {});
}

TEST_F(frmExtractTest, KeepsFilesThatAreThereAndSaysSo)
{
    const QString target = path("out");
    ASSERT_TRUE(test::writeFile(target + "/home/u/docs/a.txt", "my own edit"));
    extract(archive, target);
    EXPECT_EQ(status(),
              "Status: Finished Extracting Set Backup.zip\n"
              "Skipped, a file of that name is already there:\n    "
                  + target + "/home/u/docs/a.txt");
    EXPECT_EQ(test::readFile(target + "/home/u/docs/a.txt"), "my own edit");
    EXPECT_EQ(test::readFile(target + "/home/u/docs/deep/b c.txt"), "bravo");
}

TEST_F(frmExtractTest, RefusesUnsafeNamesAsTheRestoreDoes)
{
    put("aa/x.txt", "dotdot");
    put("good.txt", "good");
    const QString bad = path("in/bad.zip");
    ASSERT_TRUE(test::runZip(path("src"), {bad, "aa/x.txt", "good.txt"}));
    ASSERT_TRUE(test::renameEntry(bad, "aa/x.txt", "../x.txt"));
    ASSERT_TRUE(QDir().mkpath(path("box/out")));

    extract(bad, path("box/out"));
    EXPECT_EQ(status(),
              "Status: Finished Extracting bad.zip\n"
              "Refused, the name is not safe to write:\n"
              "    ../x.txt (path leads out of the folder)");
    EXPECT_EQ(filesBelow(path("box")), QStringList {"out/good.txt"});
}

TEST_F(frmExtractTest, SaysWhyNothingWasExtracted)
{
    ASSERT_TRUE(test::writeFile(path("in/fake.zip"), "this is not an archive"));
    const std::pair<QString, QString> cases[] = {
        {"", ""},
        {"Set Backup.zip", "Status: Please give the whole paths of the archive and of the folder"},
        {path("in/missing.zip"), "Status: Zip file does not exists"},
    };
    for (const auto& [zip, expected] : cases) {
        SCOPED_TRACE(zip.toStdString());
        tool->lblStatus->clear();
        extract(zip, path("out"));
        EXPECT_EQ(status(), expected);
    }
    extract(path("in/fake.zip"), path("out"));
    EXPECT_TRUE(status().startsWith("Status: Cannot extract fake.zip: ")) << status().toStdString();
    extract(archive, "relative/out");
    EXPECT_EQ(status(), "Status: Please give the whole paths of the archive and of the folder");
    EXPECT_FALSE(QFileInfo::exists(path("out")));
}

TEST_F(frmExtractTest, BrowsingProposesAFolderNamedAfterTheArchive)
{
    const std::pair<QString, QString> cases[] = {
        {"/b/backup.zip/Set.zip", "/b/backup.zip/Set"},
        {"/b/SET.ZIP", "/b/SET"},
        {"/b/archive", "/b"},
    };
    for (const auto& [chosen, proposed] : cases) {
        dialogs.choices.push_back(chosen);
        tool->Command1->click();
        EXPECT_EQ(tool->Text1->text(), chosen);
        EXPECT_EQ(tool->Text2->text(), proposed);
    }
    dialogs.choices.push_back(std::nullopt);
    tool->Command1->click();
    EXPECT_EQ(tool->Text1->text(), "/b/archive");
    EXPECT_EQ(tool->Text2->text(), "/b");
}

TEST_F(frmExtractTest, OpensAsTallAsItsRowsWithTheStatusRightUnderThem)
{
    extract(archive, path("out/Set Backup"));
    QCoreApplication::processEvents();
    // No empty space for the status line to float in; the boxes show whole paths.
    EXPECT_LE(tool->height(), tool->sizeHint().height());
    EXPECT_LT(tool->lblStatus->geometry().top() - tool->Command2->geometry().bottom(), 20);
    EXPECT_GE(tool->Text1->width(), tool->Text1->fontMetrics().horizontalAdvance(archive));
    EXPECT_FALSE(test::saveScreenshot(tool, "extract-tool").isEmpty());
}
