#include "engine/ZipFiles.h"

#include <algorithm>
#include <exception>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "platform/MirrorPath.h"

namespace engine
{

namespace
{

// Shared by every builder: what the most recent build reported.
QString& zipMessages()
{
    static QString messages;
    return messages;
}

platform::ZipEntrySource entryFor(const QString& listedName, const QString& sourcePath, bool folder)
{
    // A name that cannot be mirrored is still passed on, so that the writer reports it.
    return {sourcePath, platform::mirrorRelativePath(listedName).value_or(QString()), folder};
}

} // namespace

void clsZipFiles::AddFile(const QString& sFileName)
{
    if (sFileName.isEmpty() || m_keys.contains(sFileName))
        return;
    m_keys.insert(sFileName);
    m_names << sFileName;
}

void clsZipFiles::RemoveFile(const QString& sFileName)
{
    if (!m_keys.remove(sFileName)) {
        core::Err().Raise(core::err::ObjectErrorBase + 2002, QStringLiteral("File is not in Zip List"),
                          QStringLiteral("CGZip::RemoveFile"));
        return;
    }
    m_names.removeOne(sFileName);
}

QString clsZipFiles::GetLastMessage() const
{
    return zipMessages();
}

void clsZipFiles::addEntries(const QString& name, QList<platform::ZipEntrySource>& into) const
{
    // The run's paths all begin with "/"; asking QDir costs a file-information object each.
    const bool absolute = name.startsWith(QLatin1Char('/')) || QDir::isAbsolutePath(name);
    const QString source = absolute ? name : QDir(m_rootDirectory).filePath(name);
    if (m_namesAreFiles || !QFileInfo(source).isDir()) {
        into << entryFor(name, source, false);
        return;
    }
    into << entryFor(name, source, true);
    if (!m_recurseFolders)
        return;

    // Symbolic links to folders are packed as folder entries and not followed.
    QStringList below;
    QDirIterator walk(source, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    const QDir top(source);
    while (walk.hasNext())
        below << top.relativeFilePath(walk.next());
    std::sort(below.begin(), below.end());
    for (const QString& relative : below) {
        const QString path = top.filePath(relative);
        into << entryFor(name + QLatin1Char('/') + relative, path, QFileInfo(path).isDir());
    }
}

QList<platform::ZipEntrySource> clsZipFiles::entries() const
{
    QList<platform::ZipEntrySource> list;
    list.reserve(m_names.size());
    for (const QString& name : m_names)
        addEntries(name, list);
    return list;
}

qint32 clsZipFiles::MakeZipFile()
{
    QString& messages = zipMessages();
    messages.clear();
    m_skipped.clear();
    m_writeError = 0;
    try {
        if (m_zipFileName.isEmpty()) {
            messages = QStringLiteral("zip error: no archive name was given\n");
            return ziperr::Name;
        }
        platform::ZipWriteOptions options;
        options.updateExisting = m_updatingZip;
        options.run = m_run;
        const platform::ZipWriteResult result = platform::writeZipArchive(m_zipFileName, entries(), options);

        m_skipped = result.skipped;
        m_writeError = result.writeError;
        for (const platform::ZipSkippedEntry& skipped : m_skipped)
            messages += QStringLiteral("zip warning: %1 was not packed: %2\n").arg(skipped.sourcePath, skipped.reason);

        // A stopped build wrote nothing; the caller tells it apart by its stop request.
        if (result.succeeded() || result.stopped())
            return ziperr::Ok;
        messages += QStringLiteral("zip error: %1\n").arg(result.reason());
        switch (result.failure) {
        case platform::ZipWriteFailure::NothingToPack:
            return ziperr::Nothing;
        case platform::ZipWriteFailure::NotAnArchive:
            return ziperr::Format;
        case platform::ZipWriteFailure::CannotWrite:
            break;
        }
        return ziperr::Write;
    } catch (const std::exception& e) {
        // A failure of the builder itself ends the run through its stop path.
        const QString reason
            = QStringLiteral("The archive could not be built: %1").arg(QString::fromLocal8Bit(e.what()));
        core::state().strFailureReason = reason;
        core::state().bStopBackup = true;
        core::reportFailure(QStringLiteral("clsZipFiles.MakeZipFile()"), {}, core::err::General, reason);
        return ziperr::Ok;
    }
}

} // namespace engine
