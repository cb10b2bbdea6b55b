#include "restore/frmVersions.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "RestoreWindowsTest.h"
#include "core/ScramblePassword.h"
#include "restore/frmRestoreToNew.h"
#include "restore/frmSelectFiles.h"
#include "support/Screenshot.h"

using platform::Form;
using restore::frmVersions;

namespace
{
const QString Lan1 = "LAN|/mnt/backup/10-12-2026 Set|/mnt/backup/10-12-2026 Set/Set.zip|10/12/2026 12:00:00|12,5|1|0|";
const QString Lan2 = "LAN|/mnt/Sicherung März|/mnt/Sicherung März/home|11/12/2026 08:00:00|3|2|1|ke y";
const QString Ftp = "FTP|anna|" + core::ScramblePassword("pa ss")
    + "|ftp.example.org|50021|/backups|/backups/Set.zip.bf|"
      "12/12/2026 09:30:00|2048|0|1|key";

class frmVersionsTest : public test::RestoreWindowsTest
{
protected:
    frmVersions* openChooser()
    {
        Form<frmVersions>::unload();
        frmVersions* chooser = Form<frmVersions>::load();
        if (chooser)
            chooser->show();
        return chooser;
    }
    static void select(frmVersions* chooser, int row)
    {
        chooser->lvArchives->setCurrentItem(chooser->lvArchives->topLevelItem(row));
    }
};
} // namespace

TEST_F(frmVersionsTest, ListsEveryVersionOfTheLoadedSetAndNamesTheLinesItRefuses)
{
    loadSet("Set",
            {Lan1, "", "EMAIL|anna@example.org|x", Ftp, "LAN|/short|x", "   ", Lan2,
             "FTP|u|p|host|70000|/f|/f/S.zip|d|1|1|0|k", "LAN|/b|/b/S.zip|d|1|1|7|k"});
    frmVersions* chooser = openChooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->windowTitle(), "Backup versions");
    EXPECT_EQ(rowTexts(chooser->lvArchives),
              QStringList({"LAN/Local Folder | 10/12/2026 12:00:00 | /mnt/backup/10-12-2026 Set | Zip Single | None",
                           "FTP | 12/12/2026 09:30:00 | ftp.example.org | None | Blowfish",
                           "LAN/Local Folder | 11/12/2026 08:00:00 | /mnt/Sicherung März | Zip Multi | Blowfish"}));

    ASSERT_EQ(prompt.shown.size(), 1u);
    const QString text = prompt.shown[0].text;
    EXPECT_TRUE(text.contains("\"Set\"")) << text.toStdString();
    EXPECT_TRUE(text.contains("Line 5: a folder version has 8 fields, this line has 3.")) << text.toStdString();
    EXPECT_TRUE(text.contains("Line 8: the port \"70000\" is not a number from 0 to 65535.")) << text.toStdString();
    EXPECT_TRUE(text.contains("Line 9: the encryption \"7\" is not 0 or 1.")) << text.toStdString();
    EXPECT_FALSE(text.contains("Line 3")) << "a line of another kind is not restorable, not damaged";

    select(chooser, 1);
    const std::optional<core::VersionLine> chosen = chooser->selectedVersion();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->ftpPassword(), "pa ss");
    EXPECT_EQ(chosen->ftpPortNumber(), 50021);
    EXPECT_EQ(chosen->password(), "key");
}

TEST_F(frmVersionsTest, ListsNothingWithoutALoadedSet)
{
    struct Case
    {
        const char* name;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"no set loaded", [] { core::state().CurrentSet.ItemName.clear(); }},
        {"last load failed", [] { core::state().CurrentSet.LoadFailed = true; }},
        {"no version yet", [] { loadSet("Set", {}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadSet("Set", {Lan1, Ftp});
        c.arrange();
        frmVersions* chooser = openChooser();
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->lvArchives->topLevelItemCount(), 0);
        EXPECT_TRUE(prompt.shown.empty());

        // With nothing to choose, the new location does nothing and the previous location closes.
        chooser->cmdRestoreToNewLocation->click();
        EXPECT_EQ(Form<frmVersions>::loaded(), chooser);
        EXPECT_EQ(Form<restore::frmRestoreToNew>::loaded(), nullptr);
        chooser->cmdContinue->click();
        EXPECT_EQ(Form<frmVersions>::loaded(), nullptr);
        EXPECT_EQ(Form<restore::frmSelectFiles>::loaded(), nullptr);
        EXPECT_TRUE(prompt.shown.empty());
    }
}

TEST_F(frmVersionsTest, AsksForAVersionBeforeHandingOn)
{
    loadSet("Set", {Lan1, Ftp});
    frmVersions* chooser = openChooser();
    ASSERT_NE(chooser, nullptr);
    for (QPushButton* button : {chooser->cmdContinue, chooser->cmdRestoreToNewLocation}) {
        prompt.shown.clear();
        button->click();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, "Please select a version to restore");
        EXPECT_EQ(Form<frmVersions>::loaded(), chooser);
        EXPECT_EQ(Form<restore::frmSelectFiles>::loaded(), nullptr);
        EXPECT_EQ(Form<restore::frmRestoreToNew>::loaded(), nullptr);
    }
}

TEST_F(frmVersionsTest, HandsTheChosenVersionOnToThePreviousOrANewLocation)
{
    writeLastRun("Set", "/home/u/docs/a.txt\r\n");
    loadSet("Set", {Lan1, Ftp});

    frmVersions* chooser = openChooser();
    select(chooser, 1);
    chooser->cmdContinue->click();
    EXPECT_EQ(Form<frmVersions>::loaded(), nullptr);
    restore::frmSelectFiles* files = Form<restore::frmSelectFiles>::loaded();
    ASSERT_NE(files, nullptr);
    EXPECT_TRUE(files->isVisible());
    EXPECT_EQ(files->choice().setName, "Set");
    EXPECT_TRUE(files->choice().previousLocation);
    EXPECT_EQ(files->choice().version.kind(), core::VersionLine::Kind::Ftp);
    EXPECT_EQ(files->choice().version.ftpHost(), "ftp.example.org");
    Form<restore::frmSelectFiles>::unload();

    chooser = openChooser();
    select(chooser, 0);
    chooser->cmdRestoreToNewLocation->click();
    EXPECT_EQ(Form<frmVersions>::loaded(), nullptr);
    EXPECT_EQ(Form<restore::frmSelectFiles>::loaded(), nullptr);
    restore::frmRestoreToNew* newLocation = Form<restore::frmRestoreToNew>::loaded();
    ASSERT_NE(newLocation, nullptr);
    EXPECT_TRUE(newLocation->isVisible());
    EXPECT_EQ(newLocation->choice().setName, "Set");
    EXPECT_FALSE(newLocation->choice().previousLocation);
    EXPECT_EQ(newLocation->choice().version.folder(), "/mnt/backup/10-12-2026 Set");
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(frmVersionsTest, CancelClosesAndOpensNothing)
{
    loadSet("Set", {Lan1});
    frmVersions* chooser = openChooser();
    select(chooser, 0);
    chooser->cmdCancel->click();
    EXPECT_EQ(Form<frmVersions>::loaded(), nullptr);
    EXPECT_EQ(Form<restore::frmSelectFiles>::loaded(), nullptr);
    EXPECT_EQ(Form<restore::frmRestoreToNew>::loaded(), nullptr);
}

TEST_F(frmVersionsTest, ShowsEveryDateAndFolderWholeWhereTheScreenAllowsAndNeverScrollsSideways)
{
    const QString usual = "LAN|/home/anna/Backups/Documents/10-12-2026 12-00-00 Documents|/home/anna/Backups/Documents/"
                          "10-12-2026 12-00-00 Documents/Documents.zip|10/12/2026 12:00:00|1|1|0|";
    const QString deep = "/media/anna/" + QString("Archive of the family's papers/").repeated(12) + "10-12-2026";
    const QString tooLong = "LAN|" + deep + "|" + deep + "/Set.zip|13/12/2026 07:00:00|1|1|0|";
    const struct
    {
        const char* name;
        QStringList lines;
        bool longerThanAnyScreen;
        const char* screenshot;
    } cases[] = {
        {"usual folders", {Lan1, Ftp, Lan2, usual}, false, "version-chooser"},
        {"a folder longer than any screen", {Lan1, tooLong, Ftp}, true, "version-chooser-long-folder"},
    };
    const int widest = static_cast<int>(QGuiApplication::primaryScreen()->availableGeometry().width() * 0.9);
    constexpr int Details = 2;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        loadSet("Set", c.lines);
        frmVersions* chooser = openChooser();
        ASSERT_NE(chooser, nullptr);
        QCoreApplication::processEvents();
        QTreeWidget* list = chooser->lvArchives;
        const bool roomLeft = chooser->width() < widest;
        if (c.longerThanAnyScreen) {
            EXPECT_FALSE(roomLeft) << chooser->width();
        }
        int columns = 0;
        for (int column = 0; column < list->columnCount(); ++column) {
            const int whole = qMax(static_cast<QAbstractItemView*>(list)->sizeHintForColumn(column),
                                   list->header()->sectionSizeHint(column));
            // Only the folders give way, and only once the window is as wide as the screen allows.
            if (column != Details || roomLeft) {
                EXPECT_GE(list->columnWidth(column), whole) << column;
            }
            columns += list->columnWidth(column);
        }
        // Side by side in view, without scrolling.
        EXPECT_LE(columns, list->viewport()->width());
        EXPECT_FALSE(test::saveScreenshot(chooser, c.screenshot).isEmpty());
    }
}
