#pragma once

#include <optional>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include "platform/Result.h"
#include "platform/RunContext.h"
#include "platform/ZipReader.h"
#include "restore/cUnzip.h"

namespace platform
{
class PendingFile;
}

namespace restore
{

// Unpacks one entry into `out`, which it opens: whole and with its CRC matched, or not at all
// (`out` is then discarded). The written file gets the entry's date and permission bits, readable
// by its owner so that it can be placed. Between chunks the run yields and is asked for a stop.
// An entry too large for the free space is not begun. The result's entry and target are left to the
// caller; Written, Damaged, Failed or Stopped. `read`, when given, receives how the read ended.
UnzipResult unpackEntry(platform::ZipReader& reader, const platform::ZipEntryInfo& entry, platform::PendingFile& out,
                        platform::RunContext& run, const QByteArray& password = QByteArray(),
                        platform::ZipReadStatus* read = nullptr);

// The file entries of one archive by the relative path each is unpacked at, so that chosen ones go
// straight beside their targets and the others are never written.
class ArchiveEntries
{
public:
    // Without folder names every entry is known by its name alone. Fails for an archive that
    // cannot be read, saying why.
    platform::Result open(const QString& archive, bool useFolderNames);
    // Entries no file may come from (names that leave the folder, links, devices), with why; their
    // target is empty.
    const QList<UnzipResult>& refused() const { return m_refused; }
    // The entry unpacked at `relative` (the last one of that path); nothing when there is none.
    std::optional<platform::ZipEntryInfo> find(const QString& relative) const;
    UnzipResult unpack(const platform::ZipEntryInfo& entry, platform::PendingFile& out, platform::RunContext& run)
    {
        return unpackEntry(m_reader, entry, out, run);
    }

private:
    platform::ZipReader m_reader;
    QHash<QString, qsizetype> m_byPath;
    QList<UnzipResult> m_refused;
};

} // namespace restore
