#pragma once

#include <QString>

namespace core
{

// The coding step of set documents on their way to disk and back. Documents are stored as plain
// text, so both steps give their input back unchanged; they stay as the one place to change that.
QString EncodeProjectText(const QString& text);
QString DecodeProjectText(const QString& text);

} // namespace core
