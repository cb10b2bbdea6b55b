// Upload and download throughput of the FTP session against the local pyftpdlib peer, beside curl on
// the same peer in the same run, passive and active; and the peak memory after a small and a large
// file (streaming keeps it the same).
//
//   FtpThroughput [MiB] [folder] [peer script]   defaults: 256 MiB, the system's temporary folder,
//                                                tests/peers/ftp_peer.py of the source tree

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "BenchSample.h"

#include "ftp/clsFtpClient.h"
#include "platform/EventLoop.h"

namespace
{

using bench::peakKiB;
using bench::sameFiles;
using bench::timed;
using bench::writeSample;

const QString kUser = QStringLiteral("bench");
const QString kPassword = QStringLiteral("bench");

// The peer serving `root`, started like the tests start it.
struct Peer
{
    QProcess process;
    quint16 port = 0;

    bool start(const QString& script, const QString& root)
    {
        process.setProgram(QStringLiteral("/usr/bin/python3"));
        process.setArguments({"-u", script, "--root", root, "--user", kUser, "--password", kPassword});
        process.start();
        if (!process.waitForStarted(10000))
            return false;
        while (!process.canReadLine() && process.waitForReadyRead(10000)) { }
        port = static_cast<quint16>(process.readLine().trimmed().toUInt());
        return port != 0;
    }
    ~Peer()
    {
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(3000);
    }
};

// One session per transfer, as the backup run and the restore use it.
bool ours(quint16 port, bool passive, bool upload, const QString& localPath, const QString& remoteName)
{
    ftp::clsFtpClient client;
    client.setFtpServer(QStringLiteral("127.0.0.1"));
    (void)client.setRemotePort(port);
    client.setUsername(kUser);
    client.setPassword(kPassword);
    client.setPassiveMode(passive);
    int result = -1;
    QObject::connect(&client, &ftp::clsFtpClient::OnConnect, [&](int r) { result = r; });
    if (!client.Connect() || !platform::waitWhile([&] { return result < 0; }, 30000) || result != 0)
        return false;
    result = -1;
    QObject::connect(&client, &ftp::clsFtpClient::OnUploadFile, [&](int r) { result = r; });
    QObject::connect(&client, &ftp::clsFtpClient::OnDownloadFile, [&](int r) { result = r; });
    const bool started
        = upload ? client.UploadFile(localPath, remoteName, 0) : client.DownloadFile(remoteName, localPath, true);
    return started && platform::waitWhile([&] { return result < 0; }, 600000) && result == 0;
}

bool curl(quint16 port, bool passive, bool upload, const QString& localPath, const QString& remoteName)
{
    const QString url = QStringLiteral("ftp://%1:%2@127.0.0.1:%3/%4").arg(kUser, kPassword).arg(port).arg(remoteName);
    QStringList arguments {"-s", "-S"};
    if (!passive)
        arguments << "-P"
                  << "127.0.0.1";
    arguments << (upload ? "-T" : "-o") << localPath << url;
    return QProcess::execute(QStringLiteral("curl"), arguments) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 mib = args.size() > 1 ? args.at(1).toLongLong() : 256;
    QTemporaryDir temporary(args.size() > 2 ? args.at(2) + "/ftp-bench-XXXXXX" : QString());
    const QString script = args.size() > 3
        ? args.at(3)
        : QDir(app.applicationDirPath()).filePath(QStringLiteral("../../tests/peers/ftp_peer.py"));
    if (mib <= 0 || !temporary.isValid() || !QFile::exists(script)) {
        std::fprintf(stderr, "usage: FtpThroughput [MiB] [folder] [peer script]\n");
        return 2;
    }
    const QDir dir(temporary.path());
    dir.mkdir("served");
    const QDir served(dir.filePath("served"));
    Peer peer;
    if (!peer.start(script, served.path())) {
        std::fprintf(stderr, "the peer %s did not start\n", qPrintable(script));
        return 1;
    }

    // A small round trip first: the peak memory it leaves is what the large one must not exceed by much.
    if (!writeSample(dir.filePath("small"), 16))
        return 1;
    bool intact = ours(peer.port, true, true, dir.filePath("small"), "small")
        && ours(peer.port, true, false, dir.filePath("small.back"), "small")
        && sameFiles(dir.filePath("small"), dir.filePath("small.back"));
    const long peakSmall = peakKiB();

    if (!writeSample(dir.filePath("plain"), mib))
        return 1;
    const auto rate = [mib](double seconds) { return seconds > 0 ? mib / seconds : 0.0; };
    std::printf("file: %lld MiB in %s\n", static_cast<long long>(mib), qPrintable(dir.path()));
    std::printf("%-18s %15s %12s %8s\n", "", "quillback MiB/s", "curl MiB/s", "ratio");
    bool allRan = true;
    for (const bool passive : {true, false}) {
        for (const bool upload : {true, false}) {
            // Best of three rounds, the two sides taking turns, so that a busy moment of the machine does
            // not decide the comparison.
            double mine = std::numeric_limits<double>::infinity();
            double theirs = mine;
            for (int round = 0; round < 3; ++round) {
                const QString local = upload ? dir.filePath("plain") : dir.filePath("plain.back");
                const double a = timed([&] { return ours(peer.port, passive, upload, local, "plain"); });
                intact = intact
                    && sameFiles(dir.filePath("plain"), upload ? served.filePath("plain") : dir.filePath("plain.back"));
                const double b = timed([&] { return curl(peer.port, passive, upload, local, "plain"); });
                mine = a < 0 || mine < 0 ? -1 : std::min(mine, a);
                theirs = b < 0 || theirs < 0 ? -1 : std::min(theirs, b);
            }
            allRan = allRan && mine > 0 && theirs > 0;
            const QString name
                = QStringLiteral("%1 %2").arg(passive ? "passive" : "active", upload ? "upload" : "download");
            std::printf("%-18s %15.1f %12.1f %8.2f\n", qPrintable(name), rate(mine), rate(theirs),
                        theirs > 0 && mine > 0 ? rate(mine) / rate(theirs) : 0.0);
        }
    }
    const long peakLarge = peakKiB();
    std::printf("round trips intact: %s\n", intact ? "yes" : "NO");
    std::printf("peak memory: %ld KiB after 16 MiB, %ld KiB after %lld MiB\n", peakSmall, peakLarge,
                static_cast<long long>(mib));
    return intact && allRan ? 0 : 1;
}
