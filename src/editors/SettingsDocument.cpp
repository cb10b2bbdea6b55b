#include "editors/SettingsDocument.h"

#include <algorithm>
#include <functional>
#include <vector>

#include <QSet>

#include "core/DocumentValues.h"
#include "core/SetDocumentParser.h"
#include "core/SetText.h"
#include "platform/DateText.h"

namespace editors
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");
// The sections the store writes before the destinations, in its order.
const QStringList StoreOrder = {QStringLiteral("STATS"),     QStringLiteral("GENERAL"), QStringLiteral("TIMESTAMP"),
                                QStringLiteral("SCHEDULER"), QStringLiteral("FILES"),   QStringLiteral("VERSIONS")};

QString flag(bool value)
{
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

QString truth(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString destTag(int n)
{
    return QStringLiteral("DEST") + QString::number(n);
}

// A value as the loader reads it: by its key, inside its section.
QString storedValue(const QString& text, const QString& section, const QString& key)
{
    return core::ExtractItem(core::sectionText(text, section), key);
}

QString pathOf(const QString& fileLine)
{
    const qsizetype tab = fileLine.indexOf(QLatin1Char('\t'));
    return tab < 0 ? fileLine : fileLine.left(tab);
}

QStringList filesLines(const QStringList& checkedPaths, const QStringList& recordedFiles)
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
    for (QString& line : lines)
        line = core::oneLine(line);
    return lines;
}

QStringList versionLines(const QStringList& versions)
{
    QStringList lines;
    for (const QString& version : versions) {
        if (!version.isEmpty())
            lines << core::oneLine(version);
    }
    return lines;
}

QString passiveText(const QString& field)
{
    if (field == QLatin1String("0") || field == QLatin1String("False"))
        return QStringLiteral("False");
    if (field == QLatin1String("1") || field == QLatin1String("True"))
        return QStringLiteral("True");
    return field;
}

QString bodyText(const QStringList& lines)
{
    QString body;
    for (const QString& line : lines)
        body += line + CrLf;
    return body;
}

QString sectionText(const QString& name, const QStringList& lines)
{
    return QLatin1Char('<') + name + QLatin1Char('>') + CrLf + bodyText(lines) + QStringLiteral("</") + name
        + QLatin1Char('>') + CrLf;
}

struct KeyValue
{
    QString key;
    QString value;
};

// Sets `key` in a section's lines where the loader reads it, the first line that begins with "key=";
// `same` tells a stored value that already means the new one. A key the lines lack is added, unless
// it is to be empty, which is what the loader makes of a missing key.
void setKey(QStringList& lines, const KeyValue& entry,
            const std::function<bool(const QString&, const QString&)>& same = {})
{
    const QString prefix = entry.key + QLatin1Char('=');
    const QString value = core::oneLine(entry.value);
    for (QString& line : lines) {
        if (!line.startsWith(prefix))
            continue;
        const QString stored = line.mid(prefix.size());
        if (stored != value && !(same && same(stored, value)))
            line = prefix + value;
        return;
    }
    if (!value.isEmpty())
        lines << prefix + value;
}

bool sameTruth(const QString& stored, const QString& value)
{
    const std::optional<bool> a = core::truthValue(stored);
    return a && a == core::truthValue(value);
}

// The keys a destination row writes, in the order the store writes them.
QList<KeyValue> rowValues(const core::DestinationRow& row)
{
    const QStringList fields = row.tag.fields();
    const auto field = [&fields](qsizetype i) { return i < fields.size() ? fields.at(i) : QString(); };
    switch (core::destinationRowType(row.text)) {
    case core::DestinationType::Folder:
        return {{QStringLiteral("Type"), QStringLiteral("1")}, {QStringLiteral("LocalFolder"), row.tag.text()}};
    case core::DestinationType::Ftp:
        // The row carries the password in the scrambled form the document keeps.
        return {{QStringLiteral("Type"), QStringLiteral("2")},
                {QStringLiteral("FTPHost"), field(0)},
                {QStringLiteral("FTPPort"), field(1)},
                {QStringLiteral("FTPUser"), field(2)},
                {QStringLiteral("FTPPass"), field(3)},
                {QStringLiteral("FTPFolder"), field(4)},
                {QStringLiteral("FTPPassive"), passiveText(field(5))}};
    case core::DestinationType::Email:
        return {{QStringLiteral("Type"), QStringLiteral("3")},
                {QStringLiteral("EmailID"), field(0)},
                {QStringLiteral("Subject"), field(1)},
                {QStringLiteral("Body"), field(2)}};
    case core::DestinationType::Unused:
        break;
    }
    return {};
}

bool knownKind(const QString& text, int n)
{
    const QString type = storedValue(text, destTag(n), QStringLiteral("Type"));
    return type == QLatin1String("1") || type == QLatin1String("2") || type == QLatin1String("3");
}

// One destination of the new document: a row, or a stored section of no known kind kept as it is.
struct Slot
{
    // The stored DEST section it comes from; 0 for a row added in the window.
    int stored = 0;
    std::optional<core::DestinationRow> row;
    QStringList lines;
};

// The rows in list order, each stored destination of no known kind kept after the stored one that
// came before it.
QList<Slot> destinationSlots(const QString& text, int storedCount, const SettingsPages& pages)
{
    QList<Slot> newSlots;
    int next = 1;
    const auto keepUnknownBefore = [&](int limit) {
        for (; next < limit && next <= storedCount; ++next) {
            if (!knownKind(text, next))
                newSlots.append(Slot {next, std::nullopt, core::sectionLines(text, destTag(next))});
        }
    };
    QSet<int> taken;
    for (qsizetype i = 0; i < pages.destinations.size(); ++i) {
        const core::DestinationRow& row = pages.destinations.at(i);
        int stored = pages.destinationSlots.value(i, 0);
        if (stored < 1 || stored > storedCount || taken.contains(stored) || !knownKind(text, stored))
            stored = 0;
        taken.insert(stored);
        keepUnknownBefore(stored > 0 ? stored : storedCount + 1);
        Slot slot {stored, row, {}};
        if (stored > 0) {
            // The section keeps the keys the row does not know.
            slot.lines = core::sectionLines(text, destTag(stored));
            for (const KeyValue& entry : rowValues(row))
                setKey(slot.lines, entry, entry.key == QLatin1String("FTPPassive") ? &sameTruth : nullptr);
        } else {
            for (const KeyValue& entry : rowValues(row))
                slot.lines << entry.key + QLatin1Char('=') + core::oneLine(entry.value);
        }
        newSlots.append(slot);
    }
    keepUnknownBefore(storedCount + 1);
    return newSlots;
}

// The slot the next run starts with: the destination that was current, or the one that would have
// followed it when it is gone. Nothing when the stored number names no stored destination.
std::optional<int> currentSlot(const QList<Slot>& newSlots, int current, int storedCount)
{
    if (current < 1 || current > storedCount)
        return std::nullopt;
    for (int step = 0; step < storedCount; ++step) {
        const int wanted = (current - 1 + step) % storedCount + 1;
        for (qsizetype i = 0; i < newSlots.size(); ++i) {
            if (newSlots.at(i).stored == wanted)
                return static_cast<int>(i + 1);
        }
    }
    return 1;
}

// The start of the empty line right before `start`, or `start` when the line before is not empty.
qsizetype withEmptyLineBefore(const QString& text, qsizetype start)
{
    qsizetype end = start;
    if (end > 0 && text.at(end - 1) == QLatin1Char('\n')) {
        --end;
        if (end > 0 && text.at(end - 1) == QLatin1Char('\r'))
            --end;
    } else {
        return start;
    }
    return end == 0 || text.at(end - 1) == QLatin1Char('\n') ? end : start;
}

// Changes to the document, each a span of the original text and what takes its place. Spans do not
// overlap; what is put at one place keeps the order it was given in.
class Edits
{
public:
    explicit Edits(const QString& text)
        : m_text(text)
    { }

    void replace(qsizetype start, qsizetype end, const QString& text) { m_edits.push_back({start, end, text}); }
    void insert(qsizetype at, const QString& text) { replace(at, at, text); }

    // Puts a missing section after the stored section that comes before it in the store's order, or
    // first; gives the place.
    qsizetype insertSection(const QString& name, const QStringList& lines)
    {
        for (qsizetype i = StoreOrder.indexOf(name) - 1; i >= 0; --i) {
            if (const auto earlier = core::sectionSpan(m_text, StoreOrder.at(i))) {
                insert(earlier->end, CrLf + sectionText(name, lines));
                return earlier->end;
            }
        }
        insert(0, sectionText(name, lines) + CrLf);
        return 0;
    }

    QString result() const
    {
        std::vector<Edit> edits = m_edits;
        std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.start < b.start; });
        QString text;
        qsizetype copied = 0;
        for (const Edit& edit : edits) {
            if (edit.start > copied)
                text += QStringView(m_text).mid(copied, edit.start - copied);
            text += edit.text;
            copied = std::max(copied, edit.end);
        }
        text += QStringView(m_text).mid(copied);
        return text;
    }

private:
    struct Edit
    {
        qsizetype start;
        qsizetype end;
        QString text;
    };
    const QString& m_text;
    std::vector<Edit> m_edits;
};

// The first two sections to be written into that lie inside one another, or nothing.
std::optional<QString> nestedSections(const QString& text, int storedCount)
{
    QStringList names = StoreOrder;
    for (int n = 1; n <= storedCount; ++n)
        names << destTag(n);
    std::vector<std::pair<core::SectionSpan, QString>> spans;
    for (const QString& name : names) {
        if (const auto span = core::sectionSpan(text, name))
            spans.emplace_back(*span, name);
    }
    std::sort(spans.begin(), spans.end(), [](const auto& a, const auto& b) { return a.first.start < b.first.start; });
    for (size_t i = 1; i < spans.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (spans[i].first.start < spans[j].first.end)
                return QStringLiteral("%1 and %2").arg(spans[j].second, spans[i].second);
        }
    }
    return std::nullopt;
}

// Whether the loader reads the time-stamp values it needs from the document.
bool timestampsReadable(const QString& text)
{
    for (const char* key : {"Accurancy", "FormatIndex", "DeleteBackups", "KeepVersions"}) {
        if (!core::wholeNumber(storedValue(text, QStringLiteral("TIMESTAMP"), QLatin1String(key))))
            return false;
    }
    return true;
}

struct SectionValue
{
    QString section;
    KeyValue entry;
};

// The values of the pages that differ from what they showed, by the section the loader reads them in.
QList<SectionValue> changedValues(const QString& text, const SettingsPages& pages, const SettingsPages& shown)
{
    QList<SectionValue> values;
    const auto add = [&values](const char* section, const char* key, const QString& value) {
        values.append({QLatin1String(section), {QLatin1String(key), value}});
    };
    const auto plain = [&add](const char* section, const char* key, const QString& now, const QString& before) {
        if (now != before)
            add(section, key, now);
    };
    const auto choice = [&add](const char* section, const char* key, const std::optional<int>& now,
                               const std::optional<int>& before) {
        if (now && now != before)
            add(section, key, QString::number(*now));
    };
    plain("GENERAL", "Exclude", pages.Exclude, shown.Exclude);
    plain("GENERAL", "Include", pages.Include, shown.Include);
    plain("GENERAL", "ExcludeFolders", flag(pages.ExcludeFolders), flag(shown.ExcludeFolders));
    choice("GENERAL", "BackupType", pages.BackupType, shown.BackupType);
    choice("GENERAL", "Compression", pages.Compression, shown.Compression);
    choice("GENERAL", "RotationType", pages.RotationType, shown.RotationType);
    plain("GENERAL", "UseTimeStamp", flag(pages.UseTimeStamp), flag(shown.UseTimeStamp));
    // A set that takes up time stamps needs their values, whether or not the dialog changed them.
    const bool timestampsNeeded = pages.UseTimeStamp && !timestampsReadable(text);
    const auto stamp = [&](const char* key, const QString& now, const QString& before) {
        if (timestampsNeeded)
            add("TIMESTAMP", key, now);
        else
            plain("TIMESTAMP", key, now, before);
    };
    stamp("Accurancy", pages.Accurancy, shown.Accurancy);
    stamp("TimeStampFormat", pages.TimeStampFormat, shown.TimeStampFormat);
    stamp("FormatIndex", pages.FormatIndex, shown.FormatIndex);
    stamp("DeleteBackups", pages.DeleteBackups, shown.DeleteBackups);
    stamp("KeepVersions", pages.KeepVersions, shown.KeepVersions);
    plain("TIMESTAMP", "KeepQuantity", pages.KeepQuantity, shown.KeepQuantity);
    plain("TIMESTAMP", "KeepPeriodAccurancy", pages.KeepPeriodAccurancy, shown.KeepPeriodAccurancy);
    plain("GENERAL", "Incremental", truth(pages.Incremental), truth(shown.Incremental));
    choice("GENERAL", "ProtectData", pages.ProtectData, shown.ProtectData);
    plain("GENERAL", "BFPassword", pages.BFPassword, shown.BFPassword);
    plain("GENERAL", "ZIPName", pages.ZIPName, shown.ZIPName);
    plain("GENERAL", "Scheduler", flag(pages.Scheduler), flag(shown.Scheduler));
    // A schedule switched on here runs from the start the pickers show where the stored one does not
    // read: the wizard stores none for a set without a schedule.
    const bool switchedOn = pages.Scheduler && !shown.Scheduler;
    const auto start = [&](const char* key, const QString& now, const QString& before, bool readable) {
        if (switchedOn && !readable)
            add("SCHEDULER", key, now);
        else
            plain("SCHEDULER", key, now, before);
    };
    start("StartDate", pages.StartDate, shown.StartDate,
          platform::DateText::parseDate(storedValue(text, QStringLiteral("SCHEDULER"), QStringLiteral("StartDate")))
              .has_value());
    start("StartTime", pages.StartTime, shown.StartTime,
          platform::DateText::parseTime(storedValue(text, QStringLiteral("SCHEDULER"), QStringLiteral("StartTime")))
              .has_value());
    plain("SCHEDULER", "Repeat", flag(pages.Repeat), flag(shown.Repeat));
    choice("SCHEDULER", "SAccurancy", pages.SAccurancy, shown.SAccurancy);
    plain("SCHEDULER", "Period", pages.Period, shown.Period);
    return values;
}
} // namespace

RebuiltDocument rebuildSetDocument(const QString& text, const SettingsPages& pages, const SettingsPages& shown,
                                   const QStringList& recordedFiles, const QStringList& versions)
{
    const auto refuse = [](const QString& reason) { return RebuiltDocument {std::nullopt, reason}; };
    const int storedCount = std::clamp(
        core::wholeNumber(storedValue(text, QStringLiteral("GENERAL"), QStringLiteral("DestCount"))).value_or(0), 0,
        core::MaxDestinations);
    // Sections inside one another cannot be written one by one without breaking the other.
    if (const auto nested = nestedSections(text, storedCount))
        return refuse(QStringLiteral("The sections %1 of the set's document lie inside one another; the changes are "
                                     "not saved.")
                          .arg(*nested));

    const QList<Slot> newSlots = destinationSlots(text, storedCount, pages);
    QList<SectionValue> values = changedValues(text, pages, shown);
    values.append({QStringLiteral("GENERAL"), {QStringLiteral("DestCount"), QString::number(newSlots.size())}});
    const std::optional<int> current
        = core::wholeNumber(storedValue(text, QStringLiteral("STATS"), QStringLiteral("CurrentDestination")));
    if (const std::optional<int> slot = currentSlot(newSlots, current.value_or(0), storedCount);
        slot && slot != current)
        values.append({QStringLiteral("STATS"), {QStringLiteral("CurrentDestination"), QString::number(*slot)}});

    Edits edits(text);
    QStringList sections;
    for (const SectionValue& value : values) {
        if (!sections.contains(value.section))
            sections << value.section;
    }
    for (const QString& section : sections) {
        const auto span = core::sectionSpan(text, section);
        const QStringList stored = span ? core::sectionLines(text, section) : QStringList();
        QStringList lines = stored;
        for (const SectionValue& value : values) {
            if (value.section != section)
                continue;
            if (span)
                setKey(lines, value.entry);
            else
                lines << value.entry.key + QLatin1Char('=') + core::oneLine(value.entry.value);
        }
        if (!span)
            edits.insertSection(section, lines);
        else if (lines != stored)
            edits.replace(span->bodyStart, span->bodyEnd, bodyText(lines));
    }

    const QStringList files = filesLines(pages.checkedPaths, recordedFiles);
    const QStringList versionsLines = versionLines(versions);
    // Where the destinations go when the document has none: after the versions.
    qsizetype afterVersions = text.size();
    for (const auto& [section, lines] :
         {std::pair {QStringLiteral("FILES"), files}, std::pair {QStringLiteral("VERSIONS"), versionsLines}}) {
        if (const auto span = core::sectionSpan(text, section)) {
            if (core::sectionLines(text, section) != lines)
                edits.replace(span->bodyStart, span->bodyEnd, bodyText(lines));
            afterVersions = span->end;
        } else {
            afterVersions = edits.insertSection(section, lines);
        }
    }

    // The stored destinations make way for the new ones, which take the place of the first.
    std::optional<qsizetype> destinationsAt;
    for (int n = 1; n <= storedCount; ++n) {
        if (const auto span = core::sectionSpan(text, destTag(n))) {
            const qsizetype start = withEmptyLineBefore(text, span->start);
            edits.replace(start, span->end, QString());
            destinationsAt = std::min(destinationsAt.value_or(start), start);
        }
    }
    QString destinations;
    for (qsizetype i = 0; i < newSlots.size(); ++i)
        destinations += CrLf + sectionText(destTag(static_cast<int>(i + 1)), newSlots.at(i).lines);
    edits.insert(destinationsAt.value_or(afterVersions), destinations);

    const QString result = edits.result();

    // What the loader will make of it: the whole set, and every value where it was written.
    const core::ParseResult parsed = core::parseSetDocument(result);
    if (!parsed.parsed)
        return refuse(QStringLiteral("With these changes the set's document would no longer load, so they are not "
                                     "saved. %1")
                          .arg(parsed.reason));
    QStringList unread;
    for (const SectionValue& value : values) {
        if (storedValue(result, value.section, value.entry.key) != core::oneLine(value.entry.value))
            unread << value.entry.key;
    }
    if (core::sectionLines(result, QStringLiteral("FILES")) != files)
        unread << QStringLiteral("FILES");
    if (core::sectionLines(result, QStringLiteral("VERSIONS")) != versionsLines)
        unread << QStringLiteral("VERSIONS");
    for (qsizetype i = 0; i < newSlots.size(); ++i) {
        const QString tag = destTag(static_cast<int>(i + 1));
        if (core::sectionLines(result, tag) != newSlots.at(i).lines)
            unread << tag;
    }
    if (!unread.isEmpty())
        return refuse(QStringLiteral("The set's document cannot hold %1 where the program reads it; the changes are "
                                     "not saved.")
                          .arg(unread.join(QStringLiteral(", "))));
    return {result, {}};
}

} // namespace editors
