#include "mail/frmEmailAdd.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/Settings.h"
#include "ftp/FtpWindowsTest.h"
#include "localisation/Brand.h"
#include "mail/MailSender.h"
#include "mail/SmtpPeerTest.h"
#include "mail/UUDecoders.h"
#include "platform/EventLoop.h"
#include "support/Screenshot.h"

using mail::frmEmailAdd;
using platform::Form;

namespace
{
class frmEmailAddTest : public test::SmtpPeerTest
{
protected:
    void SetUp() override
    {
        SmtpPeerTest::SetUp();
        localisation::resetLanguages();
        localisation::RegisterDefaultMessages();
        mail::MailSender::instance().reset();
    }
    void TearDown() override
    {
        mail::MailSender::instance().reset();
        platform::unloadAllWindows();
        SmtpPeerTest::TearDown();
    }

    // Opens the dialog as an editor does and runs `step` on it while it is up.
    void openWith(bool edit, const std::function<void(frmEmailAdd*)>& step)
    {
        QTimer::singleShot(0, [step] {
            frmEmailAdd* dialog = Form<frmEmailAdd>::loaded();
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(dialog->isVisible());
            step(dialog);
            if (Form<frmEmailAdd>::loaded())
                Form<frmEmailAdd>::loaded()->cmdCancel->click();
        });
        frmEmailAdd::open(list, edit);
    }
    static void fill(frmEmailAdd* dialog, const QString& to, const QString& subject, const QString& body)
    {
        dialog->txtEmail->setText(to);
        dialog->txtSub->setText(subject);
        dialog->txtBody->setPlainText(body);
    }
    QStringList tag(int row) const { return list.rows.at(row).tag.fields(); }

    test::ListCaller list;
};

TEST_F(frmEmailAddTest, AddsRowsEditsTheSelectedOneInPlaceAndCancelChangesNothing)
{
    openWith(false, [](frmEmailAdd* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Add email destination");
        EXPECT_TRUE(dialog->chkNew->isChecked());
        EXPECT_FALSE(dialog->chkNew->isVisible());
        EXPECT_EQ(dialog->txtEmail->text(), mail::PlaceholderAddress);
        EXPECT_EQ(dialog->txtSub->text(), localisation::BrandProgramName() + " - Backup Files");
        EXPECT_EQ(dialog->txtBody->toPlainText(), "Body\n");
        test::saveScreenshot(dialog, "frmEmailAdd");
        // Surrounding blanks are kept as typed.
        fill(dialog, " anna@example.org ", "", "");
        dialog->cmdOK->click();
        EXPECT_EQ(Form<frmEmailAdd>::loaded(), nullptr);
    });
    list.rows.push_back(core::folderRow("/mnt/lan"));
    list.rows.push_back(core::emailRow("old@example.org", "Old subject", "Old body"));
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[0].text, "EMAIL");
    EXPECT_EQ(list.rows[0].details, " anna@example.org ");
    EXPECT_EQ(tag(0), (QStringList {" anna@example.org ", "", ""}));

    list.selected = 2;
    openWith(true, [](frmEmailAdd* dialog) {
        EXPECT_FALSE(dialog->chkNew->isChecked());
        EXPECT_EQ(dialog->txtEmail->text(), "old@example.org");
        EXPECT_EQ(dialog->txtSub->text(), "Old subject");
        EXPECT_EQ(dialog->txtBody->toPlainText(), "Old body");
        dialog->txtSub->setText("New subject");
        dialog->cmdOK->click();
    });
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[2], core::emailRow("old@example.org", "New subject", "Old body"));
    EXPECT_EQ(core::ReadPreference("txtEmailTo", ""), "old@example.org") << "the To box was filled";

    // Cancel and the close box leave the list alone, but the To box still sets the test address.
    const auto before = list.rows;
    openWith(false, [](frmEmailAdd* dialog) {
        fill(dialog, "typed@example.org", "s", "b");
        dialog->cmdCancel->click();
    });
    openWith(false, [](frmEmailAdd* dialog) { dialog->close(); });
    EXPECT_EQ(list.rows, before);
    EXPECT_EQ(core::ReadPreference("txtEmailTo", ""), "typed@example.org");
}

TEST_F(frmEmailAddTest, RefusalsShowTheirMessageAndKeepTheDialogOpen)
{
    const QString incomplete = "Please complete all the Email Destination fields";
    struct Case
    {
        QString to, subject, body;
        QString message;
    };
    const Case cases[] = {
        {"", "s", "b", incomplete},
        {"   ", "s", "b", incomplete},
        {"a~!~b@example.org", "s", "b", "The recipient may not contain \"~!~\"."},
        {"a@example.org", "x~!~y", "b", "The subject may not contain \"~!~\"."},
        {"a@example.org", "s", "one\n~!~two", "The body may not contain \"~!~\"."},
    };
    for (const Case& c : cases) {
        prompt.shown.clear();
        openWith(false, [&c](frmEmailAdd* dialog) {
            fill(dialog, c.to, c.subject, c.body);
            dialog->cmdOK->click();
            EXPECT_EQ(Form<frmEmailAdd>::loaded(), dialog) << "stays open";
        });
        ASSERT_EQ(prompt.shown.size(), 1u) << c.message.toStdString();
        EXPECT_EQ(prompt.shown.at(0).text, c.message);
        EXPECT_EQ(prompt.shown.at(0).icon, platform::Icon::Exclamation);
        EXPECT_TRUE(list.rows.empty());
    }
}

TEST_F(frmEmailAddTest, SendTestMessageMailsTheTestAttachmentToTheToBox)
{
    startPeer();
    core::WritePreference("txtEmailFrom", "me@example.org");
    core::WritePreference("txtServer", "127.0.0.1");
    core::WritePreference("txtPort", QString::number(peer.port()));
    openWith(false, [](frmEmailAdd* dialog) {
        fill(dialog, "box@example.org", "Not this subject", "Not this body");
        dialog->cmdSend->click();
        EXPECT_EQ(Form<frmEmailAdd>::loaded(), dialog) << "stays open";
        EXPECT_TRUE(platform::waitWhile([] { return mail::MailSender::instance().busy(); }, 20000));
    });
    EXPECT_TRUE(mail::MailSender::instance().lastOutcome().succeeded())
        << mail::MailSender::instance().lastOutcome().reason().toStdString();
    EXPECT_EQ(envelope().value("rcpt_tos").toArray().at(0).toString(), "box@example.org");
    const QByteArray mail = message();
    EXPECT_FALSE(mail.contains("Not this"));
    const QList<QByteArray> blocks = test::uuBlocks(mail);
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_TRUE(blocks.at(0).contains(" TestAttachment.txt"));
    EXPECT_EQ(test::uudecode(blocks.at(0)), test::readFile(mail::testAttachmentPath()));
}

TEST_F(frmEmailAddTest, SendTestMessageWithoutAServerAsksForTheMailSettings)
{
    openWith(false, [this](frmEmailAdd* dialog) {
        dialog->cmdSend->click();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown.at(0).text, "You must fill out email server preferences before sending mail.");
        EXPECT_FALSE(mail::MailSender::instance().busy());
    });
}

} // namespace
