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
    // For each destination row, the document's DEST section it was filled from; 0, or no entry, for a
    // row added in the window.
    QList<int> destinationSlots;
};

struct RebuiltDocument
{
    // The new document text; nothing when the pages cannot be written into it.
    std::optional<QString> text;
    QString reason;
};

// The loaded document `text` with the pages written into it. The text is edited in place, so that
// what the pages do not hold stays as it stands: other sections and lines, destinations of no known
// kind (in their place among the others), keys of a destination section that its row does not know.
//
// A value is written only when it differs from what the pages showed once filled (`shown`): a value
// the pages could not show, or a schedule kept while the scheduler is off, keeps its stored text
// until the user changes it. A value is written where the loader reads it, its key and its section
// added when the document lacks them; with time stamps on, time-stamp values the document lacks are
// written too, and so is the shown start of a schedule switched on here whose stored start does not
// read. FILES holds the checked paths, each with the values recorded for it in
// `recordedFiles`; VERSIONS holds `versions`; the DEST sections follow the rows, and
// CurrentDestination follows the destination it named.
//
// Refused, with the reason, when sections of the document lie inside one another, or when the new
// text would not load or would not give back every value written into it.
RebuiltDocument rebuildSetDocument(const QString& text, const SettingsPages& pages, const SettingsPages& shown,
                                   const QStringList& recordedFiles, const QStringList& versions);

} // namespace editors
