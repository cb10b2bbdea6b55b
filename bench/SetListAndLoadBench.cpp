// Listing 1,000 set documents into the main window's rows, and loading one set whose file list
// holds 100,000 lines (with its exclude masks matched against every line).

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "main_window/BackupSetList.h"
#include "main_window/SetLoader.h"
#include "platform/ProgramFolder.h"

namespace
{
QString documentText(const QString& name, int files, int versions)
{
    QString text = QStringLiteral("<STATS>\r\nCreationTime=01/11/2026 08:00:00\r\nLastRunTime=05/12/2026 10:00:00\r\n"
                                  "ItemType=0\r\nRan=-1\r\nArchiveCount=0\r\nStatus=Success\r\nCurrentDestination=2\r\n"
                                  "Duration=00:01:02\r\n</STATS>\r\n\r\n<GENERAL>\r\nAppVersion=1.0.0\r\nItemName=")
        + name
        + QStringLiteral("\r\nItemType=0\r\nExclude=*.tmp; *.bak; */cache/*\r\nInclude=*.*\r\nExcludeFolders=0\r\n"
                         "Destination=0\r\nLastFolder=\r\nBackupType=0\r\nUseTimeStamp=-1\r\nCompression=1\r\n"
                         "ProtectData=0\r\nBFPassword=\r\nZIPName=bench.zip\r\nQuality=5\r\nIncremental=False\r\n"
                         "Scheduler=-1\r\nDestCount=3\r\nRotationType=2\r\n</GENERAL>\r\n\r\n<TIMESTAMP>\r\n"
                         "Accurancy=3\r\nTimeStampFormat=yyyy-mm-dd\r\nFormatIndex=3\r\nDeleteBackups=0\r\n"
                         "KeepVersions=7\r\n</TIMESTAMP>\r\n\r\n<SCHEDULER>\r\nStartDate=01/11/2026\r\n"
                         "StartTime=13:00:00\r\nRepeat=-1\r\nSAccurancy=2\r\nPeriod=1,15,31\r\nRunOnStart=0\r\n"
                         "RunOnEnd=0\r\n</SCHEDULER>\r\n\r\n<FILES>\r\n");
    for (int i = 0; i < files; ++i)
        text += QStringLiteral("/home/bench/folder %1/file %2.txt\t46000.5\t%2\r\n").arg(i / 100).arg(i);
    text += QStringLiteral("</FILES>\r\n\r\n<VERSIONS>\r\n");
    for (int i = 0; i < versions; ++i)
        text += QStringLiteral("LAN|/mnt/b/v%1|/mnt/b/v%1/bench.zip|01/11/2026 10:00:00|1|1|0|\r\n").arg(i);
    text += QStringLiteral("</VERSIONS>\r\n\r\n<DEST1>\r\nType=1\r\nLocalFolder=/mnt/b\r\n</DEST1>\r\n\r\n<DEST2>\r\n"
                           "Type=2\r\nFTPHost=ftp.example.org\r\nFTPPort=21\r\nFTPUser=u\r\nFTPPass=\r\nFTPFolder=/\r\n"
                           "FTPPassive=True\r\n</DEST2>\r\n\r\n<DEST3>\r\nType=3\r\nEmailID=a@example.org\r\n"
                           "Subject=s\r\nBody=b\r\n</DEST3>\r\n\r\n");
    return text;
}

bool store(const QString& home, const QString& name, const QString& text)
{
    QFile file(home + QStringLiteral("/data/") + name + QStringLiteral(".sbd"));
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}

class ProgramFolder
{
public:
    ProgramFolder()
    {
        qputenv("QUILLBACK_HOME", QFile::encodeName(home.path()));
        platform::ProgramFolder::reset();
        platform::makePrivateFolder(home.path() + QStringLiteral("/data"));
    }
    ~ProgramFolder()
    {
        qunsetenv("QUILLBACK_HOME");
        platform::ProgramFolder::reset();
    }
    QTemporaryDir home;
};

void ListThousandSets(benchmark::State& state)
{
    ProgramFolder folder;
    for (int i = 0; i < 1000; ++i) {
        const QString name = QStringLiteral("Set %1").arg(i, 4, 10, QLatin1Char('0'));
        if (!store(folder.home.path(), name, documentText(name, 20, 10))) {
            state.SkipWithError("cannot write the documents");
            return;
        }
    }
    for (auto _ : state) {
        const main_window::SetListing listing = main_window::LoadBackupSets(-1);
        if (listing.rows.size() != 1000 || !listing.rows.front().valid) {
            state.SkipWithError("listing failed");
            break;
        }
    }
}

void LoadSetWithManyFiles(benchmark::State& state)
{
    ProgramFolder folder;
    if (!store(folder.home.path(), QStringLiteral("Large"), documentText(QStringLiteral("Large"), 100000, 30))) {
        state.SkipWithError("cannot write the document");
        return;
    }
    main_window::SetLoader loader;
    for (auto _ : state) {
        const main_window::SetLoader::Result result = loader.LoadBackup(QStringLiteral("Large"));
        if (result.outcome != main_window::SetLoader::Outcome::Loaded || result.fileRows.size() != 100000) {
            state.SkipWithError("loading failed");
            break;
        }
    }
}
} // namespace

BENCHMARK(ListThousandSets)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(LoadSetWithManyFiles)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
