#include "main_window/BackupSetList.h"

#include <algorithm>
#include <optional>

#include <QDir>
#include <QFile>

#include "core/DocumentValues.h"
#include "core/ErrorReport.h"
#include "core/NextRunTime.h"
#include "core/ProjectTextCoding.h"
#include "core/SetDocument.h"
#include "core/SetDocumentParser.h"
#include "core/SetText.h"
#include "main_window/FileViewRows.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"

namespace main_window
{
namespace
{
std::optional<QString> readDocument(const QString& path, QString& problem)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return core::DecodeProjectText(bytes);
    }
    problem = QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString());
    return std::nullopt;
}

// Sorted as people read names, with a fixed order for names that differ only in letter case.
bool nameOrder(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}
} // namespace

SetListRow setListRow(const QString& name, const QString& text, const QDateTime& now)
{
    SetListRow row;
    row.name = name;
    row.cells = QStringList(SetColumnCount, QString());
    const auto setCell = [&row](SetColumn column, const QString& value) { row.cells[column - 1] = value; };

    const core::ParseResult result = core::parseSetDocument(text);
    if (result.parsed) {
        const core::BackupSetInfo& set = result.parsed->set;
        const QString stats = core::sectionText(text, QStringLiteral("STATS"));
        const auto orUnknown = [](const QString& value) { return value.isEmpty() ? QStringLiteral("Unknown") : value; };
        setCell(ItemTypeColumn,
                core::ExtractItem(stats, QStringLiteral("ItemType")) == QLatin1String("1") ? QStringLiteral("Restore")
                                                                                           : QStringLiteral("Backup"));
        setCell(LastRunTimeColumn, core::ExtractItem(stats, QStringLiteral("LastRunTime")));
        setCell(DurationColumn, core::ExtractItem(stats, QStringLiteral("Duration")));
        setCell(NextLocationColumn, core::nextLocation(set));
        setCell(StatusColumn, orUnknown(core::ExtractItem(stats, QStringLiteral("Status"))));
        setCell(CreationTimeColumn, orUnknown(core::ExtractItem(stats, QStringLiteral("CreationTime"))));
    } else {
        row.valid = false;
        row.problem = text.isEmpty() ? QStringLiteral("The document is empty.") : result.reason;
        setCell(ItemTypeColumn, QStringLiteral("Unknown"));
        setCell(NextLocationColumn, QStringLiteral("Invalid file"));
    }

    // A damaged document with a running schedule still shows when it is due.
    const QString scheduler
        = core::ExtractItem(core::sectionText(text, QStringLiteral("GENERAL")), QStringLiteral("Scheduler"));
    if (core::truthValue(scheduler.isEmpty() ? QStringLiteral("0") : scheduler).value_or(false))
        setCell(NextRunTimeColumn, core::CalculateDate(core::sectionText(text, QStringLiteral("SCHEDULER")), now));
    return row;
}

SetListing LoadBackupSets(int Id)
{
    const QString location = QStringLiteral("frmMain.LoadBackupSets(Id)");
    const QDir data(platform::ProgramFolder::file(QStringLiteral("data")));
    QStringList names;
    for (const QString& name : data.entryList(QDir::Files)) {
        // Loading, running and saving all use <name>.sbd: "Upper.SBD" could be listed but never loaded.
        if (name.size() > 4 && name.endsWith(QLatin1String(".sbd")))
            names << name;
    }
    std::sort(names.begin(), names.end(), nameOrder);

    const QDateTime now = platform::clock().now();
    SetListing listing;
    listing.rows.reserve(names.size());
    for (const QString& fileName : names) {
        const QString setName = fileName.chopped(4);
        QString problem;
        const std::optional<QString> text = readDocument(data.filePath(fileName), problem);
        SetListRow row = setListRow(setName, text.value_or(QString()), now);
        if (!text)
            row.problem = problem;
        if (!row.valid)
            core::reportFailure(location, {Id}, core::err::InvalidArgument,
                                QStringLiteral("The set \"%1\" cannot be listed: %2").arg(setName, row.problem));
        listing.rows.append(row);
    }
    if (!listing.rows.isEmpty())
        listing.selectedRow = Id >= 1 && Id <= listing.rows.size() ? Id - 1 : 0;
    return listing;
}

void deleteSetFiles(const QString& setName)
{
    for (const QString& path :
         {core::setDocumentPath(setName), fileListCachePath(setName), core::setFileListPath(setName)}) {
        QFile file(path);
        if (file.exists() && !file.remove()) {
            core::reportFailure(QStringLiteral("frmMain.mnuFileDelete_Click"), {}, core::err::PermissionDenied,
                                QStringLiteral("%1 cannot be deleted: %2").arg(path, file.errorString()));
        }
    }
}

} // namespace main_window
