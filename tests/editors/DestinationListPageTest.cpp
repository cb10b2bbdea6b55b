#include "editors/DestinationListPage.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "EditorsTest.h"
#include "TestEditor.h"
#include "core/MainWindowServices.h"
#include "core/ScramblePassword.h"
#include "core/Settings.h"
#include "editors/DestinationDialogs.h"
#include "editors/frmLanAdd.h"
#include "ftp/frmAddFTP.h"

using editors::EditorKind;
using editors::frmLanAdd;
using platform::Form;

namespace
{
// A main window that only remembers that the preferences were asked for.
class PreferencesOnly : public core::MainWindowServices
{
public:
    bool setSetRowCell(const QString&, int, const QString&) override { return false; }
    void showFileList(const QStringList&, const QList<bool>&) override { }
    QStringList& globalVersions() override { return versions; }
    void showPreferences(bool modal) override { shownModal << modal; }

    QStringList versions;
    QList<bool> shownModal;
};

// A stand-in for the FTP or e-mail dialog that follows the exchange: it adds `next`, or rewrites the
// row it was opened for.
struct FakeDialog
{
    void install(int type)
    {
        core::setDestinationDialog(type, [this](core::DestinationCaller& caller, bool edit) {
            opened << edit;
            if (!edit) {
                caller.addDestination(next);
                return;
            }
            if (const auto selected = caller.selectedDestination()) {
                loaded << selected->row;
                caller.rewriteDestination(selected->key, next);
            }
        });
    }

    core::DestinationRow next;
    QList<bool> opened;
    QList<core::DestinationRow> loaded;
};

core::BackupSetInfo storedSet()
{
    core::BackupSetInfo set;
    set.DestCount = 4;
    set.Dest[1].Type = core::DestinationType::Folder;
    set.Dest[1].LocalFolder = "/mnt/backup";
    set.Dest[2].Type = core::DestinationType::Ftp;
    set.Dest[2].FTPHost = "ftp.example.org";
    set.Dest[2].FTPPort = "21";
    set.Dest[2].FTPUser = "anna";
    set.Dest[2].FTPPass = "secret";
    set.Dest[2].FTPFolder = "/sets";
    set.Dest[2].FTPPassive = true;
    set.Dest[3].Type = core::DestinationType::Email;
    set.Dest[3].EmailID = "anna@example.org";
    set.Dest[3].Subject = "Backup";
    set.Dest[3].Body = "Attached.";
    set.Dest[4] = set.Dest[2];
    set.Dest[4].FTPHost = "other.example.org";
    set.Dest[4].FTPPassive = false;
    set.RotationType = core::RotationMode::EveryDestination;
    return set;
}

QStringList destinationText(const core::DestinationInfo& d)
{
    return {QString::number(core::storedCode(d.Type)),
            d.LocalFolder,
            d.FTPHost,
            d.FTPPort,
            d.FTPUser,
            d.FTPPass,
            d.FTPFolder,
            d.FTPPassive ? "passive" : "active",
            d.EmailID,
            d.Subject,
            d.Body};
}

class DestinationListPageTest : public test::EditorsTest, public ::testing::WithParamInterface<EditorKind>
{
protected:
    void SetUp() override
    {
        EditorsTest::SetUp();
        core::setMainWindowServices(&mainWindow);
        editor = test::TestEditor::open(GetParam());
        page = editor->destinations;
        editor->tabs->setCurrentWidget(page);
    }
    void TearDown() override
    {
        core::setDestinationDialog(2, {});
        core::setDestinationDialog(3, {});
        core::setMainWindowServices(nullptr);
        EditorsTest::TearDown();
    }

    // Runs `step` on the folder dialog once `action` has opened it.
    void withFolderDialog(const std::function<void()>& action, const std::function<void(frmLanAdd*)>& step)
    {
        whenShown([step] {
            frmLanAdd* dialog = Form<frmLanAdd>::loaded();
            ASSERT_NE(dialog, nullptr);
            step(dialog);
            if (Form<frmLanAdd>::loaded())
                Form<frmLanAdd>::loaded()->cmdCancel->click();
        });
        action();
    }
    void addFolder(const QString& folder)
    {
        withFolderDialog([this] { chooseKind(page->mnuLocalLANFolder); },
                         [folder](frmLanAdd* dialog) {
                             dialog->txtFolderBackup->setText(folder);
                             dialog->cmdOK->click();
                         });
    }
    // Opens the selected row's dialog the way the host does.
    void openDetails()
    {
        QTreeWidgetItem* row = page->lvDestinations->selectedItems().value(0);
        ASSERT_NE(row, nullptr);
        if (GetParam() == EditorKind::Wizard)
            page->lvDestinations->edit(page->lvDestinations->indexFromItem(row));
        else
            emit page->lvDestinations->itemDoubleClicked(row, 0);
    }
    // Chooses a kind from the menu under Add New Destination.
    void chooseKind(QAction* kind)
    {
        page->cmdAddNewDest->click();
        kind->trigger();
        page->mnuDestinationKind->hide();
    }
    void select(int row) { page->lvDestinations->setCurrentItem(page->lvDestinations->topLevelItem(row)); }
    QStringList rowTexts() const
    {
        QStringList rows;
        for (int i = 0; i < page->lvDestinations->topLevelItemCount(); ++i)
            rows << page->lvDestinations->topLevelItem(i)->text(0) + " | "
                    + page->lvDestinations->topLevelItem(i)->text(1);
        return rows;
    }

    PreferencesOnly mainWindow;
    test::TestEditor* editor = nullptr;
    editors::DestinationListPage* page = nullptr;
};
} // namespace

TEST_P(DestinationListPageTest, FolderRowsAreAddedEditedInPlaceAndRemoved)
{
    addFolder("/mnt/first");
    addFolder("/mnt/second");
    addFolder("/mnt/third");
    EXPECT_EQ(rowTexts(),
              (QStringList {"LAN/Local Folder | /mnt/first", "LAN/Local Folder | /mnt/second",
                            "LAN/Local Folder | /mnt/third"}));

    select(1);
    withFolderDialog([this] { openDetails(); },
                     [](frmLanAdd* dialog) {
                         EXPECT_EQ(dialog->txtFolderBackup->text(), "/mnt/second");
                         EXPECT_FALSE(dialog->chkNew->isChecked());
                         dialog->txtFolderBackup->setText("/mnt/changed");
                         dialog->cmdOK->click();
                     });
    EXPECT_EQ(rowTexts(),
              (QStringList {"LAN/Local Folder | /mnt/first", "LAN/Local Folder | /mnt/changed",
                            "LAN/Local Folder | /mnt/third"}));
    EXPECT_EQ(page->lvDestinations->topLevelItem(1)->text(0), "LAN/Local Folder") << "no label edit took place";

    select(1);
    page->cmdRemoveDest->click();
    EXPECT_EQ(rowTexts(), (QStringList {"LAN/Local Folder | /mnt/first", "LAN/Local Folder | /mnt/third"}));

    // Without a selected row Details and Remove do nothing.
    page->lvDestinations->clearSelection();
    page->cmdDestDetails->click();
    EXPECT_EQ(Form<frmLanAdd>::loaded(), nullptr);
    page->cmdRemoveDest->click();
    EXPECT_EQ(page->lvDestinations->topLevelItemCount(), 2);
    EXPECT_EQ(page->GetDestinationType(-1), -1);
    EXPECT_EQ(page->GetDestinationType(2), 1);
    EXPECT_EQ(page->GetDestinationType(3), -1);
}

TEST_P(DestinationListPageTest, RowsOfEveryKindConvertToTheirRecordsWithOrWithoutTheirDialogs)
{
    for (const bool withDialogs : {false, true}) {
        FakeDialog ftp, email;
        if (withDialogs) {
            ftp.install(2);
            email.install(3);
        }
        ftp.next = *core::rowFromDestination(storedSet().Dest[2]);
        page->showDestinations(storedSet());
        page->cmdAddNewDest->click();
        EXPECT_TRUE(page->mnuLocalLANFolder->isEnabled());
        EXPECT_EQ(page->mnuFTPLocation->isEnabled(), withDialogs);
        EXPECT_EQ(page->mnuEmailAddress->isEnabled(), withDialogs);
        page->mnuDestinationKind->hide();
        EXPECT_EQ(rowTexts(),
                  (QStringList {"LAN/Local Folder | /mnt/backup", "FTP | ftp.example.org", "EMAIL | anna@example.org",
                                "FTP | other.example.org"}));
        EXPECT_TRUE(page->optRotation[1]->isChecked());

        select(1);
        page->cmdDestDetails->click();
        EXPECT_EQ(ftp.opened, withDialogs ? QList<bool> {true} : QList<bool> {});

        select(2);
        core::BackupSetInfo stored;
        page->storeDestinations(stored);
        ASSERT_EQ(stored.DestCount, 4);
        const core::BackupSetInfo expected = storedSet();
        for (int slot = 1; slot <= 4; ++slot)
            EXPECT_EQ(destinationText(stored.Dest[slot]), destinationText(expected.Dest[slot])) << slot;
        EXPECT_EQ(stored.RotationType, core::RotationMode::EveryDestination);

        select(3);
        page->cmdRemoveDest->click();
        page->optRotation[0]->setChecked(true);
        page->storeDestinations(stored);
        EXPECT_EQ(stored.DestCount, 3);
        EXPECT_EQ(stored.RotationType, core::RotationMode::OneAtATime);
        core::setDestinationDialog(2, {});
        core::setDestinationDialog(3, {});
    }
}

TEST_P(DestinationListPageTest, DialogRowsCarryTheirOwnFlagsAndEditsReplaceTheReadRow)
{
    FakeDialog ftp;
    ftp.install(2);
    ftp.next = core::ftpRow("new.example.org", "2121", "bob", "pw", "/in", true);
    chooseKind(page->mnuFTPLocation);
    addFolder("/mnt/b");
    ftp.next = core::ftpRow("edited.example.org", "21", "bob", "pw2", "/out", false);
    select(0);
    openDetails();
    ASSERT_EQ(ftp.loaded.size(), 1);
    EXPECT_EQ(ftp.loaded[0], core::ftpRow("new.example.org", "2121", "bob", "pw", "/in", true));
    EXPECT_EQ(rowTexts(), (QStringList {"FTP | edited.example.org", "LAN/Local Folder | /mnt/b"}));

    core::BackupSetInfo stored;
    stored.Dest[1].FTPPassive = true;
    page->storeDestinations(stored);
    EXPECT_EQ(stored.Dest[1].Type, core::DestinationType::Ftp);
    EXPECT_EQ(stored.Dest[1].FTPHost, "edited.example.org");
    EXPECT_EQ(stored.Dest[1].FTPPass, "pw2");
    EXPECT_FALSE(stored.Dest[1].FTPPassive);
    EXPECT_EQ(stored.Dest[2].LocalFolder, "/mnt/b");
}

TEST_P(DestinationListPageTest, EmailNeedsTheMailSettingsFirst)
{
    FakeDialog email;
    email.install(3);
    email.next = core::emailRow("to@example.org", "S", "B");
    const QString notice = GetParam() == EditorKind::Wizard
        ? "SMTP email settings have not been entered yet.\r\nPlease enter email details before using this type of "
          "destination"
        : "SMTP email settings have not been entered.\r\nPlease enter email details before using this type of "
          "destination";
    const std::pair<QString, QString> missing[] = {{"", ""}, {"me@example.org", ""}, {"", "smtp.example.org"}};
    for (const auto& [recipient, server] : missing) {
        ASSERT_TRUE(core::WritePreference("txtEmailTo", recipient));
        ASSERT_TRUE(core::WritePreference("txtServer", server));
        prompt.shown.clear();
        mainWindow.shownModal.clear();
        chooseKind(page->mnuEmailAddress);
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, notice);
        EXPECT_EQ(mainWindow.shownModal, QList<bool> {true});
        EXPECT_TRUE(email.opened.isEmpty());
        EXPECT_EQ(page->lvDestinations->topLevelItemCount(), 0);
    }
    ASSERT_TRUE(core::WritePreference("txtEmailTo", "me@example.org"));
    ASSERT_TRUE(core::WritePreference("txtServer", "smtp.example.org"));
    prompt.shown.clear();
    chooseKind(page->mnuEmailAddress);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(email.opened, QList<bool> {false});
    EXPECT_EQ(rowTexts(), QStringList {"EMAIL | to@example.org"});
}

TEST_P(DestinationListPageTest, RefusesAThirtyFirstDestination)
{
    FakeDialog ftp;
    ftp.install(2);
    ftp.next = core::ftpRow("h", "21", "u", "p", "/", true);
    core::BackupSetInfo full;
    full.DestCount = core::MaxDestinations;
    for (int slot = 1; slot <= core::MaxDestinations; ++slot) {
        full.Dest[slot].Type = core::DestinationType::Folder;
        full.Dest[slot].LocalFolder = "/mnt/" + QString::number(slot);
    }
    page->showDestinations(full);
    chooseKind(page->mnuLocalLANFolder);
    chooseKind(page->mnuFTPLocation);
    EXPECT_EQ(Form<frmLanAdd>::loaded(), nullptr);
    EXPECT_TRUE(ftp.opened.isEmpty());
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, "A backup set can have at most 30 destinations.");
    EXPECT_EQ(page->lvDestinations->topLevelItemCount(), core::MaxDestinations);
    EXPECT_FALSE(page->addDestination(core::folderRow("/one/more")));

    // Editing a row of a full list is still allowed.
    select(29);
    withFolderDialog([this] { page->cmdDestDetails->click(); },
                     [](frmLanAdd* dialog) {
                         dialog->txtFolderBackup->setText("/mnt/last");
                         dialog->cmdOK->click();
                     });
    EXPECT_EQ(page->lvDestinations->topLevelItem(29)->text(1), "/mnt/last");
}

TEST_P(DestinationListPageTest, TheFtpDialogAddsAndEditsRowsOfThePage)
{
    editors::registerDestinationDialogs();
    page->cmdAddNewDest->click();
    EXPECT_TRUE(page->mnuFTPLocation->isEnabled());
    page->mnuDestinationKind->hide();

    whenShown([] {
        ftp::frmAddFTP* dialog = Form<ftp::frmAddFTP>::loaded();
        ASSERT_NE(dialog, nullptr);
        dialog->txtFTPHost->setText("ftp.example.org");
        dialog->txtFTPUsername->setText("anna");
        dialog->txtFTPPassword->setText("pw");
        dialog->txtFTPFolder->setText("/sets");
        dialog->chkFTPPassive->setChecked(true);
        dialog->cmdOK->click();
    });
    chooseKind(page->mnuFTPLocation);
    addFolder("/mnt/b");
    EXPECT_EQ(rowTexts(), (QStringList {"FTP | ftp.example.org", "LAN/Local Folder | /mnt/b"}));

    select(0);
    whenShown([] {
        ftp::frmAddFTP* dialog = Form<ftp::frmAddFTP>::loaded();
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(dialog->chkNew->isChecked());
        EXPECT_EQ(dialog->txtFTPPassword->text(), "pw");
        dialog->txtFTPHost->setText("edited.example.org");
        dialog->cmdOK->click();
    });
    openDetails();
    EXPECT_EQ(rowTexts(), (QStringList {"FTP | edited.example.org", "LAN/Local Folder | /mnt/b"}));
    core::BackupSetInfo stored;
    page->storeDestinations(stored);
    EXPECT_EQ(stored.Dest[1].FTPHost, "edited.example.org");
    EXPECT_EQ(stored.Dest[1].FTPPass, "pw");
    EXPECT_EQ(stored.Dest[1].FTPFolder, "/sets");
    EXPECT_TRUE(stored.Dest[1].FTPPassive);
}

INSTANTIATE_TEST_SUITE_P(BothEditors, DestinationListPageTest,
                         ::testing::Values(EditorKind::Wizard, EditorKind::Properties),
                         [](const ::testing::TestParamInfo<EditorKind>& info) {
                             return info.param == EditorKind::Wizard ? "Wizard" : "Properties";
                         });
