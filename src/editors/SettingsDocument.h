#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "core/DestinationRowTag.h"

namespace editors
{

// What the properties window's pages hold, as the set document stores it. An option group with no
// choice is nothing, and its key keeps the stored value.
struct SettingsPages
{
    QString Exclude;
    QString Include;
    bool ExcludeFolders = true;
    std::optional<int> BackupType;
    std::optional<int> Compression;
    // 1 rotate, 2 every destination every time.
    std::optional<int> RotationType;
    bool UseTimeStamp = false;
    // The time-stamp values as the page's labels hold them.
    QString Accurancy;
    QString TimeStampFormat;
    QString FormatIndex;
    QString DeleteBackups;
    QString KeepVersions;
    QString KeepQuantity;
    QString KeepPeriodAccurancy;
    bool Incremental = false;
    std::optional<int> ProtectData;
    QString BFPassword;
    QString ZIPName;
    // The schedule as the pickers show it, whether or not the scheduler is on.
    bool Scheduler = false;
    QString StartDate;
    QString StartTime;
    bool Repeat = false;
    std::optional<int> SAccurancy;
    // Day keys or day numbers in list order, joined by ",".
    QString Period;
    // The checked sources in list order, and the destination rows in list order.
    QStringList checkedPaths;
    QList<core::DestinationRow> destinations;
};

struct RebuiltDocument
{
    // The new document text; nothing when the text cannot be rebuilt.
    std::optional<QString> text;
    QString reason;
};

// The loaded document with the pages written into it: the text up to and including the line
// "</SCHEDULER>" keeps its lines with the page keys rewritten (a key the text lacks is not added), and
// everything after it is rebuilt: FILES from the checked paths, each taking back the values recorded
// for it in `recordedFiles`, VERSIONS from `versions`, one DEST section per destination row. Every
// value stays on one line. A text without a "</SCHEDULER>" line is refused.
RebuiltDocument rebuildSetDocument(const QString& text, const SettingsPages& pages, const QStringList& recordedFiles,
                                   const QStringList& versions);

} // namespace editors
