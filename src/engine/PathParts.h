#pragma once

#include <QString>

namespace engine
{

class clsFileInfo;

// Path pieces of the incremental index. They take "/" and the "\" of stored Windows forms alike.

// `S` up to and including its last "/" or "\"; "" when it has none.
QString fileDir(const QString& S);
// The part of `S` after its last "/" or "\"; `S` itself when it has none.
QString FileName(const QString& S);
// The lower-cased text after the last "." of the last part; "" without one, and for a name whose
// only dot is its first character (".bashrc").
QString fileExt(const QString& S);
// `S` with `sl` appended unless it already ends in it.
QString addSlash(const QString& S, const QString& sl);

// FTP transfer-type codes.
inline constexpr int TransferAscii = 1;
inline constexpr int TransferImage = 2;

// Image unless the file's extension is in `asciiExtensions`; a name in `exceptions` takes the other
// type. A table that is missing counts as empty.
int setTransferType(const QString& FName, const clsFileInfo* asciiExtensions = nullptr,
                    const clsFileInfo* exceptions = nullptr);

} // namespace engine
