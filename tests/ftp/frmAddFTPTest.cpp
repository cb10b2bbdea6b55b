#include "ftp/frmAddFTP.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "FtpWindowsTest.h"
#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "core/Settings.h"

using ftp::frmAddFTP;
using platform::Form;

namespace
{
class frmAddFTPTest : public test::FtpWindowsTest
{
protected:
    // Opens the dialog as an editor does and runs `step` on it while it is up.
    void openWith(bool edit, const std::function<void(frmAddFTP*)>& step)
    {
        whenShown([step] {
            frmAddFTP* dialog = Form<frmAddFTP>::loaded();
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(dialog->isVisible());
            step(dialog);
            if (Form<frmAddFTP>::loaded())
                Form<frmAddFTP>::loaded()->cmdCancel->click();
        });
        frmAddFTP::open(list, edit);
    }
    static void fill(frmAddFTP* dialog, const QString& host, const QString& port, const QString& user,
                     const QString& password, const QString& folder, bool passive)
    {
        dialog->txtFTPHost->setText(host);
        dialog->txtFTPPort->setText(port);
        dialog->txtFTPUsername->setText(user);
        dialog->txtFTPPassword->setText(password);
        dialog->txtFTPFolder->setText(folder);
        dialog->chkFTPPassive->setChecked(passive);
    }
    QStringList tag(int row) const { return list.rows.at(row).tag.fields(); }

    test::ListCaller list;
};
} // namespace

TEST_F(frmAddFTPTest, AddsRowsEditsTheSelectedOneInPlaceAndCancelChangesNothing)
{
    openWith(false, [](frmAddFTP* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Add FTP Destination");
        EXPECT_TRUE(dialog->chkNew->isChecked());
        EXPECT_FALSE(dialog->chkNew->isVisible());
        EXPECT_EQ(dialog->txtFTPPort->text(), "21");
        EXPECT_EQ(dialog->txtFTPFolder->text(), "/");
        EXPECT_EQ(dialog->txtFTPPassword->echoMode(), QLineEdit::Password);
        fill(dialog, "ftp.example.org", "2121", "anna", "s\u00e9cret", "/sets", true);
        dialog->cmdOK->click();
        EXPECT_EQ(Form<frmAddFTP>::loaded(), nullptr);
    });
    list.rows.push_back(core::folderRow("/mnt/lan"));
    // A row the properties window built from a stored set carries "True".
    list.rows.push_back(
        {"FTP", "old.example.org",
         core::DestinationRowTag({"old.example.org", "21", "bob", core::ScramblePassword("pw"), "/in", "True"})});
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[0].text, "FTP");
    EXPECT_EQ(list.rows[0].details, "ftp.example.org");
    EXPECT_EQ(tag(0),
              (QStringList {"ftp.example.org", "2121", "anna", core::ScramblePassword("s\u00e9cret"), "/sets", "1"}));

    list.selected = 2;
    openWith(true, [](frmAddFTP* dialog) {
        EXPECT_FALSE(dialog->chkNew->isChecked());
        EXPECT_EQ(dialog->txtFTPHost->text(), "old.example.org");
        EXPECT_EQ(dialog->txtFTPUsername->text(), "bob");
        EXPECT_EQ(dialog->txtFTPPassword->text(), "pw");
        EXPECT_EQ(dialog->txtFTPFolder->text(), "/in");
        EXPECT_TRUE(dialog->chkFTPPassive->isChecked());
        dialog->txtFTPFolder->setText("/out");
        dialog->cmdOK->click();
    });
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[2].text, "FTP");
    EXPECT_EQ(tag(2), (QStringList {"old.example.org", "21", "bob", core::ScramblePassword("pw"), "/out", "1"}));

    // Right after an edit the add path adds again; Cancel leaves list and defaults alone.
    const auto before = list.rows;
    const QString storedHost = core::ReadPreference("txtFTPHost", "");
    openWith(false, [](frmAddFTP* dialog) {
        EXPECT_TRUE(dialog->chkNew->isChecked());
        fill(dialog, "cancelled.example.org", "21", "x", "y", "/z", false);
        dialog->cmdCancel->click();
    });
    openWith(false, [](frmAddFTP* dialog) { dialog->close(); });
    EXPECT_EQ(list.rows, before);
    EXPECT_EQ(core::ReadPreference("txtFTPHost", ""), storedHost);
}

TEST_F(frmAddFTPTest, TheFirstConfirmedValuesBecomeTheDefaultsOnceWithThePasswordScrambled)
{
    openWith(false, [](frmAddFTP* dialog) {
        fill(dialog, "first.example.org", "2121", "anna", "pw\u00e4", "/first", true);
        dialog->cmdOK->click();
    });
    const QStringList expected {"first.example.org", "2121", "anna", core::ScramblePassword("pw\u00e4"), "/first", "1"};
    const auto stored = [] {
        return QStringList {core::ReadPreference("txtFTPHost", ""),     core::ReadPreference("txtFTPPort", ""),
                            core::ReadPreference("txtFTPUsername", ""), core::ReadPreference("txtFTPPassword", ""),
                            core::ReadPreference("txtFTPFolder", ""),   core::ReadPreference("txtFTPPassive", "")};
    };
    EXPECT_EQ(stored(), expected);

    openWith(false, [](frmAddFTP* dialog) {
        EXPECT_EQ(dialog->txtFTPHost->text(), "first.example.org");
        EXPECT_EQ(dialog->txtFTPPassword->text(), "pw\u00e4");
        EXPECT_TRUE(dialog->chkFTPPassive->isChecked());
        fill(dialog, "second.example.org", "21", "bob", "other", "/second", false);
        dialog->cmdOK->click();
    });
    EXPECT_EQ(stored(), expected) << "defaults are never overwritten";

    // A default emptied in the preferences is written again by the next OK.
    ASSERT_TRUE(core::WritePreference("txtFTPFolder", ""));
    openWith(false, [](frmAddFTP* dialog) {
        EXPECT_EQ(dialog->txtFTPFolder->text(), "");
        dialog->txtFTPFolder->setText("/third");
        dialog->cmdOK->click();
    });
    EXPECT_EQ(core::ReadPreference("txtFTPFolder", ""), "/third");
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[2].tag.fields().at(4), "/third");
}

TEST_F(frmAddFTPTest, RefusalsShowTheirMessageAndKeepTheDialogOpen)
{
    const QString incomplete = "Please complete all the FTP fields";
    const QString badPort = "The port must be a whole number from 1 to 65535.";
    struct Case
    {
        QString host, port, user, password, folder;
        QString message;
    };
    const Case cases[] = {
        {"", "21", "u", "p", "/", incomplete},
        {"   ", "21", "u", "p", "/", incomplete},
        {"h", "", "u", "p", "/", incomplete},
        {"h", "0", "u", "p", "/", badPort},
        {"h", "65536", "u", "p", "/", badPort},
        {"h", "ftp", "u", "p", "/", badPort},
        {"h~!~x", "21", "u", "p", "/", "The host may not contain \"~!~\"."},
        {"h", "21", "u", "p", "/a|b", "The folder may not contain \"|\"."},
        {"h", "21", "u", "gr\u00fcn", "/", "The password may not contain \"\u00fc\"."},
        {"h", "21", "u", "a\rb", "/", "The password may not contain control characters."},
    };
    for (const Case& c : cases) {
        prompt.shown.clear();
        openWith(false, [&c](frmAddFTP* dialog) {
            fill(dialog, c.host, c.port, c.user, c.password, c.folder, false);
            dialog->cmdOK->click();
            EXPECT_EQ(Form<frmAddFTP>::loaded(), dialog) << "stays open";
            EXPECT_EQ(dialog->txtFTPHost->text(), c.host);
        });
        ASSERT_EQ(prompt.shown.size(), 1u) << c.message.toStdString();
        EXPECT_EQ(prompt.shown[0].text, c.message);
        EXPECT_EQ(prompt.shown[0].icon, platform::Icon::Exclamation);
    }
    EXPECT_TRUE(list.rows.empty());
    EXPECT_EQ(core::ReadPreference("txtFTPHost", ""), "");

    // Browse refuses the same server and port before any browser opens.
    for (const auto& [host, port] : {std::pair<QString, QString> {"  ", "21"}, {"h", "70000"}}) {
        prompt.shown.clear();
        openWith(false, [host, port](frmAddFTP* dialog) {
            dialog->txtFTPHost->setText(host);
            dialog->txtFTPPort->setText(port);
            dialog->cmdBrowse->click();
        });
        EXPECT_EQ(prompt.shown.size(), 1u);
        EXPECT_FALSE(core::state().FTPBrowseRequested);
    }
}

TEST_F(frmAddFTPTest, AFullListRefusesAnotherRowAndAnEditStillRewrites)
{
    list.capacity = 2;
    for (int i = 0; i < 2; ++i) {
        openWith(false, [i](frmAddFTP* dialog) {
            fill(dialog, QString("h%1").arg(i), "21", "u", "p", "/", false);
            dialog->cmdOK->click();
        });
    }
    openWith(false, [](frmAddFTP* dialog) {
        fill(dialog, "h2", "21", "u", "p", "/", false);
        dialog->cmdOK->click();
        EXPECT_EQ(Form<frmAddFTP>::loaded(), dialog);
    });
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "A backup set can have at most 30 destinations.");
    ASSERT_EQ(list.rows.size(), 2u);

    list.selected = 0;
    openWith(true, [](frmAddFTP* dialog) {
        dialog->txtFTPHost->setText("edited");
        dialog->cmdOK->click();
    });
    EXPECT_EQ(list.rows[0].details, "edited");
    EXPECT_EQ(list.rows.size(), 2u);
}

TEST_F(frmAddFTPTest, StandsAloneWithoutACaller)
{
    frmAddFTP::SetCaller(nullptr);
    frmAddFTP* dialog = Form<frmAddFTP>::load();
    ASSERT_NE(dialog, nullptr);
    fill(dialog, "alone.example.org", "21", "", "", "/", false);
    dialog->cmdOK_Click();
    EXPECT_EQ(Form<frmAddFTP>::loaded(), nullptr);
    EXPECT_EQ(core::ReadPreference("txtFTPHost", ""), "alone.example.org");
}
