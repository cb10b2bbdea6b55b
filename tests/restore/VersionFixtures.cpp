#include "VersionFixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "core/ProgramState.h"
#include "crypto/BackupFileCipher.h"
#include "platform/MirrorPath.h"
#include "platform/ZipWriter.h"
#include "restore/RestoreList.h"
#include "support/ZipFixtures.h"

namespace test
{
namespace
{
QString mirrored(const QString& path)
{
    return platform::mirrorRelativePath(path).value_or(QString());
}

// Replaces the file by its protected form beside it, "<file>.bf".
void protect(const QString& file)
{
    ASSERT_TRUE(crypto::EncryptBackupFile(file, file + ".bf", VersionTest::Password).succeeded());
    ASSERT_TRUE(QFile::remove(file));
}
} // namespace

void VersionTest::SetUp()
{
    RestoreTest::SetUp();
    ASSERT_TRUE(scratch.isValid());
    put("docs/a.txt", "alpha\r\n");
    put("docs/deep/b.txt", "bravo");
    put("big.bin", noisyBytes(3 * 1024 * 1024 + 7));
    put("my file.txt", "blank in the name");
    put("empty.txt", "");
    put("ünï/çødé.txt", "not ascii");
    core::state().CurrentSet.ItemName = "Docs";
    core::state().CurrentSet.ZIPName = "Docs Backup.zip";
}

void VersionTest::put(const QString& relative, const QByteArray& bytes)
{
    ASSERT_TRUE(writeFile(source(relative), bytes));
    paths << source(relative);
    originals[source(relative)] = bytes;
}

QString VersionTest::archiveName() const
{
    return QString(core::state().CurrentSet.ZIPName).replace(' ', '_');
}

QString VersionTest::versionFile(const QString& folder, const QString& path, int mode, bool isProtected) const
{
    const QString bf = isProtected ? ".bf" : "";
    if (mode == 1)
        return folder + "/" + archiveName() + bf;
    return folder + "/" + mirrored(path) + (mode == 2 ? ".zip" : "") + bf;
}

QString VersionTest::makeVersion(const QString& folder, int mode, bool isProtected, bool infoZip)
{
    EXPECT_TRUE(QDir().mkpath(folder));
    if (mode == 1) {
        const QString archive = folder + "/" + archiveName();
        if (infoZip) {
            EXPECT_TRUE(runZip("/", {"-r", archive, mirrored(disk("src"))}));
        } else {
            QList<platform::ZipEntrySource> entries;
            for (const QString& path : std::as_const(paths))
                entries.append({path, mirrored(path), false});
            EXPECT_TRUE(platform::writeZipArchive(archive, entries).succeeded());
        }
        if (isProtected)
            protect(archive);
    } else {
        for (const QString& path : std::as_const(paths)) {
            QString file = folder + "/" + mirrored(path);
            EXPECT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
            if (mode == 0) {
                EXPECT_TRUE(QFile::copy(path, file));
            } else {
                file += ".zip";
                EXPECT_TRUE(platform::writeZipArchive(file, {{path, mirrored(path), false}}).succeeded());
            }
            if (isProtected)
                protect(file);
        }
    }
    return QStringList {"LAN",
                        folder,
                        folder + "/" + core::state().CurrentSet.ZIPName + (isProtected ? ".bf" : ""),
                        "10/12/2026 12:00:00",
                        "12",
                        QString::number(mode),
                        QString::number(isProtected ? 1 : 0),
                        Password}
        .join('|');
}

void VersionTest::writeRestoreList(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    ASSERT_TRUE(writeFile(restore::restoreListPath("Docs"), bytes));
}

restore::RestoreRequest VersionTest::request(const QString& versionLine, const QString& newFolder) const
{
    restore::RestoreRequest request;
    const std::optional<core::VersionLine> version = core::VersionLine::parse(versionLine);
    EXPECT_TRUE(version.has_value()) << versionLine.toStdString();
    if (version)
        request.version = *version;
    request.previousLocation = newFolder.isEmpty();
    request.newFolder = newFolder;
    request.setName = "Docs";
    return request;
}

restore::RestoreRun::Outcome VersionTest::restore(const restore::RestoreRequest& request,
                                                  restore::RestoreSummary* summary, platform::RunContext& run)
{
    restore::RestoreRun restoreRun(request, run, question);
    const restore::RestoreRun::Outcome outcome = restoreRun.run();
    if (summary)
        *summary = restoreRun.summary();
    return outcome;
}

QMap<QString, QByteArray> VersionTest::filesBelow(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        files[QDir(folder).relativeFilePath(file)] = readFile(file);
    }
    return files;
}

QMap<QString, QByteArray> VersionTest::everything() const
{
    QMap<QString, QByteArray> all;
    const QMap<QString, QByteArray> onDisk = filesBelow(scratch.path());
    for (auto it = onDisk.cbegin(); it != onDisk.cend(); ++it)
        all["scratch/" + it.key()] = it.value();
    const QMap<QString, QByteArray> program = filesBelow(home.path());
    for (auto it = program.cbegin(); it != program.cend(); ++it) {
        if (it.key() != "status.log")
            all["program/" + it.key()] = it.value();
    }
    return all;
}

} // namespace test
