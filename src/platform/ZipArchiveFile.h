#pragma once

#include <QString>

#include <zip.h>

namespace platform
{

// Unflushed archive bytes held in memory while an archive is written.
inline constexpr qsizetype ZipArchiveBufferSize = 1024 * 1024;

// A libzip source for the archive file at `path`, to open with zip_open_from_source. It reads an
// existing archive through libzip's own file source. It writes a temporary file beside the archive and
// renames it over the archive only when libzip commits; a rollback, or a source freed before it
// committed, removes it. Writes are buffered: libzip rewrites each entry's header once the entry's data
// is written, and while that header is still in the buffer the rewrite costs no system call. The new
// archive keeps an existing archive's permission bits, else it gets 0666 less the umask.
// Null with `error` set when the source cannot be made. `writeError`, when given, receives the system's
// error number of the first write, close or rename of the new archive that failed (libzip's own error
// can lose it on the way out of zip_close).
zip_source_t* zipArchiveFileSource(const QString& path, zip_error_t* error, qsizetype bufferSize = ZipArchiveBufferSize,
                                   int* writeError = nullptr);

// zip_open through zipArchiveFileSource: null with *errorCode set to a ZIP_ER_ code on failure.
zip_t* openZipArchive(const QString& path, int flags, int* errorCode, int* writeError = nullptr);

} // namespace platform
