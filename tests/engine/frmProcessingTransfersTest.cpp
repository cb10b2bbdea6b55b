#include <QPlainTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "engine/frmProcessing.h"
#include "platform/Prompt.h"
#include "support/ProgramFolderTest.h"

using engine::frmProcessing;

namespace
{
class RunWindowTransfersTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        core::state().AppTitle = "Quillback 1.0";
        window = std::make_unique<frmProcessing>();
        // No run: these procedures are called on their own.
        for (QTimer* timer : {window->Timer1, window->Timer3, window->tmrScheduler})
            timer->stop();
    }

    QString status() const { return window->lblStatus->toPlainText(); }

    std::unique_ptr<frmProcessing> window;
};

TEST_F(RunWindowTransfersTest, UploadProgressShowsKilobytesAndKeepsTheRate)
{
    const struct
    {
        const char* label;
        qint64 startedSecondsAgo; // -1: no upload start recorded
        qint64 sent;
        qint64 total;
        const char* status;
        const char* rate;
    } cases[] = {
        {"no time elapsed", 0, 4096, 8192, "Uploading file... (4Kb of 8Kb)", ".00"},
        {"no start recorded", -1, 1023, 1023, "Uploading file... (0Kb of 0Kb)", ".00"},
        {"whole bytes per second", 2, 1537, 10240, "Uploading file... (1Kb of 10Kb)", ".75"},
        // 5.9 bytes a second counts as 5, which rounds to no kilobytes.
        {"cut before dividing", 10, 59, 59, "Uploading file... (0Kb of 0Kb)", ".00"},
        {"past 32-bit sizes", 10, 3000000000LL, 5368709120LL, "Uploading file... (2929687Kb of 5242880Kb)",
         "292968.75"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        window->uploadStart = c.startedSecondsAgo < 0 ? QDateTime() : clock.now().addSecs(-c.startedSecondsAgo);
        window->ShowUploadProgress(c.sent, c.total);
        EXPECT_EQ(status(), QString(c.status));
        EXPECT_EQ(window->uploadRate, QString(c.rate));
    }
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(RunWindowTransfersTest, FailuresShowAnErrorBoxAndRecordTheReason)
{
    window->lblStatus->setPlainText("before");
    window->ShowFtpError(550, "Permission denied");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "FTP Error:-\r\nError Code 550\r\n Description Permission denied");
    EXPECT_EQ(prompt.shown[0].icon, platform::Icon::Critical);
    EXPECT_EQ(prompt.shown[0].title, "Quillback 1.0");
    EXPECT_EQ(core::state().strFailureReason, "FTP Error");
    EXPECT_EQ(status(), "before");

    window->poSendMail_SendFailed("535 Authentication failed");
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[1].text, "Mail Sending Failed:-\r\n535 Authentication failed");
    EXPECT_EQ(prompt.shown[1].icon, platform::Icon::Critical);
    EXPECT_EQ(core::state().strFailureReason, "Mail Sending Error");
    EXPECT_EQ(status(), "Mail sending operation failed 535 Authentication failed");
}

TEST_F(RunWindowTransfersTest, MailProgressAndSuccessShowInTheStatus)
{
    window->poSendMail_Progress(42);
    EXPECT_EQ(status(), "42% Uploaded.");
    EXPECT_FALSE(window->bDestinationOK);
    window->poSendMail_SendSuccesful();
    EXPECT_EQ(status(), "Done");
    EXPECT_TRUE(window->bDestinationOK);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(RunWindowTransfersTest, AnUnattendedRunLogsTheBoxesAndGoesOn)
{
    platform::setPrompt(nullptr);
    platform::setServiceUnattended(true);
    QStringList recorded;
    platform::setUnattendedSink([&recorded](const QString& line) { recorded << line; });
    window->ShowFtpError(421, "Service not available");
    window->poSendMail_SendFailed("no answer");
    EXPECT_EQ(recorded,
              (QStringList {"Quillback 1.0: FTP Error:- Error Code 421  Description Service not available",
                            "Quillback 1.0: Mail Sending Failed:- no answer"}));
    EXPECT_EQ(core::state().strFailureReason, "Mail Sending Error");
}

TEST_F(RunWindowTransfersTest, CancelCloseReleasesTheIndexTables)
{
    engine::IncrementalIndex* first = &window->incrementalIndex();
    first->localFileTable.additem("/a", 1, 0);
    EXPECT_EQ(&window->incrementalIndex(), first);
    window->cmdClose_Click();
    EXPECT_EQ(window->incrementalIndex().localFileTable.RowCount(), 0);
}

} // namespace
