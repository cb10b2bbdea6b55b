#include "core/RunOutcome.h"

#include <optional>

#include <QFile>

#include "core/CFileInfo.h"
#include "core/ErrorReport.h"
#include "core/FileSystemHelpers.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/ProjectTextCoding.h"
#include "core/ScramblePassword.h"
#include "core/SetText.h"
#include "core/VersionLine.h"
#include "core/WildcardMatch.h"
#include "platform/Clock.h"
#include "platform/DateText.h"

namespace core
{
namespace
{
QString nowText()
{
    const QDateTime now = platform::clock().now();
    return platform::DateText::shortDate(now.date()) + QLatin1Char(' ') + platform::DateText::longTime(now.time());
}

// Each pair of equal separators becomes one, scanning from the left, so that joining a folder that
// ends with a separator does not leave a doubled one.
QString reduceSeparatorPairs(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        result += c;
        const bool separator = c == QLatin1Char('/') || c == QLatin1Char('\\');
        if (separator && i + 1 < text.size() && text.at(i + 1) == c)
            ++i;
    }
    return result;
}

// The FILES line of a listed path with its current statistics, or nothing when the path is gone.
std::optional<QString> statisticsLine(const QString& path, CFileInfo& info)
{
    info.setFullPathName(path);
    if (!info.fileExists())
        return std::nullopt;
    if (info.Attributes() & attr::Directory) {
        const QString folder = info.FullPathName();
        return fileLine(path, FolderDateModified(folder), static_cast<double>(FolderSize(folder)));
    }
    return fileLine(path, info.ModifyTime(), static_cast<double>(info.FileSize()));
}

// The fields of the version line of the delivery the set has just made, or nothing for e-mail
// deliveries.
std::optional<QStringList> versionFields(const BackupSetInfo& set, qint64 deliveredBytes)
{
    const QString bf = set.ProtectData == ProtectionMode::Blowfish ? QStringLiteral(".bf") : QString();
    QStringList fields;
    switch (set.RunDestType) {
    case DestinationType::Folder: {
        const QString folder = oneLine(set.RunLanFolder);
        fields << QStringLiteral("LAN") << reduceSeparatorPairs(folder)
               << reduceSeparatorPairs(folder + QLatin1Char('/') + oneLine(set.ZIPName)) + bf;
        break;
    }
    case DestinationType::Ftp: {
        const QString folder = oneLine(set.RunFtpFolder);
        fields << QStringLiteral("FTP") << oneLine(set.RunFtpUser) << oneLine(ScramblePassword(set.RunFtpPassword))
               << oneLine(set.RunFtpHost) << oneLine(set.RunFtpPort) << folder
               << folder + QLatin1Char('/') + oneLine(set.ZIPName) + bf;
        break;
    }
    default:
        return std::nullopt;
    }
    fields << platform::DateText::generalDate(platform::clock().now())
           << generalNumberText(static_cast<double>(deliveredBytes) / 1024.0)
           << QString::number(storedCode(set.Compression)) << QString::number(storedCode(set.ProtectData))
           << oneLine(set.BFPassword);
    return fields;
}
} // namespace

platform::Result ReplaceProjectValues(const BackupSetInfo& set, QString& setText, const QString& sStatus,
                                      const QString& sDuration, qint64 deliveredBytes, QString* replacedVersion)
{
    setText = ReplaceValue(setText, QStringLiteral("Ran"), QStringLiteral("-1"));
    setText = ReplaceValue(setText, QStringLiteral("LastRunTime"), nowText());
    setText = ReplaceValue(setText, QStringLiteral("Status"), sStatus);
    if (!sDuration.isEmpty())
        setText = ReplaceValue(setText, QStringLiteral("Duration"), sDuration);
    // A failure's reason may end in the word too (a folder named so): it is no success.
    if (sStatus.right(7).toUpper() != QLatin1String("SUCCESS") || sStatus.startsWith(QLatin1String("FAILURE")))
        return platform::Result::success();

    setText = ReplaceValue(setText, QStringLiteral("LastFolder"), set.LastFolder);
    setText = ReplaceValue(setText, QStringLiteral("CurrentDestination"), QString::number(set.CurrentDestination));

    CFileInfo info;
    setText = rewriteFileLines(setText, [&info](const QString& path) { return statisticsLine(path, info); });

    const std::optional<QStringList> fields = versionFields(set, deliveredBytes);
    if (!fields)
        return platform::Result::success();
    QString why;
    const std::optional<QString> line = VersionLine::compose(*fields, &why);
    if (!line) {
        const QString reason = QStringLiteral("The version line cannot be recorded: %1.").arg(why);
        reportFailure(QStringLiteral("modGeneral.ReplaceProjectValues(sStatus)"), {sStatus}, err::InvalidArgument,
                      reason);
        return platform::Result::failure(reason);
    }
    bool added = false;
    QString replaced;
    const QString text
        = AddVersion(setText, *line, sectionLines(setText, QStringLiteral("VERSIONS")), &added, &replaced);
    if (!added) {
        const QString reason = QStringLiteral("The version line could not be added: the set document has no "
                                              "whole VERSIONS section.");
        reportFailure(QStringLiteral("modGeneral.ReplaceProjectValues(sStatus)"), {sStatus}, err::InvalidArgument,
                      reason);
        return platform::Result::failure(reason);
    }
    setText = text;
    if (replacedVersion)
        *replacedVersion = replaced;
    return platform::Result::success();
}

platform::Result RefreshBackupSetRow(const BackupSetInfo& set, const QString& sStatus, const QString& sDuration)
{
    const auto fail = [](qint32 number, const QString& reason) {
        Err().Raise(number, reason);
        return platform::Result::failure(reason);
    };
    MainWindowServices* mainWindow = mainWindowServices();
    if (!mainWindow)
        return fail(err::General, QStringLiteral("There is no main window to show the outcome in."));
    if (!mainWindow->setSetRowCell(set.ItemName, 2, nowText()))
        return fail(err::General, QStringLiteral("The set list shows no set named \"%1\".").arg(set.ItemName));
    mainWindow->setSetRowCell(set.ItemName, 5, sStatus);
    // The same text as the rebuilt list's, so the column does not change at the next refresh.
    if (const QString location = nextLocation(set); !location.isEmpty())
        mainWindow->setSetRowCell(set.ItemName, 4, location);
    if (!sDuration.isEmpty())
        mainWindow->setSetRowCell(set.ItemName, 7, sDuration);

    // The file view shows the loaded set; another set's files stay out of it.
    if (set.ItemName != state().CurrentSet.ItemName)
        return platform::Result::success();
    if (const auto error = setNameError(set.ItemName))
        return fail(err::InvalidArgument, *error);
    QFile file(setDocumentPath(set.ItemName));
    if (!file.open(QIODevice::ReadOnly))
        return fail(err::FileNotFound,
                    QStringLiteral("Cannot read \"%1\": %2").arg(file.fileName(), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return platform::Result::success();
    const QString text = DecodeProjectText(bytes);

    const QStringList masks = excludeMasks(set.Exclude);
    QStringList lines;
    QList<bool> excluded;
    for (const QString& line : sectionLines(text, QStringLiteral("FILES"))) {
        if (line.isEmpty())
            continue;
        lines << line;
        excluded << isExcluded(line, masks);
    }
    mainWindow->showFileList(lines, excluded);
    return platform::Result::success();
}

} // namespace core
