// Throughput of the .bf file cipher beside `openssl enc -bf-cbc` on the same file, and the peak memory
// after a small and a large file (streaming keeps it the same).
//
//   CipherThroughput [MiB] [folder]      defaults: 256 MiB, the system's temporary folder

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

#include "crypto/BackupFileCipher.h"

namespace
{

using bench::peakKiB;
using bench::sameFiles;
using bench::timed;
using bench::writeSample;

const QString kPassword = QStringLiteral("benchmark password");

double openssl(const QStringList& arguments)
{
    return timed([&] {
        QStringList all
            = {"enc",       "-bf-cbc",         "-provider", "legacy",
               "-provider", "default",         "-K",        QString::fromLatin1(kPassword.toUtf8().left(16).toHex()),
               "-iv",       "0000000000000000"};
        all += arguments;
        return QProcess::execute("openssl", all) == 0;
    });
}

struct Figures
{
    double encrypt = -1;
    double decrypt = -1;
    bool same = false;
};

Figures runOurs(const QDir& dir)
{
    Figures f;
    f.encrypt = timed([&] {
        return crypto::EncryptBackupFile(dir.filePath("plain"), dir.filePath("plain.bf"), kPassword).succeeded();
    });
    f.decrypt = timed([&] {
        return crypto::DecryptBackupFile(dir.filePath("plain.bf"), dir.filePath("plain.out"), kPassword).succeeded();
    });
    f.same = sameFiles(dir.filePath("plain"), dir.filePath("plain.out"));
    QFile::remove(dir.filePath("plain.bf"));
    QFile::remove(dir.filePath("plain.out"));
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 mib = args.size() > 1 ? args.at(1).toLongLong() : 256;
    QTemporaryDir temporary(args.size() > 2 ? args.at(2) + "/cipher-bench-XXXXXX" : QString());
    if (mib <= 0 || !temporary.isValid()) {
        std::fprintf(stderr, "usage: CipherThroughput [MiB] [folder]\n");
        return 2;
    }
    const QDir dir(temporary.path());

    // A small run first: the peak memory it leaves is what the large run must not exceed by much.
    if (!writeSample(dir.filePath("plain"), 16))
        return 1;
    const Figures small = runOurs(dir);
    const long peakSmall = peakKiB();

    if (!writeSample(dir.filePath("plain"), mib))
        return 1;
    // Best of three rounds, the two sides taking turns, so that a busy moment of the machine does not
    // decide the comparison.
    const double unset = std::numeric_limits<double>::infinity();
    Figures ours {unset, unset, true};
    double sslEncrypt = unset;
    double sslDecrypt = unset;
    // A failed step (negative) stays failed.
    const auto best = [](double current, double candidate) {
        return current < 0 || candidate < 0 ? -1.0 : std::min(current, candidate);
    };
    long peakLarge = 0;
    for (int round = 0; round < 3; ++round) {
        const Figures figures = runOurs(dir);
        if (round == 0)
            peakLarge = peakKiB();
        ours.encrypt = best(ours.encrypt, figures.encrypt);
        ours.decrypt = best(ours.decrypt, figures.decrypt);
        ours.same = ours.same && figures.same;
        sslEncrypt = best(sslEncrypt, openssl({"-in", dir.filePath("plain"), "-out", dir.filePath("ssl.bf")}));
        sslDecrypt = best(sslDecrypt, openssl({"-d", "-in", dir.filePath("ssl.bf"), "-out", dir.filePath("ssl.out")}));
    }

    const auto rate = [mib](double seconds) { return seconds > 0 ? mib / seconds : 0.0; };
    std::printf("file: %lld MiB in %s\n", static_cast<long long>(mib), qPrintable(dir.path()));
    std::printf("%-8s %14s %14s %8s\n", "", "quillback MiB/s", "openssl MiB/s", "ratio");
    std::printf("%-8s %14.1f %14.1f %8.2f\n", "encrypt", rate(ours.encrypt), rate(sslEncrypt),
                sslEncrypt > 0 ? rate(ours.encrypt) / rate(sslEncrypt) : 0.0);
    std::printf("%-8s %14.1f %14.1f %8.2f\n", "decrypt", rate(ours.decrypt), rate(sslDecrypt),
                sslDecrypt > 0 ? rate(ours.decrypt) / rate(sslDecrypt) : 0.0);
    std::printf("round trip intact: 16 MiB %s, %lld MiB %s\n", small.same ? "yes" : "NO", static_cast<long long>(mib),
                ours.same ? "yes" : "NO");
    std::printf("peak memory: %ld KiB after 16 MiB, %ld KiB after %lld MiB\n", peakSmall, peakLarge,
                static_cast<long long>(mib));
    return small.same && ours.same && sslEncrypt > 0 && sslDecrypt > 0 ? 0 : 1;
}
