#pragma once

#include <QString>

namespace ftp
{

// The text of an FTP reply code for error reports; empty for codes without one.
QString replyCodeText(int code);

} // namespace ftp
