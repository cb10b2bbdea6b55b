#include "mail/MimeEncoders.h"

#include "mail/UUEncode.h"

namespace mail
{
namespace
{
constexpr char Base64Table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr qsizetype GroupsPerLine = 19;

// The value of a base64 character, 64 for "=", -1 for any other.
int base64Value(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 'A' && u <= 'Z')
        return u - 'A';
    if (u >= 'a' && u <= 'z')
        return u - 'a' + 26;
    if (u >= '0' && u <= '9')
        return u - '0' + 52;
    if (u == '+')
        return 62;
    if (u == '/')
        return 63;
    return u == '=' ? 64 : -1;
}
} // namespace

QByteArray EncodeBase64Bytes(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    const qsizetype groups = (bytes.size() + 2) / 3;
    QByteArray out;
    out.reserve(groups * 4 + (groups / GroupsPerLine + 1) * 2);
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype g = 0; g < groups; ++g) {
        if (g > 0 && g % GroupsPerLine == 0)
            out += "\r\n";
        const qsizetype i = g * 3;
        const unsigned b0 = b[i];
        const unsigned b1 = i + 1 < bytes.size() ? b[i + 1] : 0u;
        const unsigned b2 = i + 2 < bytes.size() ? b[i + 2] : 0u;
        out += Base64Table[b0 >> 2];
        out += Base64Table[((b0 & 3) << 4) | (b1 >> 4)];
        out += i + 1 < bytes.size() ? Base64Table[((b1 & 15) << 2) | (b2 >> 6)] : '=';
        out += i + 2 < bytes.size() ? Base64Table[b2 & 63] : '=';
    }
    out += "\r\n";
    return out;
}

QString EncodeBase64Text(const QString& text)
{
    return QString::fromLatin1(EncodeBase64Bytes(text.toUtf8()));
}

QString DecodeBase64String(const QString& str2Decode)
{
    QByteArray out;
    for (qsizetype start = 0; start < str2Decode.size(); start += 4) {
        int values[4] = {0, 0, 0, 0};
        int kept = 3;
        for (int k = 0; k < 4; ++k) {
            if (start + k >= str2Decode.size())
                break;
            const int value = base64Value(str2Decode.at(start + k));
            if (value < 0)
                return QString();
            if (value == 64) {
                kept = qMax(0, k - 1);
                break;
            }
            values[k] = value;
        }
        const char bytes[3]
            = {char((values[0] << 2) | ((values[1] >> 4) & 3)), char(((values[1] & 15) << 4) | ((values[2] >> 2) & 15)),
               char(((values[2] & 3) << 6) + values[3])};
        out.append(bytes, kept);
    }
    return QString::fromLatin1(out);
}

QString UUEncodeLine(const QString& text)
{
    return QString::fromLatin1(UUEncode::line(text.toUtf8()));
}

} // namespace mail
