#pragma once

#include <QString>

namespace core
{

// The symmetric scrambling of stored passwords: bit 7 of every character up to U+00FF is flipped,
// other characters stay. Applying it twice gives the text back.
QString ScramblePassword(const QString& password);

} // namespace core
