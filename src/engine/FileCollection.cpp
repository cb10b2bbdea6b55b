#include "engine/FileCollection.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>

#include "core/BackupSet.h"
#include "core/FileSystemHelpers.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "core/WildcardMatch.h"
#include "core/WorkFolder.h"
#include "platform/FileWriter.h"
#include "platform/ProgramFolder.h"

namespace engine
{
namespace
{
const QByteArray LineEnd = QByteArrayLiteral("\r\n");

CollectionResult ended(platform::Result outcome)
{
    CollectionResult result;
    result.setOutcome(std::move(outcome));
    return result;
}

CollectionResult stopped()
{
    return ended(platform::Result::stop());
}

CollectionResult failed(const QString& reason)
{
    return ended(platform::Result::failure(reason));
}

QString writeFailure(const QFile& file)
{
    return QStringLiteral("Cannot write the file list \"%1\": %2").arg(file.fileName(), file.errorString());
}

void addLine(QByteArray& text, const QString& line)
{
    text += line.toUtf8();
    text += LineEnd;
}

// The path of a FILES line: the text before its first TAB.
QString pathOfLine(const QString& line)
{
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    return tab < 0 ? line : line.left(tab);
}
} // namespace

QString includePatternList(core::BackupSetInfo& set)
{
    if (set.Include.trimmed().isEmpty())
        set.Include = QStringLiteral("*.*;");
    QString masks = set.Include;
    masks.replace(QLatin1Char(','), QLatin1Char('|'));
    masks.replace(QLatin1Char(';'), QLatin1Char('|'));
    masks.remove(QLatin1Char(' '));
    return masks;
}

QString advanceDots(const QString& status)
{
    QString text = status;
    if (text.contains(QLatin1String("...")))
        text.remove(QLatin1String("..."));
    else if (text.contains(QLatin1String("..")))
        text.replace(QLatin1String(".."), QLatin1String("..."));
    else if (text.contains(QLatin1Char('.')))
        text.replace(QLatin1Char('.'), QLatin1String(".."));
    else
        text += QLatin1Char('.');
    return text;
}

FileCollector::~FileCollector()
{
    removeWorkLists();
}

void FileCollector::removeWorkLists()
{
    if (!m_collectedList.isEmpty())
        QFile::remove(m_collectedList);
    if (!m_filteredList.isEmpty())
        QFile::remove(m_filteredList);
}

void FileCollector::setStatus(const QString& text)
{
    m_status = text;
    m_run.showStatus(text);
}

CollectionResult FileCollector::collect(core::BackupSetInfo& set, const QStringList& filesLines)
{
    setStatus(QStringLiteral("[Organizing files]"));
    if (const auto error = core::setNameError(set.ItemName))
        return failed(*error);

    const QString workFolder = core::WinTmpDir();
    if (workFolder.isEmpty())
        return failed(QStringLiteral("Cannot create the run's work folder below \"%1\".")
                          .arg(platform::ProgramFolder::file(QStringLiteral("tmp"))));
    removeWorkLists();
    m_collectedList = workFolder + QStringLiteral("filestemp2.lst");
    m_filteredList = workFolder + QStringLiteral("filestemp1.lst");

    QFile collected(m_collectedList);
    if (!collected.open(QIODevice::WriteOnly | QIODevice::Truncate, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return failed(writeFailure(collected));
    core::LogEvent(QStringLiteral("Getting Files"));

    // The program's work files are no data of the user's, and the run's own lists would be gone by
    // the time they were copied. A destination folder inside a listed folder would otherwise take
    // the backups made before into every new one, growing without end.
    QStringList skipped {platform::ProgramFolder::file(QStringLiteral("tmp"))};
    for (int d = 1; d <= std::min(set.DestCount, core::MaxDestinations); ++d) {
        // A relative one is refused by the delivery, and would name a folder below the current one.
        if (set.Dest.at(d).Type == core::DestinationType::Folder
            && set.Dest.at(d).LocalFolder.startsWith(QLatin1Char('/')))
            skipped << set.Dest.at(d).LocalFolder;
    }
    m_search.setFoldersToSkip(skipped);
    // The working list's text, written in one go once complete and filtered from memory.
    QByteArray collectedText;
    // Counts the lines written since the status dots last moved, across folders.
    int sinceDots = 0;
    QStringList unreadable;
    // An unplugged drive or a moved folder must not pass unnoticed.
    QStringList missing;
    const auto notFound = [&missing](const QString& path) {
        missing << path;
        core::LogEvent(QStringLiteral("Not found: ") + path);
    };
    for (const QString& line : filesLines) {
        const QString path = pathOfLine(line);
        if (path.isEmpty())
            continue;
        // Only absolute paths: a relative one would name whatever lies below the current folder.
        if (!path.startsWith(QLatin1Char('/'))) {
            notFound(path);
        } else if (QFileInfo(path).isDir()) {
            m_search.findfiles(path, includePatternList(set));
            for (const QString& folder : m_search.unreadable())
                core::LogEvent(QStringLiteral("Cannot read ") + folder);
            unreadable << m_search.unreadable();
            for (const QString& file : m_search.unlistable())
                core::LogEvent(QStringLiteral("Left out (line break in the name): ") + file);
            if (m_run.stopRequested())
                return stopped();
            setStatus(QStringLiteral("[Creating Index File]"));
            for (const QString& file : m_search.filesfound()) {
                if (m_run.stopRequested())
                    return stopped();
                addLine(collectedText, file);
                m_run.yield();
                if (++sinceDots > 49) {
                    setStatus(advanceDots(m_status));
                    sinceDots = 0;
                }
            }
        } else if (core::FileExists(path)) {
            addLine(collectedText, path);
            m_run.yield();
        } else {
            notFound(path);
        }
        m_run.yield();
        if (m_run.stopRequested())
            return stopped();
    }
    if (collected.write(collectedText) != collectedText.size() || !collected.flush())
        return failed(writeFailure(collected));
    collected.close();

    // The exclude filter; without masks the same pass only copies.
    QStringList masks;
    if (!set.Exclude.trimmed().isEmpty()) {
        core::LogEvent(QStringLiteral("Applying Exclude Filter"));
        masks = core::excludeMasks(set.Exclude);
    }
    QByteArray listText;
    listText.reserve(collectedText.size());
    qint64 listed = 0;
    for (const QByteArrayView bytes : core::fileListLines(collectedText)) {
        if (!bytes.isEmpty() && bytes != " "
            && (masks.isEmpty() || !core::isExcludedPath(QString::fromUtf8(bytes), masks))) {
            listText += bytes;
            listText += LineEnd;
            ++listed;
        }
        if (m_run.stopRequested())
            return stopped();
    }
    QFile filtered(m_filteredList);
    if (!filtered.open(QIODevice::WriteOnly | QIODevice::Truncate, QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        || filtered.write(listText) != listText.size() || !filtered.flush())
        return failed(writeFailure(filtered));
    filtered.close();
    if (m_run.stopRequested())
        return stopped();
    // A backup of nothing is no success, and the list of the last run that found files stays for
    // the restore.
    if (listed == 0)
        return failed(QStringLiteral("None of the set's files was found; nothing was backed up."));

    // The previous list stays whole until the new one is complete.
    const QString setFileList = core::setFileListPath(set.ItemName);
    platform::makePrivateFolder(platform::ProgramFolder::file(QStringLiteral("data")));
    QString reason;
    if (!platform::fileWriter().replaceFile(setFileList, listText, reason))
        return failed(reason);
    return CollectionResult {platform::Result::success(), listed, missing, unreadable};
}

} // namespace engine
