#include "core/RunLog.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "support/ProgramFolderTest.h"

using core::LogEvent;

namespace
{
class RunLogTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        core::state().LoggingEnabled = true;
    }
    QByteArray log() const { return test::readFile(programFile("status.log")); }
};
} // namespace

TEST_F(RunLogTest, LinesCarryDateAndTimeAndEndWithCrLf)
{
    LogEvent("Backup started");
    LogEvent("second in the same second");
    clock.set(QDateTime(QDate(2027, 1, 2), QTime(7, 5, 9)));
    LogEvent("");
    clock.set(QDateTime(QDate(2027, 1, 2), QTime(23, 59, 59)));
    LogEvent("Data: 5 files");

    EXPECT_EQ(log(),
              QByteArray("10/12/2026 12:00:00 Backup started\r\n"
                         "10/12/2026 12:00:00 second in the same second\r\n"
                         "02/01/2027 07:05:09 \r\n"
                         "02/01/2027 23:59:59 Data: 5 files\r\n"));
}

TEST_F(RunLogTest, DateUsesTheSystemSeparator)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    LogEvent("x");
    EXPECT_EQ(log(), QByteArray("10.12.2026 12:00:00 x\r\n"));
}

TEST_F(RunLogTest, NothingIsWrittenWhileLoggingIsOff)
{
    core::state().LoggingEnabled = false;
    LogEvent("Backup started");
    EXPECT_FALSE(QFileInfo::exists(programFile("status.log")));
}

TEST_F(RunLogTest, EveryEventIsOneLine)
{
    const std::pair<QString, QString> cases[] = {
        {"a\r\nb", "a b"},      {"a\rb", "a b"},
        {"a\nb", "a b"},        {"a\n\rb", "a  b"},
        {"a\r\n\r\nb", "a  b"}, {QString::fromLatin1("a\0b\0", 4), "ab"},
        {"\r\n", " "},          {"", ""},
    };
    for (const auto& [text, flat] : cases)
        EXPECT_EQ(core::RemoveChars(text), flat) << text.toStdString();

    LogEvent("Server said:\r\n550 denied\nbye\r");
    EXPECT_EQ(log(), QByteArray("10/12/2026 12:00:00 Server said: 550 denied bye \r\n"));
}

TEST_F(RunLogTest, OnlyPathsOnTheFloppyDriveAreLeftOut)
{
    const std::pair<QString, bool> cases[] = {
        {"Copying A:\\report.doc", false}, {"a:/backup", false},   {"(A:\\)", false},
        {"Data: 5 files", true},           {"Area:12", true},      {"DATA:\\x", true},
        {"Copying C:\\Data\\a.txt", true}, {"Schema: a: b", true},
    };
    for (const auto& [text, logged] : cases) {
        QFile::remove(programFile("status.log"));
        LogEvent(text);
        EXPECT_EQ(log().contains(text.toUtf8()), logged) << text.toStdString();
    }
}

TEST_F(RunLogTest, LogIsOwnerOnly)
{
    LogEvent("Server: mail.example.org");
    const auto mask = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
        | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
        | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(programFile("status.log")) & mask, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(RunLogTest, UnwritableLogIsReportedAndTheCallerGoesOn)
{
    // A folder where the log belongs cannot be opened for appending.
    ASSERT_TRUE(QDir().mkpath(programFile("status.log")));
    LogEvent("Backup started");
    EXPECT_EQ(core::Err().Source, "HuntERR.ErrorIn");
    EXPECT_TRUE(core::Err().Description.contains("Call Stack: modGeneral.LogEvent(strData='Backup started')"))
        << core::Err().Description.toStdString();

    ASSERT_TRUE(QDir().rmdir(programFile("status.log")));
    LogEvent("Backup finished");
    EXPECT_EQ(log(), QByteArray("10/12/2026 12:00:00 Backup finished\r\n"));
}
