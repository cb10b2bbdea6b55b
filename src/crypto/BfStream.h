#pragma once

#include <span>

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include "crypto/BfFormat.h"
#include "crypto/Blowfish.h"
#include "crypto/CipherResult.h"

namespace crypto
{

// Bytes are transformed in chunks of this size, with a pass of the event loop between chunks.
inline constexpr qint64 ChunkLength = 1 << 20;

// Hears of the blocks a transform has done, so that a caller can report progress without the
// transform calling out after every block.
class BlockObserver
{
public:
    virtual ~BlockObserver() = default;
    // Called after the block at `offset` of the `total` bytes of the .bf form, for the first block at or
    // beyond the offset it last returned (0 at the start); returns the next offset it wants to hear of.
    virtual qint64 blockDone(qint64 offset, qint64 total) = 0;
};

struct StreamOptions
{
    // Ends the work, writing nothing, once the program-wide stop request is seen.
    bool honourStop = false;
    BlockObserver* observer = nullptr;
};

// The readers a .bf form is tried with, in order: the first whose size descriptor holds reads it.
using Readers = std::span<const BlowfishCipher* const>;

// Writes the .bf form of the `plainLength` bytes that `source` delivers.
CipherResult encryptStream(QIODevice& source, qint64 plainLength, QIODevice& target, const BlowfishCipher& cipher,
                           HeaderValues header, const StreamOptions& options = {});
// Writes the plain bytes of the `total` bytes of .bf form that `source` delivers. The size descriptor is
// checked before anything is written.
CipherResult decryptStream(QIODevice& source, qint64 total, QIODevice& target, Readers readers,
                           const StreamOptions& options = {});

// In memory: on success `bytes` holds the result, on failure it is left as it was.
CipherResult encryptBytesWith(QByteArray& bytes, const BlowfishCipher& cipher, HeaderValues header,
                              const StreamOptions& options = {});
CipherResult decryptBytesWith(QByteArray& bytes, Readers readers, const StreamOptions& options = {});

// Files: the target is written under a temporary name beside it and renamed into place only when whole,
// so a failure never leaves a partial target and never removes an existing one. It takes the source's
// permission bits and modification time.
CipherResult encryptFileWith(const QString& source, const QString& target, const BlowfishCipher& cipher,
                             HeaderValues header, const StreamOptions& options = {});
CipherResult decryptFileWith(const QString& source, const QString& target, Readers readers,
                             const StreamOptions& options = {});

} // namespace crypto
