#include "support/ZipFixtures.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>

namespace test
{
namespace
{
constexpr quint32 kCentralSignature = 0x02014b50;
constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kZip64EndSignature = 0x06064b50;
constexpr quint32 kZip64LocatorSignature = 0x07064b50;

quint16 u16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

struct CentralRecord
{
    qsizetype at = 0;
    QByteArray name;
    qsizetype localAt = 0;
    quint16 flags = 0;
};

QList<CentralRecord> centralRecords(const QByteArray& bytes)
{
    QList<CentralRecord> records;
    qsizetype end = bytes.size() - 22;
    while (end >= 0 && u32(bytes, end) != kEndSignature)
        --end;
    if (end < 0)
        return records;
    qsizetype at = qsizetype(u32(bytes, end + 16));
    qsizetype count = u16(bytes, end + 10);
    // Zip64 archives keep the directory's place in their own end record, which a locator names.
    if (at == qsizetype(0xFFFFFFFFu) && end >= 20 && u32(bytes, end - 20) == kZip64LocatorSignature) {
        const qsizetype zip64End = qsizetype(qFromLittleEndian<quint64>(bytes.constData() + end - 20 + 8));
        if (zip64End < 0 || zip64End + 56 > bytes.size() || u32(bytes, zip64End) != kZip64EndSignature)
            return records;
        count = qsizetype(qFromLittleEndian<quint64>(bytes.constData() + zip64End + 32));
        at = qsizetype(qFromLittleEndian<quint64>(bytes.constData() + zip64End + 48));
    }
    for (qsizetype i = 0; i < count && at + 46 <= bytes.size() && u32(bytes, at) == kCentralSignature; ++i) {
        CentralRecord record;
        record.at = at;
        const quint16 nameLength = u16(bytes, at + 28);
        record.name = bytes.mid(at + 46, nameLength);
        record.localAt = qsizetype(u32(bytes, at + 42));
        record.flags = u16(bytes, at + 8);
        records << record;
        at += 46 + nameLength + u16(bytes, at + 30) + u16(bytes, at + 32);
    }
    return records;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray runUnzip(const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess unzip;
    unzip.start(QStringLiteral("/usr/bin/unzip"), arguments);
    unzip.waitForFinished(120000);
    if (exitCode)
        *exitCode = unzip.exitStatus() == QProcess::NormalExit ? unzip.exitCode() : -1;
    return unzip.readAllStandardOutput();
}

// unzip takes entry names as wildcard patterns; a backslash makes a special character literal.
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

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
} // namespace

bool runZip(const QString& folder, const QStringList& arguments)
{
    QProcess zip;
    zip.setWorkingDirectory(folder);
    zip.start(QStringLiteral("zip"), QStringList {QStringLiteral("-q")} + arguments);
    return zip.waitForFinished(60000) && zip.exitStatus() == QProcess::NormalExit && zip.exitCode() == 0;
}

QByteArray noisyBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = seed ? seed : 1;
    for (qsizetype i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x);
    }
    return bytes;
}

bool truncateFile(const QString& path, qint64 size)
{
    return QFile::resize(path, size);
}

bool flipStoredCrc(const QString& archive, const QString& name)
{
    QByteArray bytes = readAll(archive);
    for (const CentralRecord& record : centralRecords(bytes)) {
        if (record.name != name.toUtf8())
            continue;
        bytes[record.at + 16] = char(bytes.at(record.at + 16) ^ 0x5a);
        bytes[record.localAt + 14] = char(bytes.at(record.localAt + 14) ^ 0x5a);
        return writeAll(archive, bytes);
    }
    return false;
}

namespace
{
// Sets the uncompressed size of a header whose 32-bit field is at `field` and whose extra fields
// span `extra`; a field of all ones stands for the first value of the Zip64 extra field.
bool setSizeField(QByteArray& bytes, qsizetype field, qsizetype extra, qsizetype extraEnd, quint64 size)
{
    if (u32(bytes, field) != 0xFFFFFFFFu) {
        if (size >= 0xFFFFFFFFu)
            return false;
        qToLittleEndian<quint32>(quint32(size), bytes.data() + field);
        return true;
    }
    while (extra + 4 <= extraEnd) {
        const quint16 length = u16(bytes, extra + 2);
        if (u16(bytes, extra) == 0x0001 && length >= 8) {
            qToLittleEndian<quint64>(size, bytes.data() + extra + 4);
            return true;
        }
        extra += 4 + length;
    }
    return false;
}
} // namespace

bool setRecordedSize(const QString& archive, const QString& name, quint64 size)
{
    QByteArray bytes = readAll(archive);
    for (const CentralRecord& record : centralRecords(bytes)) {
        if (record.name != name.toUtf8())
            continue;
        const qsizetype centralExtra = record.at + 46 + u16(bytes, record.at + 28);
        const qsizetype localExtra = record.localAt + 30 + u16(bytes, record.localAt + 26);
        return setSizeField(bytes, record.at + 24, centralExtra, centralExtra + u16(bytes, record.at + 30), size)
            && setSizeField(bytes, record.localAt + 22, localExtra, localExtra + u16(bytes, record.localAt + 28), size)
            && writeAll(archive, bytes);
    }
    return false;
}

bool setCentralSizes(const QString& archive, const QString& name, quint32 compressed,
                     std::optional<quint32> uncompressed)
{
    QByteArray bytes = readAll(archive);
    for (const CentralRecord& record : centralRecords(bytes)) {
        if (record.name != name.toUtf8())
            continue;
        if (u32(bytes, record.at + 20) == 0xFFFFFFFFu || u32(bytes, record.at + 24) == 0xFFFFFFFFu)
            return false;
        qToLittleEndian<quint32>(compressed, bytes.data() + record.at + 20);
        if (uncompressed)
            qToLittleEndian<quint32>(*uncompressed, bytes.data() + record.at + 24);
        return writeAll(archive, bytes);
    }
    return false;
}

bool renameEntry(const QString& archive, const QString& from, const QString& to)
{
    const QByteArray oldName = from.toUtf8();
    const QByteArray newName = to.toUtf8();
    if (oldName.size() != newName.size())
        return false;
    QByteArray bytes = readAll(archive);
    for (const CentralRecord& record : centralRecords(bytes)) {
        if (record.name != oldName)
            continue;
        bytes.replace(record.at + 46, newName.size(), newName);
        bytes.replace(record.localAt + 30, newName.size(), newName);
        return writeAll(archive, bytes);
    }
    return false;
}

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
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char(' ') + entry))
            return line;
    }
    return {};
}

QList<QPair<QString, quint16>> centralDirectoryFlags(const QString& archive)
{
    QList<QPair<QString, quint16>> flags;
    for (const CentralRecord& record : centralRecords(readAll(archive)))
        flags.append({QString::fromUtf8(record.name), record.flags});
    return flags;
}

} // namespace test
