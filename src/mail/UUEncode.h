#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace mail
{

// The classic uuencode block: "begin 664 name", data lines of 45 bytes each, "`", "end". The value 0
// is written as "`" rather than a blank, so that no line ends in blanks a mail server may cut.
namespace UUEncode
{
inline constexpr int BytesPerLine = 45;

// "begin 664 " and the file's name (its path's last part), with CR LF.
QByteArray beginLine(const QString& path);
// The data lines of `data`: full lines of 45 bytes, then one shorter line for what remains (none when
// nothing remains), each with CR LF. A file goes through in pieces whose sizes are multiples of 45
// except the last, so no empty data line ever stands before the end.
QByteArray dataLines(QByteArrayView data);
// One data line of at most 63 bytes without its line end; empty for more.
QByteArray line(QByteArrayView bytes);
// The closing "`" and "end" lines.
QByteArray endLines();
} // namespace UUEncode

// The whole block of one file. nullopt, with the reason in `error`, when it cannot be read.
std::optional<QByteArray> UUEncodeFile(const QString& path, QString* error = nullptr);

} // namespace mail
