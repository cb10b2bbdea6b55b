#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "core/VersionLine.h"
#include "platform/EventLoop.h"
#include "platform/Form.h"
#include "restore/RestoreList.h"
#include "restore/frmRestoring.h"

using platform::Form;
using restore::frmRestoring;

namespace
{
// Long enough for any restore of these sets; the wait ends as soon as the restore does.
constexpr int RestoreLimitMs = 120000;

// Sets backed up by the real run and restored from their folder versions.
class RestoreRoundTripTest : public test::RunFixture
{
protected:
    // The program folder but what a restore may change: the log, and tmp/, which must end empty.
    QMap<QString, test::EntryState> programFolder() const
    {
        QMap<QString, test::EntryState> entries = test::snapshot(home.path());
        entries.remove("status.log");
        entries.remove("tmp");
        return entries;
    }

    // Restores the set's latest version with every file of its last run chosen, as the file
    // selection hands it to the restore window; gives the completion's status.
    QString restoreLatest(const QString& newFolder)
    {
        // As the Restore command does.
        core::state().bStopBackup = false;
        const std::optional<core::VersionLine> version = core::VersionLine::parse(savedSection("VERSIONS").value(0));
        EXPECT_TRUE(version.has_value());
        if (!version)
            return QString();
        QFile::remove(restore::restoreListPath("Docs"));
        EXPECT_TRUE(QFile::copy(core::setFileListPath("Docs"), restore::restoreListPath("Docs")));

        const QMap<QString, test::EntryState> before = programFolder();
        QPointer<frmRestoring> window = Form<frmRestoring>::load();
        EXPECT_FALSE(window.isNull());
        if (!window)
            return QString();
        window->startRestore({*version, newFolder.isEmpty(), newFolder, "Docs"});
        EXPECT_TRUE(platform::waitWhile([&] { return window && !window->tmrClose->isActive(); }, RestoreLimitMs));
        if (!window)
            return QString();
        window->tmrClose->stop();
        const QString status = window->lblStatus->toPlainText();

        // Nothing was written but the targets, and the work folder is gone.
        const QString targets
            = newFolder.isEmpty() ? QStringLiteral("source") : QDir(home.path()).relativeFilePath(newFolder);
        EXPECT_EQ(test::outside(programFolder(), targets), test::outside(before, targets));
        EXPECT_EQ(QDir(programFile("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList());
        EXPECT_TRUE(logLines().contains("================Restore Complete=============="));

        // The countdown closes the window.
        for (int tick = 0; tick < 14 && window; ++tick)
            window->tmrClose_Timer();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
        return status;
    }
};
} // namespace

TEST_F(RestoreRoundTripTest, EveryPackingAndProtectionRestoresByteForByte)
{
    for (const int compression : {0, 1, 2}) {
        for (const bool protect : {false, true}) {
            for (const bool newFolder : {false, true}) {
                SCOPED_TRACE(QStringLiteral("compression %1, protected %2, %3")
                                 .arg(compression)
                                 .arg(protect)
                                 .arg(newFolder ? "new folder" : "previous location")
                                 .toStdString());
                QDir(backup(1)).removeRecursively();
                // Time-stamp folders give the version a folder of its own.
                makeSet({.compression = compression, .protect = protect, .timestamps = compression != 0});
                runAndClose();
                ASSERT_EQ(saved("Status"), "Success");

                const QString target = newFolder ? programFile("restored here") : QString();
                if (!newFolder) {
                    for (const QString& file : std::as_const(listed))
                        ASSERT_TRUE(QFile::remove(file));
                    ASSERT_TRUE(QDir(source + "/Docs").removeRecursively());
                }
                const QString status = restoreLatest(target);
                EXPECT_TRUE(status.startsWith("Done!\nFiles restored: 7, skipped: 0, missing: 0, failed: 0."))
                    << status.toStdString();

                if (newFolder) {
                    expectListedFilesBelow(target);
                    ASSERT_TRUE(QDir(target).removeRecursively());
                } else {
                    expectListedFilesBelow(QString());
                    ASSERT_TRUE(test::writeFile(excluded, "left out by the exclude mask"));
                }
            }
        }
    }
}

TEST_F(RestoreRoundTripTest, APasswordHoldingTheSeparatorRoundTripsAndStaysOutOfTheLog)
{
    // Documents of older versions, or edited by hand, may hold such a password.
    const QString password = "pa|ss w|rd";
    for (const int compression : {1, 2}) {
        SCOPED_TRACE(compression);
        QDir(backup(1)).removeRecursively();
        QFile::remove(core::RunLogPath());
        makeSet(
            {.compression = compression, .protect = true, .timestamps = true, .adjust = [&](core::BackupSetInfo& set) {
                 set.BFPassword = password;
             }});
        runAndClose();
        ASSERT_EQ(saved("Status"), "Success") << finalStatus.toStdString();
        const std::optional<core::VersionLine> version = core::VersionLine::parse(savedSection("VERSIONS").value(0));
        ASSERT_TRUE(version);
        EXPECT_EQ(version->password(), password);

        const QString target = programFile("restored here");
        const QString status = restoreLatest(target);
        EXPECT_TRUE(status.startsWith("Done!\nFiles restored: 7, skipped: 0, missing: 0, failed: 0."))
            << status.toStdString();
        expectListedFilesBelow(target);
        ASSERT_TRUE(QDir(target).removeRecursively());

        const QString log = QString::fromUtf8(test::readFile(core::RunLogPath()));
        EXPECT_TRUE(log.contains("Backup Complete: Success!"));
        for (const QString& shown : {log, finalStatus, status}) {
            EXPECT_FALSE(shown.contains("pa|ss")) << shown.toStdString();
            EXPECT_FALSE(shown.contains("w|rd")) << shown.toStdString();
        }
    }
}
