#include "core/SetDocumentParser.h"

#include "core/DocumentValues.h"
#include "core/ErrorReport.h"
#include "core/ScramblePassword.h"
#include "core/SetText.h"
#include "core/WildcardMatch.h"

namespace core
{
namespace
{
// Reads the values of one section; the first value that cannot be read is kept as the failure, and
// later reads give defaults.
class SectionReader
{
public:
    SectionReader(const QString& document, const QString& section, ParseResult& result)
        : m_section(section)
        , m_text(sectionText(document, section))
        , m_result(result)
    { }

    bool isEmpty() const { return m_text.trimmed().isEmpty(); }

    QString text(const QString& key) const { return core::ExtractItem(m_text, key); }

    int number(const QString& key)
    {
        const QString value = text(key);
        if (const std::optional<int> n = leadingNumber(value))
            return *n;
        fail(core::err::Overflow, key, value, QStringLiteral("is too large"));
        return 0;
    }

    bool flag(const QString& key) { return number(key) != 0; }

    int whole(const QString& key)
    {
        const QString value = text(key);
        if (const std::optional<int> n = wholeNumber(value))
            return *n;
        fail(core::err::TypeMismatch, key, value, QStringLiteral("is not a whole number"));
        return 0;
    }

    bool truth(const QString& key)
    {
        const QString value = text(key);
        if (const std::optional<bool> b = truthValue(value))
            return *b;
        fail(core::err::TypeMismatch, key, value, QStringLiteral("is neither True, False nor a number"));
        return false;
    }

    void requirePresent()
    {
        if (isEmpty())
            failWith(core::err::InvalidArgument,
                     QStringLiteral("The set document has no %1 section, or it is empty.").arg(m_section));
    }

private:
    void fail(qint32 number, const QString& key, const QString& value, const QString& why)
    {
        failWith(number,
                 QStringLiteral("The value \"%1\" of %2 in the %3 section %4.").arg(value, key, m_section, why));
    }

    void failWith(qint32 number, const QString& reason)
    {
        if (!m_result.reason.isEmpty())
            return;
        m_result.reason = reason;
        m_result.number = number;
    }

    QString m_section;
    QString m_text;
    ParseResult& m_result;
};

void readDestination(const QString& document, int n, core::DestinationInfo& dest, ParseResult& result)
{
    SectionReader section(document, QStringLiteral("DEST") + QString::number(n), result);
    // Only the three known kinds fill a slot; anything else leaves it unused.
    const QString type = section.text(QStringLiteral("Type"));
    if (type == QLatin1String("1")) {
        dest.Type = core::DestinationType::Folder;
        dest.LocalFolder = section.text(QStringLiteral("LocalFolder"));
    } else if (type == QLatin1String("2")) {
        dest.Type = core::DestinationType::Ftp;
        dest.FTPHost = section.text(QStringLiteral("FTPHost"));
        dest.FTPPort = section.text(QStringLiteral("FTPPort"));
        dest.FTPUser = section.text(QStringLiteral("FTPUser"));
        dest.FTPPass = core::ScramblePassword(section.text(QStringLiteral("FTPPass")));
        dest.FTPFolder = section.text(QStringLiteral("FTPFolder"));
        dest.FTPPassive = section.truth(QStringLiteral("FTPPassive"));
    } else if (type == QLatin1String("3")) {
        dest.Type = core::DestinationType::Email;
        dest.EmailID = section.text(QStringLiteral("EmailID"));
        dest.Subject = section.text(QStringLiteral("Subject"));
        dest.Body = section.text(QStringLiteral("Body"));
    }
}
} // namespace

QString sectionText(const QString& text, const QString& section)
{
    return core::sectionLines(text, section).join(QStringLiteral("\r\n"));
}

ParseResult parseSetDocument(const QString& text)
{
    ParseResult result;
    ParsedSet parsed;
    core::BackupSetInfo& set = parsed.set;

    SectionReader stats(text, QStringLiteral("STATS"), result);
    stats.requirePresent();
    set.Ran = stats.flag(QStringLiteral("Ran"));
    set.ArchiveCount = stats.number(QStringLiteral("ArchiveCount"));
    set.CurrentDestination = stats.whole(QStringLiteral("CurrentDestination"));

    SectionReader general(text, QStringLiteral("GENERAL"), result);
    general.requirePresent();
    set.ItemName = general.text(QStringLiteral("ItemName"));
    set.ItemType = general.number(QStringLiteral("ItemType"));
    set.Exclude = general.text(QStringLiteral("Exclude"));
    set.Include = general.text(QStringLiteral("Include"));
    set.ExcludeFolders = general.flag(QStringLiteral("ExcludeFolders"));
    set.Destination = general.number(QStringLiteral("Destination"));
    set.LastFolder = general.text(QStringLiteral("LastFolder"));
    set.BackupType = general.number(QStringLiteral("BackupType"));
    set.UseTimeStamp = general.flag(QStringLiteral("UseTimeStamp"));
    set.Compression = core::fromStoredCode<core::CompressionMode>(general.number(QStringLiteral("Compression")));
    set.ProtectData = core::fromStoredCode<core::ProtectionMode>(general.number(QStringLiteral("ProtectData")));
    set.BFPassword = general.text(QStringLiteral("BFPassword"));
    set.ZIPName = general.text(QStringLiteral("ZIPName"));
    set.Quality = general.text(QStringLiteral("Quality"));
    set.Schedule.Scheduler = general.truth(QStringLiteral("Scheduler"));
    // The stored Incremental is never taken over: the backup type decides.
    set.Incremental = false;
    set.DestCount = general.whole(QStringLiteral("DestCount"));
    set.RotationType = core::fromStoredCode<core::RotationMode>(general.whole(QStringLiteral("RotationType")));

    // The time-stamp values are kept even while time stamps are off, so that the editors show and
    // save them as they were; only a set that uses them needs them whole.
    ParseResult ignored;
    SectionReader timestamp(text, QStringLiteral("TIMESTAMP"), set.UseTimeStamp ? result : ignored);
    if (set.UseTimeStamp)
        timestamp.requirePresent();
    if (set.UseTimeStamp || !timestamp.isEmpty()) {
        set.Accurancy = timestamp.whole(QStringLiteral("Accurancy"));
        set.TimeStampFormat = timestamp.text(QStringLiteral("TimeStampFormat"));
        set.FormatIndex = timestamp.whole(QStringLiteral("FormatIndex"));
        set.DeleteBackups = timestamp.whole(QStringLiteral("DeleteBackups"));
        set.KeepVersions = timestamp.whole(QStringLiteral("KeepVersions"));
    }

    SectionReader scheduler(text, QStringLiteral("SCHEDULER"), result);
    scheduler.requirePresent();
    set.Schedule.StartDate = scheduler.text(QStringLiteral("StartDate"));
    set.Schedule.StartTime = scheduler.text(QStringLiteral("StartTime"));
    set.Schedule.Repeat = scheduler.truth(QStringLiteral("Repeat"));
    set.Schedule.SAccurancy = scheduler.whole(QStringLiteral("SAccurancy"));
    set.Schedule.Period = scheduler.text(QStringLiteral("Period"));
    set.Schedule.RunOnStart = scheduler.truth(QStringLiteral("RunOnStart"));
    set.Schedule.RunOnEnd = scheduler.truth(QStringLiteral("RunOnEnd"));

    if (result.reason.isEmpty() && (set.DestCount < 0 || set.DestCount > core::MaxDestinations)) {
        result.reason = QStringLiteral("The set document names %1 destinations; a set has 0 to %2.")
                            .arg(set.DestCount)
                            .arg(core::MaxDestinations);
        result.number = core::err::SubscriptOutOfRange;
    }
    if (!result.reason.isEmpty())
        return result;
    for (int n = 1; n <= set.DestCount; ++n)
        readDestination(text, n, set.Dest[static_cast<size_t>(n)], result);
    if (!result.reason.isEmpty())
        return result;

    parsed.files = core::sectionLines(text, QStringLiteral("FILES"));
    parsed.versions = core::sectionLines(text, QStringLiteral("VERSIONS"));
    parsed.excludes = core::excludeMasks(set.Exclude);
    result.parsed = std::move(parsed);
    return result;
}

} // namespace core
