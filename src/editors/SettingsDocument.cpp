#include "editors/SettingsDocument.h"

#include "core/SetText.h"

namespace editors
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");
const QString SchedulerEnd = QStringLiteral("</SCHEDULER>");

// The length of the head: the text up to the end of its "</SCHEDULER>" line, without the line
// break. Nothing when there is no such line.
std::optional<qsizetype> headLength(const QString& text)
{
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        qsizetype contentEnd = end;
        if (contentEnd > start && text.at(contentEnd - 1) == QLatin1Char('\r'))
            --contentEnd;
        if (QStringView(text).mid(start, contentEnd - start).trimmed() == SchedulerEnd)
            return contentEnd;
        start = end + 1;
    }
    return std::nullopt;
}

QString flag(bool value)
{
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

QString pathOf(const QString& fileLine)
{
    const qsizetype tab = fileLine.indexOf(QLatin1Char('\t'));
    return tab < 0 ? fileLine : fileLine.left(tab);
}

QString filesSection(const QStringList& checkedPaths, const QStringList& recordedFiles)
{
    QStringList lines = checkedPaths;
    // A path the set had already keeps what its runs recorded for it.
    for (const QString& recorded : recordedFiles) {
        if (recorded.isEmpty())
            continue;
        const QString path = pathOf(recorded);
        for (QString& line : lines) {
            if (line == path)
                line = recorded;
        }
    }
    QString section = QStringLiteral("<FILES>") + CrLf;
    for (const QString& line : lines)
        section += core::oneLine(line) + CrLf;
    return section + QStringLiteral("</FILES>") + CrLf;
}

QString versionsSection(const QStringList& versions)
{
    QString section = QStringLiteral("<VERSIONS>") + CrLf;
    for (const QString& version : versions) {
        if (!version.isEmpty())
            section += core::oneLine(version) + CrLf;
    }
    return section + QStringLiteral("</VERSIONS>") + CrLf;
}

QString passiveText(const QString& field)
{
    if (field == QLatin1String("0") || field == QLatin1String("False"))
        return QStringLiteral("False");
    if (field == QLatin1String("1") || field == QLatin1String("True"))
        return QStringLiteral("True");
    return field;
}

QString destinationSection(int number, const core::DestinationRow& row)
{
    const QStringList fields = row.tag.fields();
    const auto field = [&fields](qsizetype i) { return i < fields.size() ? fields.at(i) : QString(); };
    QString body;
    const auto value = [&body](const char* key, const QString& text) {
        body += CrLf + QLatin1String(key) + QLatin1Char('=') + core::oneLine(text);
    };
    switch (core::destinationRowType(row.text)) {
    case core::DestinationType::Folder:
        value("Type", QStringLiteral("1"));
        value("LocalFolder", row.tag.text());
        break;
    case core::DestinationType::Ftp:
        value("Type", QStringLiteral("2"));
        value("FTPHost", field(0));
        value("FTPPort", field(1));
        value("FTPUser", field(2));
        // The row carries the password in the scrambled form the document keeps.
        value("FTPPass", field(3));
        value("FTPFolder", field(4));
        value("FTPPassive", passiveText(field(5)));
        break;
    case core::DestinationType::Email:
        value("Type", QStringLiteral("3"));
        value("EmailID", field(0));
        value("Subject", field(1));
        value("Body", field(2));
        break;
    case core::DestinationType::Unused:
        break;
    }
    const QString tag = QStringLiteral("DEST") + QString::number(number);
    return CrLf + QLatin1Char('<') + tag + QLatin1Char('>') + body + CrLf + QStringLiteral("</") + tag
        + QLatin1Char('>') + CrLf;
}
} // namespace

RebuiltDocument rebuildSetDocument(const QString& text, const SettingsPages& pages, const QStringList& recordedFiles,
                                   const QStringList& versions)
{
    const std::optional<qsizetype> head = headLength(text);
    if (!head)
        return {std::nullopt, QStringLiteral("The set's document has no SCHEDULER section; it is left as it is.")};

    QString document = text.left(*head);
    const auto replace = [&document](const char* key, const QString& value) {
        document = core::ReplaceValue(document, QLatin1String(key), value);
    };
    const auto replaceChoice = [&replace](const char* key, const std::optional<int>& value) {
        if (value)
            replace(key, QString::number(*value));
    };
    replace("Exclude", pages.Exclude);
    replace("Include", pages.Include);
    replace("ExcludeFolders", flag(pages.ExcludeFolders));
    replace("DestCount", QString::number(pages.destinations.size()));
    replaceChoice("BackupType", pages.BackupType);
    replaceChoice("Compression", pages.Compression);
    replaceChoice("RotationType", pages.RotationType);
    replace("UseTimeStamp", flag(pages.UseTimeStamp));
    replace("Accurancy", pages.Accurancy);
    replace("TimeStampFormat", pages.TimeStampFormat);
    replace("FormatIndex", pages.FormatIndex);
    replace("DeleteBackups", pages.DeleteBackups);
    replace("KeepVersions", pages.KeepVersions);
    replace("KeepQuantity", pages.KeepQuantity);
    replace("KeepPeriodAccurancy", pages.KeepPeriodAccurancy);
    replace("Incremental", pages.Incremental ? QStringLiteral("True") : QStringLiteral("False"));
    replaceChoice("ProtectData", pages.ProtectData);
    replace("BFPassword", pages.BFPassword);
    replace("ZIPName", pages.ZIPName);
    replace("Quality", QStringLiteral("5"));
    replace("Scheduler", flag(pages.Scheduler));
    replace("StartDate", pages.StartDate);
    replace("StartTime", pages.StartTime);
    replace("Repeat", flag(pages.Repeat));
    replaceChoice("SAccurancy", pages.SAccurancy);
    // The period belongs to the repetition: a repetition kept as stored keeps its days too.
    if (pages.SAccurancy)
        replace("Period", pages.Period);
    replace("RunOnStart", QStringLiteral("0"));
    replace("RunOnEnd", QStringLiteral("0"));

    document += CrLf + CrLf + filesSection(pages.checkedPaths, recordedFiles);
    document += CrLf + versionsSection(versions);
    for (qsizetype i = 0; i < pages.destinations.size(); ++i)
        document += destinationSection(static_cast<int>(i + 1), pages.destinations.at(i));
    return {document, {}};
}

} // namespace editors
