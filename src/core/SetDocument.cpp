#include "core/SetDocument.h"

#include <QFile>
#include <QFileInfo>

#include "core/BackupSet.h"
#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "core/ProjectTextCoding.h"
#include "core/ScramblePassword.h"
#include "core/SetText.h"
#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/FileWriter.h"
#include "platform/ProgramFolder.h"
#include "platform/VersionInfo.h"

namespace core
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");

// Failures go to the caller both as the result and as the current error, for its own report.
platform::Result fail(qint32 number, const QString& reason)
{
    Err().Raise(number, reason);
    return platform::Result::failure(reason);
}

QString flag(bool value)
{
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

QString truth(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// Builds the document line by line; every value is kept on its own line.
class DocumentText
{
public:
    void line(const QString& text) { m_text += text + CrLf; }
    void value(const QString& key, const QString& value) { line(key + QLatin1Char('=') + oneLine(value)); }
    void value(const QString& key, int number) { value(key, QString::number(number)); }
    void section(const QString& name) { line(QLatin1Char('<') + name + QLatin1Char('>')); }
    void endSection(const QString& name) { line(QStringLiteral("</") + name + QLatin1Char('>')); }
    void gap() { line(QString()); }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

QString projectText(const BackupSetInfo& set, const QStringList& paths)
{
    const QDateTime now = platform::clock().now();
    DocumentText doc;
    doc.section(QStringLiteral("STATS"));
    doc.value(QStringLiteral("CreationTime"),
              platform::DateText::shortDate(now.date()) + QLatin1Char(' ') + platform::DateText::longTime(now.time()));
    doc.value(QStringLiteral("LastRunTime"), QString());
    doc.value(QStringLiteral("ItemType"), set.ItemType);
    doc.value(QStringLiteral("Ran"), 0);
    doc.value(QStringLiteral("ArchiveCount"), set.ArchiveCount);
    doc.value(QStringLiteral("Status"), QStringLiteral("Never ran"));
    doc.value(QStringLiteral("CurrentDestination"), 1);
    doc.endSection(QStringLiteral("STATS"));

    doc.gap();
    doc.section(QStringLiteral("GENERAL"));
    doc.value(QStringLiteral("AppVersion"),
              QStringLiteral("%1.%2.%3")
                  .arg(platform::version::Major)
                  .arg(platform::version::Minor)
                  .arg(platform::version::Revision));
    doc.value(QStringLiteral("ItemName"), set.ItemName);
    doc.value(QStringLiteral("ItemType"), set.ItemType);
    doc.value(QStringLiteral("Exclude"), set.Exclude);
    doc.value(QStringLiteral("Include"), set.Include);
    doc.value(QStringLiteral("ExcludeFolders"), flag(set.ExcludeFolders));
    doc.value(QStringLiteral("Destination"), set.Destination);
    doc.value(QStringLiteral("LastFolder"), set.LastFolder);
    doc.value(QStringLiteral("BackupType"), set.BackupType);
    doc.value(QStringLiteral("UseTimeStamp"), flag(set.UseTimeStamp));
    doc.value(QStringLiteral("Compression"), storedCode(set.Compression));
    doc.value(QStringLiteral("ProtectData"), storedCode(set.ProtectData));
    doc.value(QStringLiteral("BFPassword"), set.BFPassword);
    doc.value(QStringLiteral("ZIPName"), set.ZIPName);
    doc.value(QStringLiteral("Quality"), set.Quality);
    doc.value(QStringLiteral("Incremental"), truth(set.Incremental));
    doc.value(QStringLiteral("Scheduler"), flag(set.Schedule.Scheduler));
    doc.value(QStringLiteral("DestCount"), set.DestCount);
    doc.value(QStringLiteral("RotationType"), storedCode(set.RotationType));
    doc.endSection(QStringLiteral("GENERAL"));

    doc.gap();
    doc.section(QStringLiteral("TIMESTAMP"));
    doc.value(QStringLiteral("Accurancy"), set.Accurancy);
    doc.value(QStringLiteral("TimeStampFormat"), set.TimeStampFormat);
    doc.value(QStringLiteral("FormatIndex"), set.FormatIndex);
    doc.value(QStringLiteral("DeleteBackups"), set.DeleteBackups);
    doc.value(QStringLiteral("KeepVersions"), set.KeepVersions);
    doc.endSection(QStringLiteral("TIMESTAMP"));

    doc.gap();
    doc.section(QStringLiteral("SCHEDULER"));
    doc.value(QStringLiteral("StartDate"), set.Schedule.StartDate);
    doc.value(QStringLiteral("StartTime"), set.Schedule.StartTime);
    doc.value(QStringLiteral("Repeat"), flag(set.Schedule.Repeat));
    doc.value(QStringLiteral("SAccurancy"), set.Schedule.SAccurancy);
    doc.value(QStringLiteral("Period"), set.Schedule.Period);
    doc.value(QStringLiteral("RunOnStart"), flag(set.Schedule.RunOnStart));
    doc.value(QStringLiteral("RunOnEnd"), flag(set.Schedule.RunOnEnd));
    doc.endSection(QStringLiteral("SCHEDULER"));

    doc.gap();
    doc.section(QStringLiteral("FILES"));
    for (const QString& path : paths)
        doc.line(path);
    doc.endSection(QStringLiteral("FILES"));

    doc.gap();
    doc.section(QStringLiteral("VERSIONS"));
    doc.endSection(QStringLiteral("VERSIONS"));

    for (int n = 1; n <= set.DestCount; ++n) {
        const DestinationInfo& dest = set.Dest.at(n);
        const QString tag = QStringLiteral("DEST") + QString::number(n);
        doc.gap();
        doc.section(tag);
        switch (dest.Type) {
        case DestinationType::Folder:
            doc.value(QStringLiteral("Type"), storedCode(dest.Type));
            doc.value(QStringLiteral("LocalFolder"), dest.LocalFolder);
            break;
        case DestinationType::Ftp:
            doc.value(QStringLiteral("Type"), storedCode(dest.Type));
            doc.value(QStringLiteral("FTPHost"), dest.FTPHost);
            doc.value(QStringLiteral("FTPPort"), dest.FTPPort);
            doc.value(QStringLiteral("FTPUser"), dest.FTPUser);
            doc.value(QStringLiteral("FTPPass"), ScramblePassword(dest.FTPPass));
            doc.value(QStringLiteral("FTPFolder"), dest.FTPFolder);
            doc.value(QStringLiteral("FTPPassive"), truth(dest.FTPPassive));
            break;
        case DestinationType::Email:
            doc.value(QStringLiteral("Type"), storedCode(dest.Type));
            doc.value(QStringLiteral("EmailID"), dest.EmailID);
            doc.value(QStringLiteral("Subject"), dest.Subject);
            doc.value(QStringLiteral("Body"), dest.Body);
            break;
        default:
            // An unused slot keeps its place in the numbering.
            break;
        }
        doc.endSection(tag);
    }
    return doc.text();
}

std::optional<QString> unstorablePath(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (path.isEmpty())
            return QStringLiteral("An empty path cannot be listed in a set.");
        if (path.contains(QLatin1Char('\t')) || path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n')))
            return QStringLiteral("The path \"%1\" holds a tab or line break and cannot be listed in a set.")
                .arg(oneLine(path));
    }
    return std::nullopt;
}

platform::Result ensureDataFolder()
{
    const QString folder = platform::ProgramFolder::file(QStringLiteral("data"));
    if (!platform::makePrivateFolder(folder))
        return fail(err::PathNotFound, QStringLiteral("Cannot create the folder \"%1\".").arg(folder));
    return platform::Result::success();
}
} // namespace

QString setDocumentPath(const QString& setName)
{
    return platform::ProgramFolder::file(QStringLiteral("data/") + setName + QStringLiteral(".sbd"));
}

QString setFileListPath(const QString& setName)
{
    return platform::ProgramFolder::file(QStringLiteral("data/") + setName + QStringLiteral(".lst"));
}

QList<QByteArrayView> fileListLines(QByteArrayView text)
{
    QList<QByteArrayView> lines;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype newline = text.indexOf('\n', at);
        const qsizetype next = newline < 0 ? text.size() : newline + 1;
        QByteArrayView line = text.sliced(at, next - at);
        at = next;
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        lines << line;
    }
    return lines;
}

std::optional<QStringList> readSetFileList(const QString& setName, QString& error)
{
    QFile list(setFileListPath(setName));
    QStringList sources;
    if (list.open(QIODevice::ReadOnly)) {
        // Read whole: a list of many thousand files read a line at a time costs a copy per line.
        const QByteArray text = list.readAll();
        for (const QByteArrayView bytes : fileListLines(text)) {
            if (!bytes.isEmpty() && bytes != " ")
                sources << QString::fromUtf8(bytes);
        }
        if (list.error() == QFileDevice::NoError)
            return sources;
    }
    error = QStringLiteral("Cannot read the file list \"%1\": %2").arg(list.fileName(), list.errorString());
    return std::nullopt;
}

platform::Result WriteProject(const QStringList& checkedPaths)
{
    const BackupSetInfo& set = state().NewBackupSet;
    if (const auto error = setNameError(set.ItemName))
        return fail(err::InvalidArgument, *error);
    if (set.DestCount < 0 || set.DestCount > MaxDestinations)
        return fail(
            err::SubscriptOutOfRange,
            QStringLiteral("A set has at most %1 destinations, not %2.").arg(MaxDestinations).arg(set.DestCount));
    if (const auto error = unstorablePath(checkedPaths))
        return fail(err::InvalidArgument, *error);

    const QString path = setDocumentPath(set.ItemName);
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return fail(err::FileAlreadyExists, QStringLiteral("A set named \"%1\" exists already.").arg(set.ItemName));
    if (platform::Result folder = ensureDataFolder(); !folder)
        return folder;

    const QByteArray bytes = EncodeProjectText(projectText(set, checkedPaths) + CrLf);
    QString reason;
    if (!platform::fileWriter().replaceFile(path, bytes, reason))
        return fail(err::PathFileAccess, reason);
    return platform::Result::success();
}

platform::Result SaveProject(const QString& ProjectName, const QString& strData)
{
    if (const auto error = setNameError(ProjectName))
        return fail(err::InvalidArgument, *error);

    // One line break after the last line and an empty last line, however the text ends.
    qsizetype end = strData.size();
    while (end > 0 && (strData.at(end - 1) == QLatin1Char('\r') || strData.at(end - 1) == QLatin1Char('\n')))
        --end;
    if (end == 0)
        return fail(err::InvalidArgument,
                    QStringLiteral("The document text of \"%1\" is empty; the stored set is kept.").arg(ProjectName));
    const QString text = strData.left(end) + CrLf + CrLf;

    if (platform::Result folder = ensureDataFolder(); !folder)
        return folder;
    const QString path = setDocumentPath(ProjectName);
    const QFileInfo info(path);
    QList<platform::FileContent> files;
    if (info.exists()) {
        if (!info.isFile())
            return fail(err::PathFileAccess, QStringLiteral("\"%1\" is not a file.").arg(path));
        QFile previous(path);
        if (!previous.open(QIODevice::ReadOnly))
            return fail(err::PermissionDenied,
                        QStringLiteral("Cannot read \"%1\": %2").arg(path, previous.errorString()));
        const QByteArray previousBytes = previous.readAll();
        if (previous.error() != QFileDevice::NoError)
            return fail(err::PathFileAccess,
                        QStringLiteral("Cannot read \"%1\": %2").arg(path, previous.errorString()));
        files << platform::FileContent {path + QStringLiteral(".bak"), previousBytes};
    }
    files << platform::FileContent {path, EncodeProjectText(text)};

    // The backup copy and the document change together or not at all: a write that fails part-way
    // (a full disk) leaves both as they were.
    QString reason;
    if (!platform::fileWriter().replaceFiles(files, reason))
        return fail(err::PathFileAccess, reason);
    return platform::Result::success();
}

} // namespace core
