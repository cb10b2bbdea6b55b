#include "engine/IncrementalIndex.h"

#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "core/DirList.h"
#include "core/ErrorReport.h"
#include "core/PathHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "engine/BackupRun.h"
#include "engine/FileSearch.h"
#include "engine/PathParts.h"
#include "platform/DateText.h"
#include "platform/EventLoop.h"
#include "platform/FileWriter.h"

namespace engine
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");
const QDate ZeroDate(1899, 12, 30);

QString dateLiteral(double value)
{
    const QDateTime dateTime = platform::fromDateValue(value);
    const QString time = dateTime.time().toString(QStringLiteral("HH:mm:ss"));
    if (dateTime.date() == ZeroDate)
        return time;
    const QString date = dateTime.date().toString(QStringLiteral("yyyy-MM-dd"));
    return dateTime.time() == QTime(0, 0) ? date : date + QLatin1Char(' ') + time;
}

std::optional<double> parseDateLiteral(const QString& text)
{
    static const QRegularExpression dateForm(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?: (.*))?$"));
    static const QRegularExpression timeForm(QStringLiteral("^(\\d{2}):(\\d{2}):(\\d{2})$"));
    QDate date = ZeroDate;
    QString timeText = text;
    if (const QRegularExpressionMatch match = dateForm.match(text); match.hasMatch()) {
        date = QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
        if (!date.isValid())
            return std::nullopt;
        if (!match.hasCaptured(4))
            return platform::toDateValue(date);
        timeText = match.captured(4);
    }
    const QRegularExpressionMatch match = timeForm.match(timeText);
    if (!match.hasMatch())
        return std::nullopt;
    const QTime time(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!time.isValid())
        return std::nullopt;
    return platform::toDateValue(QDateTime(date, time));
}

bool lineCanCarry(const QString& name)
{
    return !name.contains(QLatin1Char('"')) && !name.contains(QLatin1Char('\r')) && !name.contains(QLatin1Char('\n'));
}

// `"name",#date#`; the name holds no double quote, so the first one after the opening quote ends it.
std::optional<std::pair<QString, double>> parseLine(const QString& line)
{
    if (!line.startsWith(QLatin1Char('"')))
        return std::nullopt;
    const qsizetype close = line.indexOf(QLatin1Char('"'), 1);
    if (close < 0 || line.mid(close + 1, 2) != QLatin1String(",#") || !line.endsWith(QLatin1Char('#'))
        || line.size() < close + 4)
        return std::nullopt;
    const std::optional<double> date = parseDateLiteral(line.mid(close + 3, line.size() - close - 4));
    if (!date)
        return std::nullopt;
    return std::make_pair(line.mid(1, close - 1), *date);
}

// Modification times in whole seconds, as the index keeps them: a finer local date would always
// count as newer than its own entry read back.
double localModified(const QFileInfo& info)
{
    const QDateTime modified = info.lastModified();
    return platform::localDateValue(QDateTime::fromSecsSinceEpoch(modified.toSecsSinceEpoch(), Qt::UTC));
}

bool samePath(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() && QDir::cleanPath(a) == QDir::cleanPath(b);
}
} // namespace

QString IncrementalIndex::indexPath()
{
    const core::BackupSetInfo& set = core::state().CurrentSet;
    if (set.Destination != 0 || core::archiveNameError(set.ZIPName))
        return QString();
    const int slot = set.CurrentDestination;
    if (slot < 1 || slot > set.DestCount || slot > core::MaxDestinations)
        return QString();
    const core::DestinationInfo& dest = set.Dest[static_cast<size_t>(slot)];
    if (dest.Type != core::DestinationType::Folder || dest.LocalFolder.isEmpty())
        return QString();
    return addSlash(dest.LocalFolder, QStringLiteral("/")) + set.ZIPName + QStringLiteral(".ndx");
}

void IncrementalIndex::IncrementalBackupList(const QString& localFileSpec)
{
    localFileTable = clsFileInfo();
    remoteIndexTable = clsFileInfo();
    m_list.clear();

    static const QRegularExpression lineEnd(QStringLiteral("\r?\n"));
    for (const QString& line : localFileSpec.split(lineEnd)) {
        if (line.trimmed().isEmpty())
            continue;
        // A pattern without a folder would scan the root folder.
        if (fileDir(line).isEmpty()) {
            core::LogEvent(QStringLiteral("Incremental list: \"%1\" names no folder; skipped.").arg(line));
            continue;
        }
        currentFolder = addSlash(fileDir(line), QStringLiteral("/"));
        getLocalFiles(FileName(line));
    }

    m_list.reserve(static_cast<size_t>(localFileTable.RowCount()));
    for (qsizetype j = 0; j < localFileTable.RowCount(); ++j)
        m_list.push_back(Candidate {localFileTable.Filename(j), false});

    if (!getRemoteIndex())
        selectAllFiles();

    for (Candidate& item : m_list) {
        qsizetype local = 0;
        qsizetype indexed = 0;
        localFileTable.Exists(item.name, local);
        const double modified = localFileTable.OldDate(local);
        if (remoteIndexTable.Exists(item.name, indexed)) {
            if (modified > remoteIndexTable.OldDate(indexed)) {
                item.selected = true;
                remoteIndexTable.setNewDate(indexed, modified);
            }
        } else {
            item.selected = true;
            remoteIndexTable.additem(item.name, 0.0, modified);
        }
    }
}

bool IncrementalIndex::getRemoteIndex()
{
    if (!core::state().CurrentSet.Incremental)
        return false;
    const QString path = indexPath();
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        core::reportFailure(QStringLiteral("frmProcessing.getRemoteIndex"), {}, core::err::PathFileAccess,
                            QStringLiteral("Cannot read the index \"%1\": %2").arg(path, file.errorString()));
        return remoteIndexTable.RowCount() > 0;
    }

    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const auto row = parseLine(line);
        if (!row) {
            core::LogEvent(QStringLiteral("Index \"%1\": line %2 cannot be read and is skipped.").arg(path).arg(i + 1));
            continue;
        }
        remoteIndexTable.additem(row->first, row->second, row->second);
    }
    return remoteIndexTable.RowCount() > 0;
}

bool IncrementalIndex::uploadIndex()
{
    QByteArray bytes;
    for (qsizetype j = 0; j < remoteIndexTable.RowCount(); ++j) {
        const QString name = remoteIndexTable.Filename(j);
        if (!lineCanCarry(name)) {
            core::LogEvent(
                QStringLiteral("Index: \"%1\" holds a double quote or a line break and is left out.").arg(name));
            continue;
        }
        const QString line = QLatin1Char('"') + name + QStringLiteral("\",#") + dateLiteral(remoteIndexTable.NewDate(j))
            + QLatin1Char('#');
        bytes += line.toUtf8() + CrLf.toLatin1();
    }

    // Only a folder destination keeps an index; nothing transfers one to or from an FTP server.
    const QString path = indexPath();
    if (!core::state().CurrentSet.Incremental || path.isEmpty())
        return true;
    QString reason;
    if (!platform::fileWriter().replaceFile(path, bytes, reason)) {
        core::LogEvent(reason);
        core::reportFailure(QStringLiteral("frmProcessing.uploadIndex"), {}, core::err::PathFileAccess, reason);
        return false;
    }
    return true;
}

void IncrementalIndex::getLocalFiles(const QString& spec)
{
    const QString searchPath = currentFolder + spec;
    const QDir folder(currentFolder);
    if (!folder.exists()) {
        core::LogEvent(QStringLiteral("Incremental list: the folder \"%1\" cannot be read.").arg(currentFolder));
        return;
    }
    // Folders and regular files, as the file search takes them: no sockets, devices or dangling links.
    const QFileInfoList entries = folder.entryInfoList(QDir::Dirs | QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                                                       QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        if (!includePatternMatches(entry.fileName(), spec))
            continue;
        core::cDirItem item;
        item.Filename = entry.fileName();
        item.Directory = entry.isDir();
        item.LastWriteTime = localModified(entry);
        addLocalFile(item, searchPath);
    }
}

void IncrementalIndex::addLocalFile(const core::cDirItem& w, const QString& FilePath)
{
    const QString name = core::TrimNull(w.Filename);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return;
    QString path = fileDir(FilePath) + name;
    if (samePath(path, indexPath()))
        return;
    if (w.Directory)
        path += QStringLiteral("/*.*");
    localFileTable.additem(path, w.LastWriteTime, 0.0);
    platform::doEvents();
}

void IncrementalIndex::verifyLocalIndex()
{
    qsizetype j = 0;
    while (j < localIndexTable.RowCount()) {
        qsizetype n = 0;
        if (localFileTable.Exists(localIndexTable.Filename(j), n))
            ++j;
        else
            localIndexTable.RemoveItem(localIndexTable.Filename(j));
    }
}

void IncrementalIndex::selectAllFiles()
{
    for (size_t i = 0; i < m_list.size(); ++i) {
        const auto j = static_cast<qsizetype>(i);
        m_list[i].selected = true;
        remoteIndexTable.additem(localFileTable.Filename(j), 0.0, localFileTable.OldDate(j));
    }
}

} // namespace engine
