#include "core/SetText.h"

#include <QFile>
#include <QLocale>

#include "core/ErrorReport.h"
#include "core/FileSystemHelpers.h"
#include "core/ProjectTextCoding.h"
#include "core/VersionLine.h"

namespace core
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");

// A document text or version line as an error report may show it: passwords hidden, for reports
// end up in logs.
QString reportable(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        const bool cr = line.endsWith(QLatin1Char('\r'));
        if (cr)
            line.chop(1);
        for (const QLatin1String key : {QLatin1String("BFPassword="), QLatin1String("FTPPass=")}) {
            if (line.startsWith(key))
                line = key + QStringLiteral("***");
        }
        line = VersionLine::withoutPasswords(line);
        if (cr)
            line += QLatin1Char('\r');
    }
    return lines.join(QLatin1Char('\n'));
}

QStringList reportable(const QStringList& lines)
{
    QStringList shown;
    for (const QString& line : lines)
        shown << VersionLine::withoutPasswords(line);
    return shown;
}

// One line of a text: its content runs from `start` to `end` (without the line break); the next
// line starts at `next`, which is the text's length for a last line without a line break.
struct Line
{
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    bool terminated = false;
};

// Calls `visit` for each line of `text` from `from` on, until it returns false.
template <typename Visit>
void forEachLine(const QString& text, qsizetype from, Visit visit)
{
    qsizetype pos = from;
    const qsizetype size = text.size();
    while (pos < size) {
        Line line;
        line.start = pos;
        const qsizetype lf = text.indexOf(QLatin1Char('\n'), pos);
        if (lf < 0) {
            line.end = text.at(size - 1) == QLatin1Char('\r') ? size - 1 : size;
            line.next = size;
        } else {
            line.end = (lf > pos && text.at(lf - 1) == QLatin1Char('\r')) ? lf - 1 : lf;
            line.next = lf + 1;
            line.terminated = true;
        }
        if (!visit(line))
            return;
        pos = line.next;
    }
}

QStringView content(const QString& text, const Line& line)
{
    return QStringView(text).mid(line.start, line.end - line.start);
}

bool isTagLine(const QString& text, const Line& line, const QString& tag)
{
    return content(text, line).trimmed() == tag;
}

std::optional<SectionSpan> findSection(const QString& text, const QString& name)
{
    const QString open = QLatin1Char('<') + name + QLatin1Char('>');
    const QString close = QStringLiteral("</") + name + QLatin1Char('>');
    std::optional<Line> tag;
    std::optional<SectionSpan> found;
    forEachLine(text, 0, [&](const Line& line) {
        if (!tag) {
            if (isTagLine(text, line, open))
                tag = line;
            return true;
        }
        if (isTagLine(text, line, close)) {
            found = SectionSpan {tag->start, tag->next, line.start, line.next};
            return false;
        }
        return true;
    });
    return found;
}

void setOk(bool* ok, bool value)
{
    if (ok)
        *ok = value;
}

bool hasLineBreak(const QString& value)
{
    return value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'));
}

// Whether two version lines name the same archive at the same place.
bool sameArchive(const QStringList& added, const QStringList& listed)
{
    if (added.value(0) != listed.value(0))
        return false;
    if (added.value(0) == QLatin1String("FTP")) {
        // Host, port, remote folder and remote path.
        if (added.size() < 7 || listed.size() < 7)
            return false;
        for (int i = 3; i <= 6; ++i) {
            if (added.at(i) != listed.at(i))
                return false;
        }
        return true;
    }
    // Target folder and archive path.
    return added.size() >= 3 && added.at(1) == listed.at(1) && added.at(2) == listed.at(2);
}
} // namespace

QString ExtractItem(const QString& FromText, const QString& Item)
{
    if (FromText.isEmpty() || Item.isEmpty())
        return QString();
    const QString key = Item + QLatin1Char('=');
    QString value;
    forEachLine(FromText, 0, [&](const Line& line) {
        const QStringView text = content(FromText, line);
        if (!text.startsWith(key))
            return true;
        value = text.mid(key.size()).toString();
        return false;
    });
    return value;
}

QString ReplaceValue(const QString& sText, const QString& sTag, const QString& sValue, bool* ok)
{
    const QString location = QStringLiteral("modGeneral.ReplaceValue(sText,sTag,sValue)");
    if (sTag.isEmpty() || sTag.contains(QLatin1Char('=')) || hasLineBreak(sTag)) {
        reportFailure(location, {reportable(sText), sTag, sValue}, err::InvalidArgument,
                      QStringLiteral("\"%1\" is not a key of a set document.").arg(sTag));
        setOk(ok, false);
        return sText;
    }
    setOk(ok, true);
    const QString key = sTag + QLatin1Char('=');
    const QString newLine = key + oneLine(sValue);

    std::optional<Line> found;
    forEachLine(sText, 0, [&](const Line& line) {
        if (!content(sText, line).startsWith(key))
            return true;
        found = line;
        return false;
    });
    if (found)
        return sText.left(found->start) + newLine + sText.mid(found->end);

    if (sTag != QLatin1String("Duration"))
        return sText;
    // A set that never ran has no Duration line yet: it becomes the last line of STATS.
    const QString closing = QStringLiteral("</STATS>");
    QString result;
    qsizetype copied = 0;
    forEachLine(sText, 0, [&](const Line& line) {
        if (content(sText, line).trimmed().compare(closing, Qt::CaseInsensitive) == 0) {
            result += QStringView(sText).mid(copied, line.start - copied);
            result += newLine + CrLf + closing;
            copied = line.end;
        }
        return true;
    });
    if (copied == 0)
        return sText;
    result += QStringView(sText).mid(copied);
    return result;
}

QString rewriteFileLines(const QString& text, const std::function<std::optional<QString>(const QString&)>& rewrite)
{
    const std::optional<SectionSpan> files = findSection(text, QStringLiteral("FILES"));
    if (!files)
        return text;
    QString result;
    qsizetype copied = 0;
    forEachLine(text, files->bodyStart, [&](const Line& line) {
        if (line.start >= files->bodyEnd)
            return false;
        const QStringView lineText = content(text, line);
        if (lineText.isEmpty())
            return true;
        const qsizetype tab = lineText.indexOf(QLatin1Char('\t'));
        const QString path = (tab < 0 ? lineText : lineText.left(tab)).toString();
        if (const std::optional<QString> replacement = rewrite(path)) {
            if (result.isEmpty())
                result.reserve(text.size() + text.size() / 4);
            result += QStringView(text).mid(copied, line.start - copied);
            result += *replacement;
            copied = line.end;
        }
        return true;
    });
    if (copied == 0)
        return text;
    result += QStringView(text).mid(copied);
    return result;
}

QString ReplaceFileValue(const QString& sText, const QString& sFile, double lDate, double lSize, bool* ok)
{
    if (sFile.isEmpty() || sFile.contains(QLatin1Char('\t')) || hasLineBreak(sFile)) {
        reportFailure(QStringLiteral("modGeneral.ReplaceFileValue(sText,sFile,lDate,lSize)"),
                      {reportable(sText), sFile, lDate, lSize}, err::InvalidArgument,
                      QStringLiteral("\"%1\" cannot be a line of a set's file list.").arg(sFile));
        setOk(ok, false);
        return sText;
    }
    setOk(ok, true);
    bool done = false;
    return rewriteFileLines(sText, [&](const QString& path) -> std::optional<QString> {
        if (done || path != sFile)
            return std::nullopt;
        done = true;
        return fileLine(sFile, lDate, lSize);
    });
}

QString AddVersion(const QString& sText, const QString& sVersion, const QStringList& arrVersions, bool* ok,
                   QString* replaced)
{
    const QString location = QStringLiteral("modGeneral.AddVersion(sText,sVersion,arrVersions)");
    const QString version = oneLine(sVersion);
    if (version.isEmpty()) {
        reportFailure(location, {reportable(sText), reportable(sVersion), reportable(arrVersions)},
                      err::InvalidArgument, QStringLiteral("The version line is empty."));
        setOk(ok, false);
        return sText;
    }

    QString text = sText;
    const QStringList fields = version.split(QLatin1Char('|'));
    for (const QString& listed : arrVersions) {
        const QStringList listedFields = listed.split(QLatin1Char('|'));
        if (listedFields.size() < 3)
            continue;
        if (sameArchive(fields, listedFields)) {
            text = DeleteVersion(text, listed);
            if (replaced)
                *replaced = listed;
            break;
        }
    }

    // The reader lists only the lines of a whole section: a version put anywhere else could never
    // be chosen to restore.
    const std::optional<SectionSpan> section = findSection(text, QStringLiteral("VERSIONS"));
    if (!section) {
        reportFailure(location, {reportable(sText), reportable(sVersion), reportable(arrVersions)},
                      err::InvalidArgument, QStringLiteral("The set document has no whole VERSIONS section."));
        setOk(ok, false);
        return sText;
    }
    const QString result = text.left(section->bodyStart) + version + CrLf + text.mid(section->bodyStart);
    setOk(ok, true);
    return result;
}

QString DeleteVersion(const QString& sText, const QString& sVersion, bool* ok)
{
    setOk(ok, true);
    if (sVersion.isEmpty())
        return sText;
    const std::optional<SectionSpan> versions = findSection(sText, QStringLiteral("VERSIONS"));
    if (!versions)
        return sText;
    QString result;
    qsizetype copied = 0;
    forEachLine(sText, versions->bodyStart, [&](const Line& line) {
        if (line.start >= versions->bodyEnd)
            return false;
        if (content(sText, line) == sVersion) {
            result += QStringView(sText).mid(copied, line.start - copied);
            copied = line.next;
        }
        return true;
    });
    if (copied == 0)
        return sText;
    result += QStringView(sText).mid(copied);
    return result;
}

QString ReadVersionsBlock(const QString& path)
{
    QFile file(path);
    if (!FileExists(path) || !file.open(QIODevice::ReadOnly))
        return QString();
    const QString text = DecodeProjectText(file.readAll());

    QString result;
    bool inBlock = false;
    forEachLine(text, 0, [&](const Line& line) {
        const QString lineText = content(text, line).toString();
        if (lineText.contains(QLatin1String("<VERSIONS>"), Qt::CaseInsensitive))
            inBlock = true;
        if (lineText.contains(QLatin1String("</VERSIONS>"), Qt::CaseInsensitive)) {
            if (inBlock)
                result += CrLf + QStringLiteral("</VERSIONS>");
            inBlock = false;
        }
        if (inBlock)
            result += lineText + CrLf;
        return true;
    });
    return result;
}

QStringList sectionLines(const QString& text, const QString& section)
{
    const std::optional<SectionSpan> found = findSection(text, section);
    if (!found)
        return {};
    QStringList lines;
    forEachLine(text, found->bodyStart, [&](const Line& line) {
        if (line.start >= found->bodyEnd)
            return false;
        lines << content(text, line).toString();
        return true;
    });
    return lines;
}

bool hasSection(const QString& text, const QString& section)
{
    return findSection(text, section).has_value();
}

std::optional<SectionSpan> sectionSpan(const QString& text, const QString& section)
{
    return findSection(text, section);
}

QString fileLine(const QString& path, double date, double size)
{
    return path + QLatin1Char('\t') + generalNumberText(date) + QLatin1Char('\t') + generalNumberText(size);
}

QString oneLine(const QString& value)
{
    if (!hasLineBreak(value))
        return value;
    QString line = value;
    line.replace(CrLf, QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

QString generalNumberText(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'G', 15);
}

} // namespace core
