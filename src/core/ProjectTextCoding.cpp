#include "core/ProjectTextCoding.h"

namespace core
{

QString EncodeProjectText(const QString& text)
{
    return text;
}

QString DecodeProjectText(const QString& text)
{
    return text;
}

} // namespace core
