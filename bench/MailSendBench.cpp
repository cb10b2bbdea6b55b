// Mails one file as a run does (uuencoded, dot-doubled, streamed as the socket drains) to a sink
// that discards it, beside `uuencode` of the same file to /dev/null, and the peak memory after a
// small and a large file (streaming keeps it the same).
//
//   MailSendBench [MiB] [folder]      defaults: 256 MiB, the system's temporary folder

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

#include "core/ProgramState.h"
#include "core/Settings.h"
#include "mail/MailSender.h"
#include "platform/EventLoop.h"
#include "platform/ProgramFolder.h"

namespace
{

using bench::peakKiB;
using bench::writeSample;

// Answers every command with the code it needs and throws the message away.
const char* SinkScript = R"(
import socket
END = b"\r\n.\r\n"
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(4)
print(server.getsockname()[1], flush=True)
replies = {b"HELO": b"250 ok", b"EHLO": b"250 ok", b"MAIL": b"250 ok", b"RCPT": b"250 ok", b"DATA": b"354 go"}
def serve(conn):
    conn.sendall(b"220 sink\r\n")
    pending, in_data, tail = b"", False, b""
    while True:
        chunk = conn.recv(1 << 20)
        if not chunk:
            return
        if in_data:
            # The end may straddle two pieces; nothing of the message is kept.
            at = (tail + chunk[:4]).find(END)
            after = at + 5 - len(tail) if at >= 0 else chunk.find(END) + 5
            if after < 5 and at < 0:
                tail = chunk[-4:]
                continue
            in_data, chunk = False, chunk[after:]
            conn.sendall(b"250 discarded\r\n")
        pending += chunk
        while not in_data and b"\r\n" in pending:
            line, pending = pending.split(b"\r\n", 1)
            command = line[:4].upper()
            conn.sendall(replies.get(command, b"221 bye") + b"\r\n")
            in_data, tail = command == b"DATA", b""
while True:
    conn, _ = server.accept()
    try:
        serve(conn)
    except OSError:
        pass  # the client closes right after QUIT
    conn.close()
)";

// Seconds taken by one run's mail of the file, or a negative value when it was not sent.
double mailOnce(const QString& path)
{
    mail::mailValues().strAttachments = path;
    core::ProgramState& state = core::state();
    state.MailIsTest = false;
    state.bMailDone = false;
    state.bMailSuccess = false;
    QElapsedTimer timer;
    timer.start();
    mail::SendEmail();
    platform::waitWhile([] { return !core::state().bMailDone; }, 60 * 60 * 1000);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!state.bMailSuccess) {
        std::fprintf(stderr, "mail failed: %s (port %s)\n", qPrintable(state.strFailureReason),
                     qPrintable(core::ReadPreference(QStringLiteral("txtPort"), QString())));
        return -1;
    }
    return seconds;
}

double uuencodeOnce(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/null"));
    process.start(QStringLiteral("uuencode"), {path, QStringLiteral("sample")});
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 mib = args.size() > 1 ? args.at(1).toLongLong() : 256;
    QTemporaryDir temporary(args.size() > 2 ? args.at(2) + "/mail-bench-XXXXXX" : QString());
    if (mib <= 0 || !temporary.isValid()) {
        std::fprintf(stderr, "usage: MailSendBench [MiB] [folder]\n");
        return 2;
    }
    const QDir dir(temporary.path());
    qputenv("QUILLBACK_HOME", QFile::encodeName(dir.filePath("home")));
    QDir().mkpath(dir.filePath("home"));
    platform::ProgramFolder::reset();

    QProcess sink;
    sink.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(SinkScript)});
    QElapsedTimer waited;
    waited.start();
    while (sink.waitForStarted() && !sink.canReadLine() && waited.elapsed() < 10000)
        sink.waitForReadyRead(100);
    const QString port = QString::fromLatin1(sink.readLine().trimmed());
    if (port.toUInt() == 0) {
        std::fprintf(stderr, "the sink did not start: %s\n", sink.readAllStandardError().constData());
        return 1;
    }
    core::WritePreference(QStringLiteral("txtEmailFrom"), QStringLiteral("bench@example.org"));
    core::WritePreference(QStringLiteral("txtServer"), QStringLiteral("127.0.0.1"));
    core::WritePreference(QStringLiteral("txtPort"), port);
    core::BackupSetInfo& set = core::state().CurrentSet;
    set.DestCount = 1;
    set.CurrentDestination = 1;
    set.Dest[1].Type = core::DestinationType::Email;
    set.Dest[1].EmailID = QStringLiteral("sink@example.org");

    // A small file first: the peak memory it leaves is what the large one must not exceed by much.
    const QString path = dir.filePath("sample");
    if (!writeSample(path, 16) || mailOnce(path) < 0)
        return 1;
    const long peakSmall = peakKiB();

    if (!writeSample(path, mib))
        return 1;
    // Best of three rounds, the two sides taking turns.
    double ours = std::numeric_limits<double>::infinity();
    double theirs = ours;
    long peakLarge = 0;
    for (int round = 0; round < 3; ++round) {
        const double mailed = mailOnce(path);
        const double encoded = uuencodeOnce(path);
        if (mailed < 0 || encoded < 0)
            return 1;
        if (round == 0)
            peakLarge = peakKiB();
        ours = std::min(ours, mailed);
        theirs = std::min(theirs, encoded);
    }
    sink.kill();
    sink.waitForFinished();

    std::printf("file: %lld MiB in %s\n", static_cast<long long>(mib), qPrintable(dir.path()));
    std::printf("mail to a discarding sink: %.2f s (%.1f MiB/s)\n", ours, mib / ours);
    std::printf("uuencode to /dev/null:     %.2f s (%.1f MiB/s)\n", theirs, mib / theirs);
    std::printf("mail over uuencode: %.2f (at most 2 wanted)\n", ours / theirs);
    std::printf("peak memory: %ld KiB after 16 MiB, %ld KiB after %lld MiB\n", peakSmall, peakLarge,
                static_cast<long long>(mib));
    return 0;
}
