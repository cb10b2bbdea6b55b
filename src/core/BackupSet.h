#pragma once

#include <array>
#include <optional>

#include <QString>

namespace core
{

// The stored codes below are the numbers the set document and the version lines hold. A document may
// hold a number none of them names; the field keeps it, so the run can report it and a rewrite keeps it.

// Where a destination delivers to.
enum class DestinationType : int
{
    Unused = 0,
    Folder = 1,
    Ftp = 2,
    Email = 3,
};

// How a run packs the files it delivers.
enum class CompressionMode : int
{
    EachFile = 0,
    OneArchive = 1,
    ArchivePerFile = 2,
};

// Whether delivered files are enciphered.
enum class ProtectionMode : int
{
    None = 0,
    Blowfish = 1,
};

// How a run walks the destinations.
enum class RotationMode : int
{
    Unset = 0,
    OneAtATime = 1,
    EveryDestination = 2,
};

template <typename Code>
constexpr int storedCode(Code code)
{
    return static_cast<int>(code);
}

template <typename Code>
constexpr Code fromStoredCode(int number)
{
    return static_cast<Code>(number);
}

// One destination of a set.
struct DestinationInfo
{
    DestinationType Type = DestinationType::Unused;
    QString LocalFolder;
    QString FTPHost;
    QString FTPPort;
    QString FTPUser;
    // Held as typed; the document stores it scrambled.
    QString FTPPass;
    QString FTPFolder;
    bool FTPPassive = false;
    QString EmailID;
    QString Subject;
    QString Body;
};

// The schedule of a set.
struct ScheduleInfo
{
    bool Scheduler = false;
    // First run date in the short date form of DateText.
    QString StartDate;
    // "hh:mm:ss".
    QString StartTime;
    bool Repeat = false;
    // 0 daily, 1 weekly, 2 monthly.
    int SAccurancy = 0;
    // Weekly: day keys "mon".."sun"; monthly: day numbers; joined by ",".
    QString Period;
    bool RunOnStart = false;
    bool RunOnEnd = false;
};

// Destination slots are numbered from 1; slot 0 is never used.
inline constexpr int MaxDestinations = 30;

// One backup set, as its document holds it plus the working values of the delivery under way.
struct BackupSetInfo
{
    QString ItemName;
    // 1 a restore item, anything else a backup item.
    int ItemType = 0;
    QString Exclude;
    QString Include;
    bool ExcludeFolders = false;
    int Destination = 0;
    QString LastFolder;

    // Working values of the destination a run has just delivered to; never stored.
    DestinationType RunDestType = DestinationType::Unused;
    QString RunLanFolder;
    QString RunFtpHost;
    QString RunFtpUser;
    QString RunFtpPassword;
    QString RunFtpFolder;
    QString RunFtpPort;

    // 0 full, 1 incremental.
    int BackupType = 0;
    bool UseTimeStamp = false;
    // Time-stamp accuracy: 0 month, 1 day, 2 hour, 3 minute.
    int Accurancy = 0;
    QString TimeStampFormat;
    int FormatIndex = 0;
    // 0 keep all versions, 1 keep the last KeepVersions, 2 keep for a period.
    int DeleteBackups = 0;
    int KeepVersions = 0;
    // The keeping period of rule 2; held in memory only.
    int KeepQuantity = 0;
    int KeepPeriodAccurancy = 0;
    CompressionMode Compression = CompressionMode::EachFile;
    // Blowfish: delivered files are enciphered and named with ".bf" appended.
    ProtectionMode ProtectData = ProtectionMode::None;
    QString BFPassword;
    QString ZIPName;
    QString Quality;
    bool Ran = false;
    int ArchiveCount = 0;
    bool LoadFailed = false;
    ScheduleInfo Schedule;
    bool Incremental = false;
    // Slots 1 to DestCount hold the destinations in list order.
    std::array<DestinationInfo, MaxDestinations + 1> Dest {};
    int DestCount = 0;
    // OneAtATime: each run delivers to one destination and moves on; EveryDestination: to every one.
    RotationMode RotationType = RotationMode::Unset;
    // 1-based slot the next run starts with.
    int CurrentDestination = 0;
};

// The most bytes a set name can take: it becomes a file name in data/ with up to "RESTORE.lst"
// appended, and files are replaced through a temporary name seven bytes longer, all within the 255
// bytes the file systems we run on allow.
inline constexpr qsizetype MaxSetNameBytes = 255 - 11 - 7;

// Why a set name cannot name a document, or nothing when it can. The name becomes a file name in
// data/, with ".sbd", ".bak", ".lst" or "RESTORE.lst" appended.
std::optional<QString> setNameError(const QString& name);

// Why `name` cannot name a set's single archive, or nothing when it can: it must be a bare file name,
// since the archive is written to the run's work folder and delivered under that name, and it must
// not hold "|", which separates the fields of the version lines that carry it.
std::optional<QString> archiveNameError(const QString& name);

// Why `password` cannot protect a set, or nothing when it can: version lines carry it too.
std::optional<QString> setPasswordError(const QString& password);

// Where the set's next run delivers, as the set list's "Next location" column shows it: the kind of
// the current destination ("Local/LAN", "FTP", "Email"), or for a set that delivers to every
// destination "All (" and their kinds in order of first appearance, such as "All (LAN, FTP)". Empty
// when the current destination names no slot of a known kind.
QString nextLocation(const BackupSetInfo& set);

} // namespace core
