#include <cerrno>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/ScramblePassword.h"
#include "core/SetDocument.h"
#include "core/SetDocumentParser.h"
#include "core/SetText.h"
#include "crypto/BackupFileCipher.h"
#include "main_window/BackupSetList.h"
#include "platform/DateText.h"
#include "support/SmallDisk.h"
#include "support/ZipFixtures.h"

using platform::Form;

namespace
{
const QString Waiting = "Please wait while processing the backup set...";
const QString Failed = "The backup could not be completed successfully.";
const QString CancelBanner = "=======BACKUP CANCEL/STOP BUTTON PRESSED=========";
const QString CancelledBanner = "=============BACKUP WAS CANCELLED (By error or user)=============";

// The status box shows line breaks as they were written, whichever way.
QString lines(QString text)
{
    return text.replace("\r\n", "\n");
}

class BackupRunTest : public test::RunFixture
{
protected:
    QStringList tmpEntries() const
    {
        return QDir(programFile("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // The listed files' mirrored paths below a destination folder, with what packing adds.
    QStringList deliveredNames(const QString& stamp, const QString& ending) const
    {
        QStringList names;
        for (const QString& file : listed)
            names << (stamp.isEmpty() ? QString() : stamp + "/") + entryOf(file) + ending;
        names.sort();
        return names;
    }

    // Checks a single archive holds exactly the listed files, byte for byte.
    void expectArchiveOfListed(const QString& archive, const QStringList& files)
    {
        QString report;
        EXPECT_TRUE(test::unzipTestsOk(archive, &report)) << report.toStdString();
        QStringList names = test::unzipNames(archive);
        names.sort();
        QStringList expected;
        for (const QString& file : files)
            expected << entryOf(file);
        expected.sort();
        EXPECT_EQ(names, expected);
        for (const QString& file : files)
            EXPECT_EQ(test::unzipEntry(archive, entryOf(file)), contents.value(file)) << file.toStdString();
    }

    qint64 bytesBelow(const QString& root) const
    {
        qint64 total = 0;
        for (const QString& file : test::filesBelow(root))
            total += QFileInfo(root + "/" + file).size();
        return total;
    }
};

TEST_F(BackupRunTest, EveryPackingAndProtectionDeliversTheFilesAndRecordsTheRun)
{
    const double sourceDate = platform::localDateValue(QDateTime::fromSecsSinceEpoch(1796000000, Qt::UTC));
    qint64 docsSize = test::readFile(excluded).size();
    for (const QString& file : listed)
        if (file.startsWith(source + "/Docs/"))
            docsSize += contents.value(file).size();
    const QStringList statistics = {
        core::fileLine(source + "/Docs", sourceDate, double(docsSize)),
        core::fileLine(source + "/single.log", sourceDate, double(contents.value(source + "/single.log").size())),
    };

    for (const int compression : {0, 1, 2}) {
        for (const bool protect : {false, true}) {
            for (const bool timestamps : {false, true}) {
                SCOPED_TRACE(QStringLiteral("compression %1, protected %2, time stamps %3")
                                 .arg(compression)
                                 .arg(protect)
                                 .arg(timestamps)
                                 .toStdString());
                QDir(backup(1)).removeRecursively();
                QFile::remove(core::RunLogPath());
                makeSet({.compression = compression, .protect = protect, .timestamps = timestamps});
                const auto sourceBefore = test::snapshot(source);

                runAndClose();

                // What arrived, byte for byte.
                const QString stamp = timestamps ? Stamp : QString();
                const QString root = timestamps ? backup(1) + "/" + Stamp : backup(1);
                const QString ending = protect ? ".bf" : "";
                QStringList targets;
                if (compression == 1) {
                    const QString archive = root + "/Docs_Backup.zip" + ending;
                    targets << archive;
                    EXPECT_EQ(test::filesBelow(backup(1)),
                              QStringList({(stamp.isEmpty() ? QString() : stamp + "/") + "Docs_Backup.zip" + ending}));
                    expectArchiveOfListed(plainFile(archive, protect), listed);
                } else {
                    const QString packed = compression == 2 ? ".zip" : "";
                    EXPECT_EQ(test::filesBelow(backup(1)), deliveredNames(stamp, packed + ending));
                    for (const QString& file : listed) {
                        const QString target = mirrored(root, file) + packed + ending;
                        targets << target;
                        const QString plain = plainFile(target, protect);
                        if (compression == 0) {
                            EXPECT_EQ(test::readFile(plain), contents.value(file)) << file.toStdString();
                        } else {
                            EXPECT_TRUE(test::unzipTestsOk(plain)) << file.toStdString();
                            EXPECT_EQ(test::unzipNames(plain), QStringList({entryOf(file)}));
                            EXPECT_EQ(test::unzipEntry(plain, entryOf(file)), contents.value(file));
                        }
                    }
                }
                EXPECT_FALSE(QFileInfo::exists(backup(2)));

                // Nothing changed at the sources and no work file is left anywhere.
                EXPECT_EQ(test::snapshot(source), sourceBefore);
                EXPECT_EQ(tmpEntries(), QStringList());

                // The set file list, the document and its backup copy.
                EXPECT_EQ(test::readFile(core::setFileListPath("Docs")), (listed.join("\r\n") + "\r\n").toUtf8());
                EXPECT_EQ(saved("Status"), "Success");
                EXPECT_EQ(saved("Ran"), "-1");
                EXPECT_EQ(saved("LastRunTime"), Now);
                EXPECT_EQ(saved("Duration"), "0:00:00");
                EXPECT_EQ(saved("CurrentDestination"), "2");
                EXPECT_EQ(saved("LastFolder"), stamp);
                EXPECT_EQ(savedSection("FILES"), statistics);
                const QString lanFolder = timestamps ? backup(1) + "/" + Stamp : backup(1) + "/";
                const QString archiveField = (timestamps ? lanFolder + "/" : lanFolder) + "Docs Backup.zip" + ending;
                const QString size = core::generalNumberText(double(bytesBelow(backup(1))) / 1024.0);
                EXPECT_EQ(savedSection("VERSIONS"),
                          QStringList({QStringLiteral("LAN|%1|%2|%3|%4|%5|%6|%7")
                                           .arg(lanFolder, archiveField, Now, size)
                                           .arg(compression)
                                           .arg(protect ? 1 : 0)
                                           .arg(Password)}));
                EXPECT_EQ(QString::fromUtf8(test::readFile(core::setDocumentPath("Docs") + ".bak")), originalDocument);

                // The main window has loaded the set again, as the run left it.
                EXPECT_EQ(core::state().strSetText, document());
                EXPECT_EQ(core::state().CurrentSet.CurrentDestination, 2);

                // The window and the main window's row.
                EXPECT_EQ(headline, Waiting);
                EXPECT_EQ(lines(finalStatus), "Backup Successful\n");
                EXPECT_EQ(setRowCell(5), "Success");

                // The log, from the banner to the window's closing.
                QStringList expected = {"======================Running Backup======================",
                                        "Name: Docs",
                                        "Type: 0",
                                        QStringLiteral("Compression: %1").arg(compression),
                                        QStringLiteral("Encryption: %1").arg(protect ? 1 : 0),
                                        "Destinations: 2",
                                        "Getting Files",
                                        "Applying Exclude Filter"};
                if (compression == 1)
                    expected << "Compressing Single Zip";
                if (compression == 1 && protect)
                    expected << "Encrypting Single Zip";
                if (timestamps)
                    expected << "Getting Timestamp Information";
                expected << "---------Destination: 1"
                         << "---------Type: 1"
                         << "Performing Local/LAN Backup";
                if (timestamps)
                    expected << "Making Timestamp Folder";
                if (compression == 1) {
                    expected << "Backing Up: * > " + backup(1) + " / " + stamp + " / Docs_Backup.zip" + ending;
                } else {
                    for (qsizetype i = 0; i < listed.size(); ++i) {
                        if (compression == 2)
                            expected << "Zipping " + listed.at(i);
                        if (protect)
                            expected << "Encryting *";
                        const QString sent = compression == 0 && !protect ? listed.at(i) : "*";
                        expected << "Backing Up: " + sent + " > " + targets.at(i);
                    }
                }
                expected << "Finished - No Rotation"
                         << "Backup Complete: Success!"
                         << "Overall Status: Success" << CancelBanner;
                QString missing;
                EXPECT_TRUE(logHasInOrder(expected, &missing)) << missing.toStdString();
            }
        }
    }
}

TEST_F(BackupRunTest, ARotatingSetAlternatesBetweenItsFolders)
{
    makeSet({});
    for (const int expected : {1, 2, 1}) {
        SCOPED_TRACE(expected);
        QDir(backup(1)).removeRecursively();
        QDir(backup(2)).removeRecursively();
        loadSet();

        runAndClose();

        EXPECT_EQ(QFileInfo::exists(mirrored(backup(1), listed.at(1))), expected == 1);
        EXPECT_EQ(QFileInfo::exists(mirrored(backup(2), listed.at(1))), expected == 2);
        EXPECT_EQ(saved("CurrentDestination"), expected == 1 ? "2" : "1");
    }
    const QStringList versions = savedSection("VERSIONS");
    ASSERT_EQ(versions.size(), 2);
    EXPECT_TRUE(versions.at(0).startsWith("LAN|" + backup(1) + "/|")) << versions.at(0).toStdString();
    EXPECT_TRUE(versions.at(1).startsWith("LAN|" + backup(2) + "/|")) << versions.at(1).toStdString();
}

TEST_F(BackupRunTest, EveryDestinationIsTriedAndEachFailureIsItsOwn)
{
    const QString blocker = programFile("blocker");
    ASSERT_TRUE(test::writeFile(blocker, "a regular file, so nothing can be made below it"));
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    struct Case
    {
        std::vector<int> types;
        QStringList outcomes;
        int versions;
        // What the set records and its row shows at the end: a failure, whatever came last.
        QString status;
    };
    const Case cases[] = {
        {{1, 1, 1},
         {"Backup Complete: Success!",
          "Backup Complete: FAILURE (Destination1 LAN = Success) Could not create folder: " + blocker + "/backup",
          "Backup Complete: Success!"},
         2,
         "FAILURE (Destination1 LAN = Success) (Destination2 LAN = FAILURE) (Destination3 LAN = Success)"},
        // A server that is not there, and no mail settings: both fail, and never pass for delivered.
        {{1, 2, 3},
         {"Backup Complete: Success!",
          "Backup Complete: FAILURE (Destination1 LAN = Success) Could not connect to 127.0.0.1: *",
          "Backup Complete: FAILURE (Destination1 LAN = Success) (Destination2 FTP = FAILURE) The mail settings "
          "are not complete"},
         1,
         "FAILURE (Destination1 LAN = Success) (Destination2 FTP = FAILURE) The mail settings are not complete"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcomes.at(1).toStdString());
        for (int n = 1; n <= 3; ++n)
            QDir(backup(n)).removeRecursively();
        QFile::remove(core::RunLogPath());
        SetOptions options;
        options.destinations = 3;
        options.rotation = 2;
        options.types = c.types;
        options.adjust = [&](core::BackupSetInfo& set) {
            set.Dest[2].LocalFolder = blocker + "/backup";
            set.Dest[2].FTPPort = QString::number(closedPort);
        };
        makeSet(options);

        runAndClose();

        QString missing;
        EXPECT_TRUE(
            logHasInOrder({"---------Destination: 1", c.outcomes.at(0), "---------Destination: 2", c.outcomes.at(1),
                           "---------Destination: 3", c.outcomes.at(2), "Overall Status: FAILURE"},
                          &missing))
            << missing.toStdString();
        EXPECT_EQ(test::readFile(mirrored(backup(1), listed.at(1))), "alpha\n");
        EXPECT_EQ(QFileInfo::exists(mirrored(backup(3), listed.at(1))), c.types.at(2) == 1);
        EXPECT_EQ(savedSection("VERSIONS").size(), c.versions);
        EXPECT_EQ(saved("CurrentDestination"), "1");
        EXPECT_EQ(saved("Status"), c.status);
        EXPECT_EQ(setRowCell(main_window::StatusColumn), c.status);
        const QTreeWidgetItem* row = main->setRow("Docs");
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->foreground(0).color(), QColor(Qt::red));
        EXPECT_EQ(row->foreground(main_window::StatusColumn).color(), QColor(Qt::red));
        EXPECT_EQ(headline, Failed);
        EXPECT_TRUE(
            lines(finalStatus)
                .contains(c.outcomes.at(1).mid(QString("Backup Complete: FAILURE ").size()).section('*', 0, 0)));
        EXPECT_EQ(tmpEntries(), QStringList());
    }
}

TEST_F(BackupRunTest, ASetThatCannotBeDeliveredFailsWithItsReasonAndWritesNothing)
{
    struct Case
    {
        SetOptions options;
        QString reason;
    };
    SetOptions none;
    none.destinations = 0;
    SetOptions unknownRotation;
    unknownRotation.rotation = 3;
    const auto archiveNamed = [](const QString& name) {
        SetOptions options;
        options.compression = 1;
        options.zipName = name;
        return options;
    };
    SetOptions protectedWithoutPassword;
    protectedWithoutPassword.protect = true;
    protectedWithoutPassword.adjust = [](core::BackupSetInfo& set) { set.BFPassword.clear(); };
    const Case cases[] = {
        {none, "The set has no destination."},
        {unknownRotation, "The set's rotation 3 is neither 1 (one destination a run) nor 2 (every destination)."},
        {archiveNamed("../Docs.zip"),
         "The archive name \"../Docs.zip\" is not a plain file name: it must not hold "
         "\"/\" or \"\\\" or be \".\" or \"..\"."},
        {archiveNamed(".."),
         "The archive name \"..\" is not a plain file name: it must not hold \"/\" or \"\\\" or "
         "be \".\" or \"..\"."},
        {archiveNamed(""), "The set names no file for its archive."},
        {protectedWithoutPassword,
         "The set is to be protected, but it has no password. Enter one in the set's properties."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        QDir(backup(1)).removeRecursively();
        makeSet(c.options);

        runAndClose();

        EXPECT_EQ(saved("Status"), "FAILURE " + c.reason);
        EXPECT_EQ(saved("CurrentDestination"), "1");
        EXPECT_EQ(savedSection("VERSIONS"), QStringList());
        EXPECT_EQ(headline, Failed);
        EXPECT_EQ(lines(finalStatus), c.reason);
        EXPECT_FALSE(QFileInfo::exists(backup(1)));
        EXPECT_EQ(tmpEntries(), QStringList());
    }
}

TEST_F(BackupRunTest, ADocumentInTheOriginalsCodePageRunsWithItsPasswordsWhole)
{
    const QString password = QString::fromUtf8("pässwort");
    makeSet({.compression = 1, .protect = true, .types = {1, 2}, .adjust = [&](core::BackupSetInfo& set) {
                 set.BFPassword = password;
                 set.Dest[2].FTPUser = "anna";
                 set.Dest[2].FTPPass = QString::fromUtf8("kennwört");
             }});
    // The same document as the original wrote it, one byte a character.
    const QByteArray latin1 = document().toLatin1();
    ASSERT_TRUE(test::writeFile(core::setDocumentPath("Docs"), latin1));
    loadSet();

    runAndClose();

    EXPECT_EQ(saved("Status"), "Success");
    const QString text = document();
    EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(core::ExtractItem(text, "BFPassword"), password);
    EXPECT_EQ(core::ScramblePassword(core::ExtractItem(core::sectionText(text, "DEST2"), "FTPPass")),
              QString::fromUtf8("kennwört"));
    EXPECT_EQ(savedSection("VERSIONS").value(0).section('|', -1), password);
    EXPECT_EQ(test::readFile(core::setDocumentPath("Docs") + ".bak"), latin1);
    // The archive is keyed by the password as typed.
    const QString plain = scratch.filePath("plain");
    // The closed run window leaves its stop request set; the reader heeds it like any run.
    core::state().bStopBackup = false;
    const crypto::CipherResult opened = crypto::DecryptBackupFile(backup(1) + "/Docs_Backup.zip.bf", plain, password);
    EXPECT_TRUE(opened.succeeded()) << opened.reason().toStdString();
    expectArchiveOfListed(plain, listed);
}

TEST_F(BackupRunTest, AFileGoneSinceTheCollectionIsNamedWhileTheRestArrives)
{
    const QString gone = listed.at(1);
    struct Case
    {
        int compression;
        // The status at which the file goes: after the collection, before it is packed or sent.
        QString goesAt;
    };
    const Case cases[] = {
        {0, "[Moving files to the backup location]"},
        {1, "[Compressing data... please wait...]"},
        {2, "[Moving files to the backup location]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.compression);
        QDir(backup(1)).removeRecursively();
        ASSERT_TRUE(test::writeFile(gone, contents.value(gone)));
        makeSet({.compression = c.compression});

        QPointer<engine::frmProcessing> window = run([&](engine::frmProcessing*, const QString& status) {
            if (status == c.goesAt)
                QFile::remove(gone);
        });
        ASSERT_FALSE(window.isNull());
        EXPECT_TRUE(closeByCountdown(window));

        EXPECT_TRUE(test::readFile(core::setFileListPath("Docs")).contains(gone.toUtf8()));
        EXPECT_EQ(lines(finalStatus), "Backup Successful\nError 53 File not found\nFile: " + gone + "\n\n");
        // The version lacks the file: the set and its row say so, and what arrived is on record.
        EXPECT_EQ(saved("Status"), "Success (incomplete: 1 file missing)");
        EXPECT_EQ(setRowCell(main_window::StatusColumn), "Success (incomplete: 1 file missing)");
        EXPECT_TRUE(logLines().contains("The version is incomplete: 1 file missing"));
        EXPECT_EQ(savedSection("VERSIONS").size(), 1);
        QStringList arrived = listed;
        arrived.removeOne(gone);
        if (c.compression == 1) {
            expectArchiveOfListed(backup(1) + "/Docs_Backup.zip", arrived);
        } else {
            const QString packed = c.compression == 2 ? ".zip" : "";
            QStringList names = test::filesBelow(backup(1));
            QStringList expected;
            for (const QString& file : arrived)
                expected << entryOf(file) + packed;
            expected.sort();
            EXPECT_EQ(names, expected);
        }
        EXPECT_EQ(tmpEntries(), QStringList());
    }
}

TEST_F(BackupRunTest, ADocumentWhoseVersionsAreNotClosedRecordsAFailure)
{
    makeSet({.destinations = 1});
    // Cut short by an editor: the version list has lost its closing line.
    QString text = document();
    ASSERT_TRUE(text.contains("</VERSIONS>\r\n"));
    ASSERT_TRUE(test::writeFile(core::setDocumentPath("Docs"), text.remove("</VERSIONS>\r\n").toUtf8()));
    loadSet();

    runAndClose();

    // The files arrived, but no version can be found to restore them: the set says what the log says.
    expectListedFilesBelow(backup(1));
    const QString reason = "(Destination1) The outcome could not be recorded in full: The version line could not be "
                           "added: the set document has no whole VERSIONS section.";
    EXPECT_EQ(saved("Status"), "FAILURE " + reason);
    EXPECT_FALSE(document().contains("LAN|"));
    EXPECT_EQ(headline, Failed);
    EXPECT_EQ(lines(finalStatus), reason);
    QString missing;
    EXPECT_TRUE(logHasInOrder({"Backup Complete: FAILURE " + reason, "Overall Status: FAILURE"}, &missing))
        << missing.toStdString();
    EXPECT_FALSE(logLines().contains("Backup Complete: Success!"));
    // The main window shows the failure, in red.
    EXPECT_EQ(setRowCell(main_window::StatusColumn), "FAILURE " + reason);
    QTreeWidgetItem* row = main->setRow("Docs");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->foreground(main_window::StatusColumn).color(), QColor(Qt::red));
}

TEST_F(BackupRunTest, ADestinationThatFillsUpFailsAndRecordsNoVersion)
{
    // Room for the small files in front of the big one, not for the big one.
    test::SmallDisk disk(backup(1), "256k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (" << disk.error().toStdString()
                     << "); FolderDeliveryTest injects the write failure instead";
    for (const int compression : {0, 2}) {
        SCOPED_TRACE(compression);
        for (const QString& entry : QDir(backup(1)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            QDir(backup(1) + "/" + entry).removeRecursively();
        makeSet({.compression = compression, .destinations = 1});

        runAndClose();

        EXPECT_EQ(headline, Failed);
        const QString status = saved("Status");
        EXPECT_TRUE(status.startsWith("FAILURE The destination " + backup(1) + " takes no more files: cannot write "
                                      + backup(1) + source + "/Docs/big.bin"))
            << status.toStdString();
        EXPECT_TRUE(status.endsWith(qt_error_string(ENOSPC))) << status.toStdString();
        EXPECT_TRUE(lines(finalStatus).startsWith(status.mid(8))) << finalStatus.toStdString();
        EXPECT_EQ(savedSection("VERSIONS"), QStringList());
        EXPECT_FALSE(document().contains("LAN|"));
        // Nothing after the full disk was tried.
        EXPECT_FALSE(QFileInfo::exists(backup(1) + source + "/single.log"));
        EXPECT_EQ(tmpEntries(), QStringList());
    }
}

TEST_F(BackupRunTest, AFullWorkFolderFailsTheRunAtOnceWithTheReason)
{
    // Room for the small files' work copies, not for the big one's.
    test::SmallDisk disk(programFile("tmp"), "512k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error().toStdString();
    const QString big = source + "/Docs/big.bin";
    struct Case
    {
        int compression;
        bool protect;
        // The work copy that does not fit, below the run's work folder.
        QString workCopy;
    };
    const Case cases[] = {
        {0, true, "files/big.bin.bf"}, {2, false, "files/big.bin.zip"}, {2, true, "files/big.bin.zip"},
        {1, false, "Docs_Backup.zip"}, {1, true, "Docs_Backup.zip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.compression << (c.protect ? " protected" : ""));
        QDir(backup(1)).removeRecursively();
        makeSet({.compression = c.compression, .protect = c.protect, .destinations = 1});

        runAndClose();

        EXPECT_EQ(headline, Failed);
        const QString status = saved("Status");
        // The work folder's own name ends in a random part.
        EXPECT_TRUE(status.startsWith("FAILURE The work folder " + programFile("tmp")
                                      + " takes no more files: cannot write " + programFile("tmp/work-")))
            << status.toStdString();
        EXPECT_TRUE(status.endsWith("/" + c.workCopy + ": " + qt_error_string(ENOSPC))) << status.toStdString();
        EXPECT_TRUE(lines(finalStatus).startsWith(status.mid(8))) << finalStatus.toStdString();
        EXPECT_EQ(savedSection("VERSIONS"), QStringList());
        // Nothing after the full work folder was tried.
        EXPECT_FALSE(QFileInfo::exists(mirrored(backup(1), big)));
        EXPECT_FALSE(QFileInfo::exists(mirrored(backup(1), source + "/single.log")));
        EXPECT_EQ(tmpEntries(), QStringList());
    }
}

TEST_F(BackupRunTest, AFullProgramFolderKeepsTheDocumentAndItsBackupByteForByte)
{
    // The disk of the set store fills up while the set waits for its scheduled run.
    test::SmallDisk disk(programFile("data"), "256k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error().toStdString();
    makeSet({.destinations = 1});
    ASSERT_TRUE(core::SaveProject("Docs", originalDocument));
    const QByteArray stored = test::readFile(core::setDocumentPath("Docs"));
    const QByteArray backupCopy = test::readFile(core::setDocumentPath("Docs") + ".bak");
    ASSERT_FALSE(stored.isEmpty());
    const QStringList kept = QDir(programFile("data")).entryList(QDir::Files | QDir::Hidden);
    ASSERT_TRUE(disk.fill());

    runAndClose();

    EXPECT_EQ(headline, Failed);
    EXPECT_TRUE(test::holds(core::setDocumentPath("Docs"), stored));
    EXPECT_TRUE(test::holds(core::setDocumentPath("Docs") + ".bak", backupCopy));
    EXPECT_EQ(QDir(programFile("data")).entryList(QDir::Files | QDir::Hidden), QStringList(kept) << "filler");
    // Why, where the user looks: the run's status and the log.
    const QString noSpace = "Cannot write \"" + core::setFileListPath("Docs") + "\": " + qt_error_string(ENOSPC);
    EXPECT_TRUE(finalStatus.contains(noSpace)) << finalStatus.toStdString();
    EXPECT_TRUE(logLines().contains("The set could not be saved: Cannot write \"" + core::setDocumentPath("Docs")
                                    + ".bak\": " + qt_error_string(ENOSPC)))
        << log().toStdString();
}

TEST_F(BackupRunTest, ListedPathsThatAreGoneAreNamedAndARunOfNothingFails)
{
    const QString single = source + "/single.log";
    for (const int compression : {0, 1, 2}) {
        SCOPED_TRACE(compression);
        // One listed path gone: the rest is delivered and the status names it.
        QDir(backup(1)).removeRecursively();
        ASSERT_TRUE(test::writeFile(single, contents.value(single)));
        makeSet({.compression = compression});
        ASSERT_TRUE(QFile::remove(single));

        runAndClose();

        EXPECT_EQ(lines(finalStatus), "Backup Successful\nError 53 File not found\nFile: " + single + "\n\n");
        EXPECT_EQ(saved("Status"), "Success (incomplete: 1 file missing)");
        EXPECT_EQ(savedSection("VERSIONS").size(), 1);
        EXPECT_FALSE(test::filesBelow(backup(1)).isEmpty());
        EXPECT_TRUE(logLines().contains("Not found: " + single));

        // Every listed path gone, as when the drive holding them is not there: nothing is recorded as
        // a success, and the list of the run before stays.
        QDir(backup(1)).removeRecursively();
        const QByteArray previousList = test::readFile(core::setFileListPath("Docs"));
        const QString away = source + ".away";
        ASSERT_TRUE(QDir().rename(source, away));
        makeSet({.compression = compression});

        runAndClose();
        ASSERT_TRUE(QDir().rename(away, source));

        const QString reason = "None of the set's files was found; nothing was backed up.";
        EXPECT_EQ(lines(finalStatus), reason);
        EXPECT_EQ(headline, Failed);
        EXPECT_EQ(saved("Status"), "FAILURE " + reason);
        EXPECT_EQ(saved("CurrentDestination"), "1");
        EXPECT_EQ(savedSection("VERSIONS"), QStringList());
        EXPECT_FALSE(QFileInfo::exists(backup(1)));
        EXPECT_EQ(test::readFile(core::setFileListPath("Docs")), previousList);
        EXPECT_EQ(tmpEntries(), QStringList());
    }
}

TEST_F(BackupRunTest, AnEditMadeWhileTheSetRunsIsKept)
{
    makeSet({});
    const QString added = programFile("more/m.txt");
    ASSERT_TRUE(test::writeFile(added, "more"));

    runAndClose();
    const QStringList versionsBefore = savedSection("VERSIONS");
    ASSERT_EQ(versionsBefore.size(), 1);
    clock.advanceSeconds(3600);
    // By hand, while the files are on their way.
    QPointer<engine::frmProcessing> window = run([&](engine::frmProcessing*, const QString& status) {
        if (!status.startsWith("[Moving files to the backup location]") || saved("Exclude") == "*.log")
            return;
        QString edited = document();
        edited = core::ReplaceValue(edited, "Exclude", "*.log");
        edited.replace("<FILES>\r\n", "<FILES>\r\n" + added + "\r\n");
        ASSERT_TRUE(test::writeFile(core::setDocumentPath("Docs"), edited.toUtf8()));
    });
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(closeByCountdown(window));
    EXPECT_TRUE(lines(finalStatus).startsWith("Backup Successful")) << finalStatus.toStdString();

    EXPECT_EQ(saved("Exclude"), "*.log");
    EXPECT_TRUE(savedSection("FILES").first().startsWith(added + "\t")) << document().toStdString();
    EXPECT_EQ(saved("Status"), "Success");
    EXPECT_EQ(saved("CurrentDestination"), "1");
    const QStringList versions = savedSection("VERSIONS");
    ASSERT_EQ(versions.size(), 2);
    EXPECT_EQ(versions.at(1), versionsBefore.at(0));
    // The main window shows the document as saved.
    EXPECT_EQ(core::state().CurrentSet.Exclude, "*.log");
}

TEST_F(BackupRunTest, ASetLoadedDuringTheRunTakesNothingOfIt)
{
    core::BackupSetInfo& other = core::state().NewBackupSet;
    other = core::BackupSetInfo {};
    other.ItemName = "Other";
    other.DestCount = 1;
    other.RotationType = core::RotationMode::OneAtATime;
    other.Dest[1].Type = core::DestinationType::Folder;
    other.Dest[1].LocalFolder = programFile("other backup");
    const QString otherFile = programFile("other/o.txt");
    ASSERT_TRUE(test::writeFile(otherFile, "other"));
    ASSERT_TRUE(core::WriteProject({programFile("other")}));
    ASSERT_TRUE(test::writeFile(core::setFileListPath("Other"), (otherFile + "\r\n").toUtf8()));
    const QByteArray otherDocument = test::readFile(core::setDocumentPath("Other"));
    const core::BackupSetInfo otherRecord = other;
    makeSet({});

    // The main window refuses to load another set while a run is under way; the run does not rely
    // on it and keeps to its own copy whatever the loaded set becomes.
    bool loaded = false;
    QPointer<engine::frmProcessing> window = run([&](engine::frmProcessing*, const QString& status) {
        if (!loaded && status.startsWith("[Moving files to the backup location]")) {
            EXPECT_FALSE(main->LoadBackup(false, "Other"));
            core::state().CurrentSet = otherRecord;
            core::state().strSetText = QString::fromUtf8(otherDocument);
            loaded = true;
        }
    });
    ASSERT_TRUE(loaded);
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(closeByCountdown(window));

    // The run delivered and recorded the set it started with.
    EXPECT_EQ(test::filesBelow(backup(1)), deliveredNames(QString(), QString()));
    EXPECT_EQ(saved("Status"), "Success");
    EXPECT_EQ(saved("CurrentDestination"), "2");
    EXPECT_EQ(savedSection("VERSIONS").size(), 1);
    EXPECT_EQ(lines(finalStatus), "Backup Successful\n");
    // The set loaded meanwhile is as it was.
    EXPECT_EQ(test::readFile(core::setDocumentPath("Other")), otherDocument);
    EXPECT_FALSE(QFileInfo::exists(programFile("other backup")));
    EXPECT_EQ(core::state().CurrentSet.ItemName, "Other");
}

TEST_F(BackupRunTest, CancelDuringTheCollectionEndsTheRunAsCancelledAndKeepsThePreviousList)
{
    makeSet({});
    const QByteArray previous = "/earlier/run.txt\r\n";
    ASSERT_TRUE(test::writeFile(core::setFileListPath("Docs"), previous));
    QPointer<engine::frmProcessing> pressed;
    bool stayedWhileRunning = true;

    QPointer<engine::frmProcessing> window = run([&](engine::frmProcessing* running, const QString& status) {
        if (pressed) {
            // The window is hidden but stays until its run has ended.
            stayedWhileRunning
                = stayedWhileRunning && Form<engine::frmProcessing>::loaded() == running && running->isHidden();
        } else if (status == "[Creating Index File]") {
            pressed = running;
            running->cmdClose->click();
        }
    });

    ASSERT_FALSE(pressed.isNull());
    EXPECT_TRUE(stayedWhileRunning);
    EXPECT_EQ(Form<engine::frmProcessing>::loaded(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());

    QString missing;
    EXPECT_TRUE(
        logHasInOrder({"Getting Files", CancelBanner, CancelledBanner, "FAILURE REASON: (CANCELLED)"}, &missing))
        << missing.toStdString();
    EXPECT_FALSE(logLines().contains("Overall Status: Success"));
    EXPECT_EQ(saved("Status"), "FAILURE (CANCELLED)");
    EXPECT_EQ(saved("CurrentDestination"), "1");
    EXPECT_EQ(test::readFile(core::setFileListPath("Docs")), previous);
    EXPECT_EQ(setRowCell(5), "FAILURE (CANCELLED)");
    const QList<QTreeWidgetItem*> rows = main->lstBackupSet->findItems("Docs", Qt::MatchExactly);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first()->foreground(0).color(), QColor(255, 0, 0));
    EXPECT_FALSE(QFileInfo::exists(backup(1)));
    EXPECT_EQ(tmpEntries(), QStringList());
    EXPECT_TRUE(core::state().bStopBackup);
}

TEST_F(BackupRunTest, CancelDuringPackingLeavesNoArchiveAndNoWorkFile)
{
    struct Case
    {
        int compression;
        bool protect;
        QString pressAt;
        QString reason;
    };
    const Case cases[] = {
        {1, false, "[Compressing data... please wait...]", "(CANCELLED)"},
        {1, true, "[Encrypting data...]", "(CANCELLED)"},
        {2, true, "[Encrypting Files]", "(Destination1 LAN = CANCELLED)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pressAt.toStdString());
        QDir(backup(1)).removeRecursively();
        makeSet({.compression = c.compression, .protect = c.protect});
        const auto sourceBefore = test::snapshot(source);

        QPointer<engine::frmProcessing> window = run([&](engine::frmProcessing* running, const QString& status) {
            // The click arrives with the first pass of the event loop inside the packing.
            if (status.startsWith(c.pressAt))
                QTimer::singleShot(0, running->cmdClose, &QPushButton::click);
        });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());

        EXPECT_EQ(saved("Status"), "FAILURE " + c.reason);
        EXPECT_EQ(test::filesBelow(backup(1)), QStringList());
        EXPECT_EQ(tmpEntries(), QStringList());
        EXPECT_EQ(test::snapshot(source), sourceBefore);
    }
}

TEST_F(BackupRunTest, ASecondSingleArchiveRunHoldsOnlyTheFilesThereNow)
{
    makeSet({.compression = 1, .destinations = 1});
    runAndClose();
    expectArchiveOfListed(backup(1) + "/Docs_Backup.zip", listed);

    const QString gone = listed.takeAt(1);
    ASSERT_TRUE(QFile::remove(gone));
    loadSet();
    runAndClose();

    expectArchiveOfListed(backup(1) + "/Docs_Backup.zip", listed);
    EXPECT_EQ(savedSection("VERSIONS").size(), 1);
}

} // namespace
