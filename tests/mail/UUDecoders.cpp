#include "mail/UUDecoders.h"

#include <QProcess>
#include <QTemporaryDir>

#include "support/ProgramFolderTest.h"

namespace test
{
namespace
{
const char* BinasciiScript = R"(
import binascii, sys
lines = open(sys.argv[1], 'rb').read().split(b'\r\n')
out = b''
for line in lines[1:]:
    if line == b'end':
        break
    out += binascii.a2b_uu(line)
sys.stdout.buffer.write(out)
)";

std::optional<QByteArray> run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}
} // namespace

QList<QByteArray> uuBlocks(const QByteArray& text)
{
    QList<QByteArray> blocks;
    for (qsizetype at = text.indexOf("begin 664 "); at >= 0; at = text.indexOf("\nbegin 664 ", at)) {
        if (text.at(at) == '\n')
            ++at;
        const qsizetype end = text.indexOf("\r\nend\r\n", at);
        if (end < 0)
            break;
        blocks << text.mid(at, end + 7 - at);
        at = end;
    }
    return blocks;
}

std::optional<QByteArray> uudecode(const QByteArray& block)
{
    QTemporaryDir dir;
    if (!writeFile(dir.filePath("block.uu"), block))
        return std::nullopt;
    if (!run("/usr/bin/uudecode", {"-o", dir.filePath("out"), dir.filePath("block.uu")}))
        return std::nullopt;
    return readFile(dir.filePath("out"));
}

std::optional<QByteArray> binasciiDecode(const QByteArray& block)
{
    QTemporaryDir dir;
    if (!writeFile(dir.filePath("block.uu"), block))
        return std::nullopt;
    return run("/usr/bin/python3", {"-c", BinasciiScript, dir.filePath("block.uu")});
}

} // namespace test
