#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/Settings.h"
#include "localisation/LanguageDownload.h"
#include "localisation/Languages.h"
#include "localisation/frmLanguage.h"
#include "main_window/MainWindowTest.h"
#include "peers/PeerProcess.h"
#include "platform/EventLoop.h"
#include "support/Screenshot.h"

using localisation::frmLanguage;
using platform::Form;

namespace
{
const QByteArray kTwoGroups = "<LANGUAGES>\r\n"
                              "<LANGUAGE_GROUP>\r\n<LANGUAGE_NAME>English</LANGUAGE_NAME>\r\n"
                              "<TRANSLATION_ITEMS>\r\n</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n"
                              "<LANGUAGE_GROUP>\r\n<LANGUAGE_NAME>Français</LANGUAGE_NAME>\r\n"
                              "<TRANSLATION_ITEMS>\r\n"
                              "  <FRMMAIN_CMDBACKUP>Sauvegarder</FRMMAIN_CMDBACKUP>\r\n"
                              "  <FRMLANGUAGE_COMMAND2>D'accord</FRMLANGUAGE_COMMAND2>\r\n"
                              "</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n"
                              "</LANGUAGES>\r\n";

// A newer file as a server might send it: a byte-order mark and a blank line before the first "<".
const QByteArray kNewerBody = "\xEF\xBB\xBF\r\n<LANGUAGE_GROUP><LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>"
                              "<TRANSLATION_ITEMS>\n</TRANSLATION_ITEMS></LANGUAGE_GROUP>";

class LanguageWindowTest : public test::MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(served.isValid());
        ASSERT_TRUE(test::writeFile(served.filePath("Localization.xml"), kNewerBody));
        ASSERT_TRUE(test::writeFile(served.filePath("page.xml"), "<html><body>no items</body></html>"));
        ASSERT_TRUE(server.start("http_peer.py", {"--root", served.path()})) << server.error().toStdString();
        ASSERT_TRUE(test::writeFile(programFile("Localization.xml"), kTwoGroups));
    }
    void TearDown() override
    {
        localisation::setLanguageDownloadUrl(QUrl());
        MainWindowTest::TearDown();
    }

    QUrl address(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server.port()).arg(path));
    }

    // Presses the download button and waits for the end; the reason, empty when the file was replaced.
    static QString download(frmLanguage* window)
    {
        QSignalSpy ended(window, &frmLanguage::downloadEnded);
        window->Command1->click();
        EXPECT_FALSE(window->Command1->isEnabled());
        // Every download ends by its own time-out at the latest.
        EXPECT_TRUE(
            platform::waitWhile([&] { return ended.isEmpty(); }, 2 * localisation::LanguageDownload::DefaultTimeoutMs));
        EXPECT_TRUE(window->Command1->isEnabled());
        return ended.isEmpty() ? QString("<no end>") : ended.at(0).at(0).toString();
    }

    static QStringList items(QComboBox* box)
    {
        QStringList names;
        for (int i = 0; i < box->count(); ++i)
            names << box->itemText(i);
        return names;
    }

    QTemporaryDir served;
    test::PeerProcess server;
};
} // namespace

TEST_F(LanguageWindowTest, ListsEveryGroupAndChoosingTranslatesAndStores)
{
    core::SaveUserPreference("Language", "Français");
    main_window::frmMain* main = loadMain();
    core::SaveUserPreference("Language", "English");
    frmLanguage* window = Form<frmLanguage>::load();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(items(window->Combo1), QStringList({"English", "Français"}));
    EXPECT_EQ(window->Combo1->currentText(), "English");
    EXPECT_EQ(core::GetUserPreference("Language", "<missing>"), "English") << "filling stores nothing";
    window->show();
    EXPECT_FALSE(test::saveScreenshot(window, QStringLiteral("frmLanguage")).isEmpty());

    window->Combo1->setCurrentIndex(1);
    EXPECT_EQ(core::GetUserPreference("Language", "<missing>"), "English") << "only a user's choice applies";
    emit window->Combo1->activated(1);
    EXPECT_EQ(core::GetUserPreference("Language", "<missing>"), "Français");
    EXPECT_EQ(localisation::CurrentLanguage(), "Français");
    EXPECT_EQ(window->Command2->text(), "D'accord");
    EXPECT_EQ(main->findChild<QPushButton*>("cmdBackup")->text(), "Sauvegarder");
}

TEST_F(LanguageWindowTest, WithoutAFileTheListIsEmptyAndTranslateOpensNothing)
{
    QFile::remove(programFile("Localization.xml"));
    frmLanguage* window = Form<frmLanguage>::load();
    EXPECT_EQ(window->Combo1->count(), 0);
    emit window->Combo1->activated(-1);
    EXPECT_EQ(core::GetUserPreference("Language", "<missing>"), "English");
    window->Command3->click();
    EXPECT_TRUE(shell.opened.isEmpty());

    ASSERT_TRUE(test::writeFile(programFile("Localization.xml"), kTwoGroups));
    window->Command3->click();
    EXPECT_EQ(shell.opened, QStringList({programFile("Localization.xml")}));
}

TEST_F(LanguageWindowTest, ADownloadReplacesTheFileFromItsFirstTagAndRefillsTheList)
{
    localisation::setLanguageDownloadUrl(address("/Localization.xml"));
    frmLanguage* window = Form<frmLanguage>::load();
    EXPECT_EQ(download(window), "");
    EXPECT_EQ(test::readFile(programFile("Localization.xml")), kNewerBody.mid(kNewerBody.indexOf('<')) + "\r\n");
    EXPECT_EQ(items(window->Combo1), QStringList({"Deutsch"}));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown.at(0).text, localisation::message("MSG_DOWNLOADED"));
}

TEST_F(LanguageWindowTest, AFailedDownloadLeavesTheOldFileWhole)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 closed = probe.serverPort();
    probe.close();
    const struct
    {
        QUrl url;
        const char* reason;
        // Only the stalled download runs out of time; the others keep the usual time-out, so that a
        // slow, busy machine still sees their own reason.
        int timeoutMs = localisation::LanguageDownload::DefaultTimeoutMs;
    } cases[] = {
        {address("/missing"), "404"},
        {address("/page.xml"), "no language file"},
        {address("/stall"), "did not answer in time", 500},
        {address("/big"), "larger than 1 MiB"},
        {QUrl(QStringLiteral("http://127.0.0.1:%1/Localization.xml").arg(closed)), "refused"},
    };
    frmLanguage* window = Form<frmLanguage>::load();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url.toString().toStdString());
        window->download().setLimits(c.timeoutMs, 1024 * 1024);
        localisation::setLanguageDownloadUrl(c.url);
        EXPECT_TRUE(download(window).contains(c.reason, Qt::CaseInsensitive));
        EXPECT_EQ(test::readFile(programFile("Localization.xml")), kTwoGroups);
        EXPECT_EQ(window->Combo1->count(), 2);
    }
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(QDir(programFile("")).entryList({"Localization*"}, QDir::Files), QStringList({"Localization.xml"}));
}

TEST_F(LanguageWindowTest, ClosingTheWindowCancelsTheTransfer)
{
    localisation::setLanguageDownloadUrl(address("/stall"));
    frmLanguage* window = Form<frmLanguage>::load();
    window->Command1->click();
    ASSERT_TRUE(window->download().busy());
    window->Command2->click();
    EXPECT_FALSE(window->download().busy());
    EXPECT_EQ(test::readFile(programFile("Localization.xml")), kTwoGroups);
}
