#include "ftp/frmFTPNewFolder.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "FtpWindowsTest.h"
#include "core/ProgramState.h"
#include "ftp/frmFTPBrowse.h"

using ftp::frmFTPBrowse;
using ftp::frmFTPNewFolder;
using platform::Form;

namespace
{
class frmFTPNewFolderTest : public test::FtpWindowsTest
{
protected:
    void SetUp() override
    {
        FtpWindowsTest::SetUp();
        // The browser only holds the name here; it never connects without its timer.
        core::state().FTPBrowseRequested = true;
        browser = Form<frmFTPBrowse>::load();
        ASSERT_NE(browser, nullptr);
        browser->Timer1->stop();
    }

    frmFTPBrowse* browser = nullptr;
};
} // namespace

TEST_F(frmFTPNewFolderTest, CreateHandsBackOnlyNamesOfOneFolder)
{
    const QString refusal = "Please specify a valid folder name.\r\n"
                            "The name should not contain < > / \\ ? : * \" | or more than 250 characters.";
    struct Case
    {
        QString typed;
        QString handedBack; // empty: refused
    };
    const Case cases[] = {
        {"daily", "daily"},
        {"  new folder.old  ", "new folder.old"},
        {"", ""},
        {"    ", ""},
        {"a/b", ""},
        {"a\\b", ""},
        {"a:b", ""},
        {"what?", ""},
        {"a|b", ""},
        {"\"quoted\"", ""},
        {".", ""},
        {"..", ""},
        {"...", "..."},
        {QString("a\tb"), ""},
        {QString(251, 'x'), QString(250, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        prompt.shown.clear();
        browser->folderName = "earlier";
        frmFTPNewFolder* dialog = Form<frmFTPNewFolder>::load();
        ASSERT_NE(dialog, nullptr);
        dialog->show();
        dialog->txtFolderName->setFocus();
        // Typed or pasted: the box keeps its first 250 characters.
        dialog->txtFolderName->insert(c.typed);
        // Enter presses Create without the box losing the focus.
        dialog->cmdCreate->click();
        if (c.handedBack.isEmpty()) {
            ASSERT_EQ(prompt.shown.size(), 1u);
            EXPECT_EQ(prompt.shown[0].text, refusal);
            EXPECT_EQ(prompt.shown[0].icon, platform::Icon::Exclamation);
            EXPECT_EQ(Form<frmFTPNewFolder>::loaded(), dialog) << "stays open";
            EXPECT_EQ(browser->folderName, "earlier");
            dialog->cmdCancel->click();
            EXPECT_EQ(browser->folderName, "");
        } else {
            EXPECT_TRUE(prompt.shown.empty());
            EXPECT_EQ(browser->folderName, c.handedBack);
        }
        EXPECT_EQ(Form<frmFTPNewFolder>::loaded(), nullptr);
    }
}

TEST_F(frmFTPNewFolderTest, LeavingTheBoxTrimsAndTheCloseBoxCancels)
{
    frmFTPNewFolder* dialog = Form<frmFTPNewFolder>::load();
    dialog->show();
    dialog->txtFolderName->setText("  name  ");
    QFocusEvent entering(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(dialog->txtFolderName, &entering);
    EXPECT_EQ(dialog->txtFolderName->selectedText(), "  name  ");
    QFocusEvent leaving(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(dialog->txtFolderName, &leaving);
    EXPECT_EQ(dialog->txtFolderName->text(), "name");
    EXPECT_EQ(dialog->windowTitle(), "Create new FTP folder...");
    EXPECT_EQ(dialog->txtFolderName->maxLength(), 250);

    browser->folderName = "earlier";
    dialog->close();
    EXPECT_EQ(browser->folderName, "");
    EXPECT_EQ(Form<frmFTPNewFolder>::loaded(), nullptr);
}
