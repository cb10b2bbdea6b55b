#include "mail/UUEncode.h"

#include <QFile>
#include <QFileInfo>

namespace mail
{
namespace UUEncode
{
namespace
{
char encoded(unsigned value)
{
    value &= 0x3F;
    return value ? char(value + 32) : '`';
}

// Writes one line of n bytes at `out` and returns the position after its CR LF.
char* writeLine(char* out, const unsigned char* bytes, int n)
{
    *out++ = encoded(unsigned(n));
    for (int i = 0; i < n; i += 3) {
        // A short last group is filled with zero bytes: strict decoders refuse other filling.
        const unsigned b1 = bytes[i];
        const unsigned b2 = i + 1 < n ? bytes[i + 1] : 0u;
        const unsigned b3 = i + 2 < n ? bytes[i + 2] : 0u;
        *out++ = encoded(b1 >> 2);
        *out++ = encoded(((b1 & 0x03) << 4) | (b2 >> 4));
        *out++ = encoded(((b2 & 0x0F) << 2) | (b3 >> 6));
        *out++ = encoded(b3);
    }
    *out++ = '\r';
    *out++ = '\n';
    return out;
}
} // namespace

QByteArray beginLine(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    // A line break in a file name would end the begin line early.
    name.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QByteArrayLiteral("begin 664 ") + name.toUtf8() + QByteArrayLiteral("\r\n");
}

QByteArray dataLines(QByteArrayView data)
{
    const qsizetype lines = (data.size() + BytesPerLine - 1) / BytesPerLine;
    // Length character, four characters a started group of three, CR LF.
    QByteArray out(lines * 3 + (data.size() + 2) / 3 * 4, Qt::Uninitialized);
    char* at = out.data();
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    for (qsizetype offset = 0; offset < data.size(); offset += BytesPerLine)
        at = writeLine(at, bytes + offset, int(qMin<qsizetype>(BytesPerLine, data.size() - offset)));
    out.truncate(at - out.data());
    return out;
}

QByteArray line(QByteArrayView bytes)
{
    if (bytes.size() > 63)
        return {};
    QByteArray out(1 + (bytes.size() + 2) / 3 * 4 + 2, Qt::Uninitialized);
    writeLine(out.data(), reinterpret_cast<const unsigned char*>(bytes.data()), int(bytes.size()));
    out.chop(2);
    return out;
}

QByteArray endLines()
{
    return QByteArrayLiteral("`\r\nend\r\n");
}
} // namespace UUEncode

std::optional<QByteArray> UUEncodeFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return UUEncode::beginLine(path) + UUEncode::dataLines(bytes) + UUEncode::endLines();
}

} // namespace mail
