#include "support/InfoZipTools.h"

#include <QFile>
#include <QProcess>

namespace test
{

namespace
{

QByteArray runUnzip(const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess unzip;
    unzip.setProcessChannelMode(QProcess::SeparateChannels);
    unzip.start(QStringLiteral("/usr/bin/unzip"), arguments);
    unzip.waitForFinished(120000);
    if (exitCode)
        *exitCode = unzip.exitStatus() == QProcess::NormalExit ? unzip.exitCode() : -1;
    return unzip.readAllStandardOutput();
}

// unzip takes entry names as wildcard patterns; a backslash makes each special character literal.
QString literalPattern(const QString& entry)
{
    QString pattern;
    for (const QChar c : entry) {
        if (c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char('*') || c == QLatin1Char('?')
            || c == QLatin1Char('\\'))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern;
}

} // namespace

bool unzipTestsOk(const QString& archive, QString* output)
{
    int exitCode = -1;
    const QByteArray text = runUnzip({QStringLiteral("-t"), archive}, &exitCode);
    if (output)
        *output = QString::fromUtf8(text);
    return exitCode == 0 && text.contains("No errors detected");
}

QStringList unzipNames(const QString& archive)
{
    return QString::fromUtf8(runUnzip({QStringLiteral("-Z1"), archive})).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray unzipEntry(const QString& archive, const QString& entry)
{
    return runUnzip({QStringLiteral("-p"), archive, literalPattern(entry)});
}

QString zipinfoLine(const QString& archive, const QString& entry)
{
    const QString text = QString::fromUtf8(
        runUnzip({QStringLiteral("-Z"), QStringLiteral("-s"), QStringLiteral("-T"), archive, literalPattern(entry)}));
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.endsWith(QLatin1Char(' ') + entry))
            return line;
    return {};
}

QList<QPair<QString, quint16>> centralDirectoryFlags(const QString& archive)
{
    QFile file(archive);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const auto u16 = [&](qsizetype at) {
        return static_cast<quint16>(static_cast<quint8>(bytes[at]) | static_cast<quint8>(bytes[at + 1]) << 8);
    };
    QList<QPair<QString, quint16>> flags;
    qsizetype at = 0;
    while ((at = bytes.indexOf(QByteArray("PK\x01\x02", 4), at)) >= 0 && at + 46 <= bytes.size()) {
        const quint16 nameLength = u16(at + 28);
        flags.append({QString::fromUtf8(bytes.mid(at + 46, nameLength)), u16(at + 8)});
        at += 46 + nameLength;
    }
    return flags;
}

} // namespace test
