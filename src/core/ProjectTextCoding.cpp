#include "core/ProjectTextCoding.h"

#include <QStringDecoder>

namespace core
{

QByteArray EncodeProjectText(const QString& text)
{
    return text.toUtf8();
}

QString DecodeProjectText(const QByteArray& bytes)
{
    // The whole document decides: a Latin-1 text is rarely valid UTF-8, while a line-by-line choice
    // would misread a lone scrambled password that happens to be. A byte-order mark is dropped, so
    // that the first tag line still reads as one.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

} // namespace core
