#pragma once

#include <optional>

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include "platform/Result.h"
#include "platform/RunContext.h"
#include "platform/ZipReader.h"

namespace restore
{

class OverwriteQuestion;

// What became of one archive entry during Unzip.
enum class UnzipOutcome
{
    // Written below the extraction folder.
    Written,
    // Read and checked only (TestZip).
    Tested,
    // A file of that name was there and stays (not newer, or not to be replaced).
    Kept,
    // Not written because it is unsafe: a name that leaves the folder, a link, a device, or a
    // folder on its way that is a link.
    Refused,
    // CRC or unpack error, a truncated entry, a missing or wrong password.
    Damaged,
    // It could not be written (a full disk, a folder in the way).
    Failed,
    // A stop was requested while this entry was under way.
    Stopped,
};

// What became of one entry; it starts as a failure.
struct UnzipResult
{
    // The entry's name as stored in the archive.
    QString entry;
    // Where it was (or would have been) written; empty when the name was refused.
    QString target;
    UnzipOutcome outcome = UnzipOutcome::Failed;
    // Why it was not written, for the user.
    QString reason;

    // Written, tested or kept.
    bool succeeded() const
    {
        return outcome == UnzipOutcome::Written || outcome == UnzipOutcome::Tested || outcome == UnzipOutcome::Kept;
    }
};

// The unzip wrapper: an archive, an extraction folder, the extraction options and an optional
// listing of the archive's entries with a selection.
//
// Every write goes to a temporary file in its folder that takes the entry's name only once the
// entry has been read whole and its CRC matched, so a damaged entry or a stop leaves no partial
// file and an existing file is never half replaced. Nothing is written outside the extraction
// folder: names that leave it, links and devices are refused and listed in Results().
//
// Entries are streamed in chunks of about 1 MiB; between chunks the run context yields once and is
// asked for a stop, so the unpacking stops within a chunk. Progress lines go to its status.
class cUnzip : public QObject
{
    Q_OBJECT

public:
    explicit cUnzip(QObject* parent = nullptr);
    ~cUnzip() override;

    // What happens to a file that is already where an entry goes: with ExtractOnlyNewer it is kept
    // unless the entry is newer. Then OverwriteExisting replaces it, PromptToOverwrite asks the
    // overwrite question (without one it is kept), ExtractOnlyNewer alone replaces it, and with none
    // of them it is kept.
    bool ExtractOnlyNewer() const { return m_extractOnlyNewer; }
    void setExtractOnlyNewer(bool bState) { m_extractOnlyNewer = bState; }
    // Blanks in the written names become "_".
    bool SpaceToUnderScore() const { return m_spaceToUnderScore; }
    void setSpaceToUnderScore(bool bState) { m_spaceToUnderScore = bState; }
    bool PromptToOverwrite() const { return m_promptToOverwrite; }
    void setPromptToOverwrite(bool bState) { m_promptToOverwrite = bState; }
    // 0 reports every entry as a status line, 1 only the problems, 2 and above nothing.
    qint32 MessageLevel() const { return m_messageLevel; }
    void setMessageLevel(qint32 eLevel) { m_messageLevel = eLevel; }
    // Reads and checks the selected entries without writing anything.
    bool TestZip() const { return m_testZip; }
    void setTestZip(bool bState) { m_testZip = bState; }
    // Writes entries below their folders; without it every file goes straight into UnzipFolder.
    bool UseFolderNames() const { return m_useFolderNames; }
    void setUseFolderNames(bool bState) { m_useFolderNames = bState; }
    // Asked with PromptToOverwrite; "Yes to All" and "No to All" hold for the rest of one Unzip,
    // any answer but Yes keeps the file.
    void setOverwriteQuestion(OverwriteQuestion* question) { m_question = question; }
    bool OverwriteExisting() const { return m_overwriteExisting; }
    void setOverwriteExisting(bool bState) { m_overwriteExisting = bState; }
    // Kept for callers; entries are always written byte for byte.
    bool ConvertCRToCRLF() const { return m_convertCRToCRLF; }
    void setConvertCRToCRLF(bool bState) { m_convertCRToCRLF = bState; }
    // Kept for callers; names always compare exactly.
    bool CaseSensitiveFileNames() const { return m_caseSensitiveFileNames; }
    void setCaseSensitiveFileNames(bool bState) { m_caseSensitiveFileNames = bState; }

    // The listing, filled by Directory(); entries are numbered from 1. An index outside
    // 1..FileCount() raises "Subscript out of range" through ErrorIn and gives an empty value.
    qint64 FileCount() const { return m_listing.size(); }
    QString Filename(qint64 lIndex) const { return fieldAt(lIndex, "Filename", &Entry::name); }
    // The entry's folder inside the archive, with "/" separators; "" for none.
    QString FileDirectory(qint64 lIndex) const { return fieldAt(lIndex, "FileDirectory", &Entry::folder); }
    qint64 FileSize(qint64 lIndex) const { return fieldAt(lIndex, "FileSize", &Entry::size); }
    qint64 FilePackedSize(qint64 lIndex) const { return fieldAt(lIndex, "FilePackedSize", &Entry::packedSize); }
    // The packed size in percent of the size (100 for an empty entry).
    qint64 FileCompressionRatio(qint64 lIndex) const;
    QDateTime FileDate(qint64 lIndex) const { return fieldAt(lIndex, "FileDate", &Entry::date); }
    quint32 FileCRC(qint64 lIndex) const { return fieldAt(lIndex, "FileCRC", &Entry::crc); }
    QString FileCompressionMethod(qint64 lIndex) const
    {
        return fieldAt(lIndex, "FileCompressionMethod", &Entry::method);
    }
    bool FileEncrypted(qint64 lIndex) const { return fieldAt(lIndex, "FileEncrypted", &Entry::encrypted); }
    bool FileSelected(qint64 lIndex) const { return fieldAt(lIndex, "FileSelected", &Entry::selected); }
    void setFileSelected(qint64 lIndex, bool bState);

    // Lists the archive's file entries (folders are not listed), every one selected; a listing
    // made before is replaced. Returns 0; on failure the listing is empty and ArchiveError() says why.
    qint32 Directory();

    // Writes the selected entries below UnzipFolder(): every entry, folders too, when there is no
    // listing or everything is selected. It succeeds when the archive could be read and every entry
    // was written, tested or kept, and is a stop when `run` asked for one; Results() lists what
    // became of each entry and ArchiveError() why the archive could not be read.
    platform::Result Unzip(platform::RunContext& run = platform::unwatchedRun());

    QString UnzipFolder() const { return m_unzipFolder; }
    void setUnzipFolder(const QString& sFolder) { m_unzipFolder = sFolder; }
    QString ZipFile() const { return m_zipFile; }
    // Also drops the listing.
    void setZipFile(const QString& sFile);

    // The unzip library's version; dDate is left as it is, sExtraInfo becomes "".
    void GetVersion(qint32& lMajor, qint32& lMinor, qint32& lRevision, QDateTime& dDate, QString& sExtraInfo) const;

    const QList<UnzipResult>& Results() const { return m_results; }
    QString ArchiveError() const { return m_archiveError; }

signals:
    // An entry is encrypted; the answer is trimmed, and an empty answer or bCancel leaves every
    // further encrypted entry of this Unzip unread.
    void PasswordRequest(QString& sPassword, bool& bCancel);

private:
    struct Entry
    {
        qint64 archiveIndex = 0;
        QString name;
        QString folder;
        qint64 size = 0;
        qint64 packedSize = 0;
        QString method;
        QDateTime date;
        quint32 crc = 0;
        bool encrypted = false;
        bool selected = true;
    };
    struct Pass;

    const Entry* entryAt(qint64 lIndex, const char* property) const;
    template <class Value>
    Value fieldAt(qint64 lIndex, const char* property, Value Entry::*field) const
    {
        const Entry* entry = entryAt(lIndex, property);
        return entry ? entry->*field : Value();
    }
    // Nothing for a folder entry that has no folder to make.
    std::optional<UnzipResult> unpackEntry(Pass& pass, const platform::ZipEntryInfo& entry);
    UnzipResult writeFile(Pass& pass, const platform::ZipEntryInfo& entry, const QString& target);
    // Reads the entry whole through `sink`, yielding and looking for a stop between chunks.
    platform::ZipReadStatus readEntry(Pass& pass, const platform::ZipEntryInfo& entry,
                                      const std::function<bool(const char*, qint64)>& sink);
    // A read that did not end well: stopped or damaged.
    void readFailed(Pass& pass, platform::ZipReadStatus status, UnzipResult& result);
    bool askOverwrite(Pass& pass, const platform::ZipEntryInfo& entry, const QString& target, QString& reason);
    bool passwordFor(Pass& pass);
    void report(Pass& pass, const UnzipResult& result);

    bool m_extractOnlyNewer = false;
    bool m_spaceToUnderScore = false;
    bool m_promptToOverwrite = false;
    qint32 m_messageLevel = 0;
    bool m_testZip = false;
    bool m_useFolderNames = false;
    bool m_overwriteExisting = false;
    bool m_convertCRToCRLF = false;
    bool m_caseSensitiveFileNames = false;

    OverwriteQuestion* m_question = nullptr;
    QString m_zipFile;
    QString m_unzipFolder;
    QList<Entry> m_listing;
    QList<UnzipResult> m_results;
    QString m_archiveError;
};

} // namespace restore
