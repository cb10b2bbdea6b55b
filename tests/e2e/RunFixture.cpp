#include "RunFixture.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <optional>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "core/ProgramState.h"
#include "core/SetDocument.h"
#include "core/SetText.h"
#include "crypto/BackupFileCipher.h"
#include "support/EveryPass.h"
#include "support/FileTimes.h"
#include "support/ZipFixtures.h"

namespace test
{

QMap<QString, EntryState> outside(const QMap<QString, EntryState>& entries, const QString& folder)
{
    QMap<QString, EntryState> kept;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        if (it.key() != folder && !it.key().startsWith(folder + "/"))
            kept.insert(it.key(), it.value());
    }
    return kept;
}

QMap<QString, EntryState> snapshot(const QString& root)
{
    QMap<QString, EntryState> entries;
    QDirIterator walk(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    const QDir top(root);
    while (walk.hasNext()) {
        const QString path = walk.next();
        const QFileInfo info(path);
        EntryState state;
        state.folder = info.isDir();
        state.modified = info.lastModified().toMSecsSinceEpoch();
        if (!state.folder)
            state.bytes = readFile(path);
        entries.insert(top.relativeFilePath(path), state);
    }
    return entries;
}

testing::AssertionResult holds(const QString& path, const QByteArray& expected)
{
    const QByteArray actual = readFile(path);
    if (actual == expected)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << path.toStdString() << " holds " << actual.size() << " bytes \""
                                       << actual.left(16).toStdString() << "\", not the " << expected.size()
                                       << " bytes \"" << expected.left(16).toStdString() << "\" expected";
}

QStringList filesBelow(const QString& root)
{
    QStringList files;
    QDirIterator walk(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    const QDir top(root);
    while (walk.hasNext())
        files << top.relativeFilePath(walk.next());
    files.sort();
    return files;
}

void RunFixture::SetUp()
{
    MainWindowTest::SetUp();
    ASSERT_TRUE(scratch.isValid());
    source = programFile("source");
    // Listed in the order the collection gives: each folder's files by name, then its sub-folders.
    const QList<QPair<QString, QByteArray>> files = {
        {"Docs/.hidden", "hidden"},
        {"Docs/a.txt", "alpha\n"},
        {"Docs/big.bin", noisyBytes(1536 * 1024 + 3)},
        {"Docs/empty.dat", ""},
        {"Docs/\u00dcbersicht.txt", "umlaut"},
        {"Docs/sub/b b.txt", "bravo two"},
        {"single.log", "a single file entry"},
    };
    for (const auto& [relative, bytes] : files) {
        const QString path = source + "/" + relative;
        ASSERT_TRUE(writeFile(path, bytes));
        listed << path;
        contents.insert(path, bytes);
    }
    excluded = source + "/Docs/skip.tmp";
    ASSERT_TRUE(writeFile(excluded, "left out by the exclude mask"));
    // Fixed times, so that the recorded statistics and any change by the run show.
    for (const QString& path : {source + "/Docs/sub", source + "/Docs", source + "/single.log"})
        ASSERT_TRUE(test::setModified(path, 1796000000));

    main = loadMain();
    ASSERT_NE(main, nullptr);
}

void RunFixture::TearDown()
{
    main = nullptr;
    MainWindowTest::TearDown();
}

void RunFixture::makeSet(const SetOptions& options)
{
    core::BackupSetInfo& fresh = core::state().NewBackupSet;
    fresh = core::BackupSetInfo {};
    fresh.ItemName = "Docs";
    fresh.Exclude = "*.tmp";
    fresh.Compression = core::fromStoredCode<core::CompressionMode>(options.compression);
    fresh.ProtectData = options.protect ? core::ProtectionMode::Blowfish : core::ProtectionMode::None;
    fresh.BFPassword = Password;
    fresh.ZIPName = options.zipName;
    fresh.UseTimeStamp = options.timestamps;
    fresh.Accurancy = 3;
    fresh.TimeStampFormat = "mmmm dd, yyyy# (hh.mm)";
    fresh.DestCount = options.destinations;
    fresh.RotationType = core::fromStoredCode<core::RotationMode>(options.rotation);
    for (int n = 1; n <= options.destinations; ++n) {
        core::DestinationInfo& dest = fresh.Dest[n];
        dest.Type
            = core::fromStoredCode<core::DestinationType>(n <= int(options.types.size()) ? options.types.at(n - 1) : 1);
        dest.LocalFolder = backup(n);
        dest.FTPHost = "127.0.0.1";
        dest.FTPPort = "21";
        dest.EmailID = "anna@example.org";
    }
    if (options.adjust)
        options.adjust(fresh);
    QFile::remove(core::setDocumentPath("Docs"));
    QFile::remove(core::setDocumentPath("Docs") + ".bak");
    ASSERT_TRUE(core::WriteProject({source + "/Docs", source + "/single.log"}));
    originalDocument = document();
    loadSet();
}

void RunFixture::loadSet()
{
    // As a click on the set's row does.
    main->LoadBackupSets(-1);
    core::state().CurrentSet = core::BackupSetInfo {};
    ASSERT_NE(main->setRow("Docs"), nullptr);
    main->lstBackupSet_ItemClick(main->setRow("Docs"));
    ASSERT_EQ(core::state().CurrentSet.ItemName, "Docs");
}

QPointer<engine::frmProcessing>
RunFixture::run(const std::function<void(engine::frmProcessing*, const QString&)>& duringRun)
{
    // What the Backup command does before it shows the window.
    core::state().bStopBackup = false;
    core::state().bBackupFinished = false;
    QPointer<engine::frmProcessing> window = platform::Form<engine::frmProcessing>::load();
    if (!window)
        return window;
    QMetaObject::Connection watch;
    std::optional<test::EveryPass> everyStatus;
    if (duringRun) {
        everyStatus.emplace();
        engine::frmProcessing* running = window;
        watch = QObject::connect(window->lblStatus, &QPlainTextEdit::textChanged, running, [running, duringRun] {
            if (running->running())
                duringRun(running, running->lblStatus->toPlainText());
        });
    }
    window->Timer1_Timer();
    QObject::disconnect(watch);
    EXPECT_TRUE(core::state().bBackupFinished);
    EXPECT_FALSE(core::state().RunInProgress);
    if (window) {
        finalStatus = window->lblStatus->toPlainText();
        headline = window->lblLabel->text();
    }
    return window;
}

bool RunFixture::closeByCountdown(QPointer<engine::frmProcessing> window)
{
    for (int tick = 1; tick <= 14; ++tick) {
        if (platform::Form<engine::frmProcessing>::loaded() != window || window.isNull())
            return false;
        window->tmrClose_Timer();
    }
    if (platform::Form<engine::frmProcessing>::loaded())
        return false;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.isNull();
}

void RunFixture::runAndClose()
{
    QPointer<engine::frmProcessing> window = run();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(closeByCountdown(window));
}

QString RunFixture::document() const
{
    return QString::fromUtf8(readFile(core::setDocumentPath("Docs")));
}

QString RunFixture::saved(const QString& key) const
{
    return core::ExtractItem(document(), key);
}

QStringList RunFixture::savedSection(const QString& section) const
{
    QStringList lines = core::sectionLines(document(), section);
    lines.removeAll(QString());
    return lines;
}

QStringList RunFixture::logLines() const
{
    QStringList lines;
    for (const QString& line : log().split("\r\n", Qt::SkipEmptyParts))
        lines << line.mid(Now.size() + 1);
    return lines;
}

bool RunFixture::logHasInOrder(const QStringList& expected, QString* missing) const
{
    const QStringList lines = logLines();
    qsizetype at = 0;
    for (const QString& wanted : expected) {
        const qsizetype star = wanted.indexOf('*');
        const auto matches = [&](const QString& line) {
            if (star < 0)
                return line == wanted;
            const QString head = wanted.left(star);
            const QString tail = wanted.mid(star + 1);
            return line.size() >= head.size() + tail.size() && line.startsWith(head) && line.endsWith(tail);
        };
        while (at < lines.size() && !matches(lines.at(at)))
            ++at;
        if (at == lines.size()) {
            if (missing)
                *missing = wanted;
            return false;
        }
        ++at;
    }
    return true;
}

QString RunFixture::plainFile(const QString& delivered, bool protect)
{
    if (!protect)
        return delivered;
    static int made = 0;
    const QString plain = scratch.filePath(QStringLiteral("plain%1").arg(++made));
    // The closed run window leaves its stop request set; the reader heeds it like any run.
    const bool stop = std::exchange(core::state().bStopBackup, false);
    const crypto::CipherResult result = crypto::DecryptBackupFile(delivered, plain, Password);
    core::state().bStopBackup = stop;
    EXPECT_TRUE(result.succeeded()) << delivered.toStdString() << ": " << result.reason().toStdString();
    return plain;
}

QString RunFixture::setRowCell(int column) const
{
    const QList<QTreeWidgetItem*> rows = main->lstBackupSet->findItems("Docs", Qt::MatchExactly);
    return rows.isEmpty() ? QString() : rows.first()->text(column);
}

void RunFixture::expectListedFilesBelow(const QString& root) const
{
    const QString top = root.isEmpty() ? source : root;
    QStringList expected;
    for (const QString& file : std::as_const(listed))
        expected << QDir(top).relativeFilePath(root + file);
    expected.sort();
    EXPECT_EQ(filesBelow(top), expected);
    for (const QString& file : std::as_const(listed))
        EXPECT_TRUE(holds(root + file, contents.value(file)));
}

} // namespace test
