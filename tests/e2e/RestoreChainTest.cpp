#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "core/ProgramState.h"
#include "platform/DateText.h"
#include "platform/EventLoop.h"
#include "restore/RestoreList.h"
#include "restore/frmRestoreToNew.h"
#include "restore/frmRestoring.h"
#include "restore/frmSelectFiles.h"
#include "restore/frmVersions.h"

using platform::Form;

namespace
{
// Long enough for any restore of these tests; the wait ends as soon as the restore does.
constexpr int RestoreLimitMs = 60000;

class RestoreChainTest : public test::RunFixture
{
protected:
    // Runs the set once more with every listed file changed, an hour after the run before; returns
    // the contents of this version and the creation date its version line shows.
    QPair<QString, QMap<QString, QByteArray>> runVersion(int number)
    {
        clock.advanceSeconds(3600);
        QMap<QString, QByteArray> version;
        for (const QString& file : std::as_const(listed)) {
            const QByteArray bytes = contents.value(file) + QByteArray("version ") + QByteArray::number(number);
            EXPECT_TRUE(test::writeFile(file, bytes));
            version.insert(file, bytes);
        }
        runAndClose();
        return {platform::DateText::generalDate(clock.now()), version};
    }

    // Opens the chooser through the main window's Restore button and selects the version made at
    // `created`.
    restore::frmVersions* chooseVersion(const QString& created)
    {
        main->cmdRestore->click();
        restore::frmVersions* chooser = Form<restore::frmVersions>::loaded();
        if (!chooser)
            return nullptr;
        for (int row = 0; row < chooser->lvArchives->topLevelItemCount(); ++row) {
            if (chooser->lvArchives->topLevelItem(row)->text(1) == created)
                chooser->lvArchives->setCurrentItem(chooser->lvArchives->topLevelItem(row));
        }
        return chooser;
    }

    // Ticks exactly `ticked` in the file selection, confirms it and lets the restore run to its end.
    void restoreTicked(const QStringList& ticked)
    {
        restore::frmSelectFiles* files = Form<restore::frmSelectFiles>::loaded();
        ASSERT_NE(files, nullptr);
        QStringList rows;
        for (int i = 0; i < files->List1->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = files->List1->topLevelItem(i);
            rows << row->text(0);
            row->setCheckState(0, ticked.contains(row->text(0)) ? Qt::Checked : Qt::Unchecked);
        }
        EXPECT_EQ(rows, listed) << "the files of the set's last run";
        files->cmdOK->click();

        QByteArray list;
        for (const QString& path : ticked)
            list += path.toUtf8() + "\r\n";
        EXPECT_EQ(test::readFile(restore::restoreListPath("Docs")), list);

        QPointer<restore::frmRestoring> window = Form<restore::frmRestoring>::loaded();
        ASSERT_FALSE(window.isNull());
        ASSERT_TRUE(platform::waitWhile([&] { return window && !window->tmrClose->isActive(); }, RestoreLimitMs));
        ASSERT_FALSE(window.isNull());
        EXPECT_TRUE(window->lblStatus->toPlainText().startsWith("Done!"))
            << window->lblStatus->toPlainText().toStdString();
        window->cmdClose_Click();
    }
};
} // namespace

TEST_F(RestoreChainTest, RestoresExactlyTheTickedFilesOfTheChosenVersion)
{
    struct Case
    {
        const char* name;
        int compression;
        bool protect;
    };
    const Case cases[] = {
        {"plain copies", 0, false},
        {"one protected archive", 1, true},
        {"a protected archive per file", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeSet({.compression = c.compression, .protect = c.protect, .timestamps = true, .destinations = 1});
        const auto [created1, version1] = runVersion(1);
        const auto [created2, version2] = runVersion(2);
        const auto [created3, version3] = runVersion(3);
        ASSERT_EQ(savedSection("VERSIONS").size(), 3);

        // The previous location: the ticked files are gone from their places, the others changed.
        const QStringList ticked = {listed[1], listed[3], listed[5], listed[6]};
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(ticked.contains(file) ? QFile::remove(file) : test::writeFile(file, "changed since"));
        restore::frmVersions* chooser = chooseVersion(created2);
        ASSERT_NE(chooser, nullptr);
        ASSERT_EQ(chooser->lvArchives->topLevelItemCount(), 3);
        chooser->cmdContinue->click();
        restoreTicked(ticked);
        for (const QString& file : std::as_const(listed))
            EXPECT_EQ(test::readFile(file), ticked.contains(file) ? version2.value(file) : "changed since")
                << file.toStdString();

        // A new folder: the ticked files of another version below it, and nothing else anywhere.
        const QString target = programFile("restored here");
        const QStringList others = {listed[0], listed[2], listed[4]};
        const QMap<QString, test::EntryState> sources = test::snapshot(source);
        chooser = chooseVersion(created1);
        ASSERT_NE(chooser, nullptr);
        chooser->cmdRestoreToNewLocation->click();
        restore::frmRestoreToNew* newLocation = Form<restore::frmRestoreToNew>::loaded();
        ASSERT_NE(newLocation, nullptr);
        newLocation->txtnewFolder->setText(target);
        newLocation->cmdOK->click();
        restoreTicked(others);
        QStringList expected;
        for (const QString& file : others) {
            expected << entryOf(file);
            EXPECT_EQ(test::readFile(target + "/" + entryOf(file)), version1.value(file)) << file.toStdString();
        }
        expected.sort();
        EXPECT_EQ(test::filesBelow(target), expected);
        EXPECT_EQ(test::snapshot(source), sources);

        ASSERT_TRUE(QDir(target).removeRecursively());
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(test::writeFile(file, contents.value(file)));
        ASSERT_TRUE(QDir(backup(1)).removeRecursively());
    }
}
