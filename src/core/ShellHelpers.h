#pragma once

#include <QString>

namespace core
{

// The message for a code of 32 or less ("" above 32), shown as a critical box titled "Error:"
// when `show` is set.
QString ShowShellExecuteError(qint32 code, bool show);

// Service mode is supported on this platform.
bool IsNTCompatible();
// The system the program runs on, as the log names it: "Debian GNU/Linux 12 (bookworm)".
QString SystemName();

} // namespace core
