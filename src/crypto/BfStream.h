#pragma once

#include <span>

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include "crypto/BfFormat.h"
#include "crypto/Blowfish.h"
#include "crypto/CipherResult.h"
#include "platform/RunContext.h"

namespace crypto
{

// Bytes are transformed in chunks of this size; the run yields between chunks and, when it asks to
// stop, the work ends writing nothing. The run is shown the percent of the .bf form done each time
// a block passes the next whole percent (halves of the exact mark rounded to the even neighbour).
inline constexpr qint64 ChunkLength = 1 << 20;

// The readers a .bf form is tried with, in order: the first whose size descriptor holds reads it.
using Readers = std::span<const BlowfishCipher* const>;

// Writes the .bf form of the `plainLength` bytes that `source` delivers.
CipherResult encryptStream(QIODevice& source, qint64 plainLength, QIODevice& target, const BlowfishCipher& cipher,
                           HeaderValues header, platform::RunContext& run = platform::unwatchedRun());
// Writes the plain bytes of the `total` bytes of .bf form that `source` delivers. The size descriptor is
// checked before anything is written.
CipherResult decryptStream(QIODevice& source, qint64 total, QIODevice& target, Readers readers,
                           platform::RunContext& run = platform::unwatchedRun());

// In memory: on success `bytes` holds the result, on failure it is left as it was.
CipherResult encryptBytesWith(QByteArray& bytes, const BlowfishCipher& cipher, HeaderValues header,
                              platform::RunContext& run = platform::unwatchedRun());
CipherResult decryptBytesWith(QByteArray& bytes, Readers readers, platform::RunContext& run = platform::unwatchedRun());

// Files: the target is written as a new file beside it (platform::PendingFile) that takes its name only
// when whole, so a failure never leaves a partial target and never removes an existing one; a target
// that cannot be written fails with the system's reason. It takes the source's permission bits and
// modification time.
CipherResult encryptFileWith(const QString& source, const QString& target, const BlowfishCipher& cipher,
                             HeaderValues header, platform::RunContext& run = platform::unwatchedRun());
CipherResult decryptFileWith(const QString& source, const QString& target, Readers readers,
                             platform::RunContext& run = platform::unwatchedRun());

} // namespace crypto
