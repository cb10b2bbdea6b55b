#include "editors/SettingsFill.h"

#include "core/SetDocumentParser.h"
#include "core/SetText.h"
#include "platform/DateText.h"

namespace editors
{
namespace
{
QString named(const char* key, const QString& value)
{
    return QLatin1String(key) + QStringLiteral(" = ") + value;
}

void checkChoice(QStringList& found, const char* key, int value, int first, int last)
{
    if (value < first || value > last)
        found << named(key, QString::number(value));
}
} // namespace

QStringList unshowableValues(const core::BackupSetInfo& set, const QString& document)
{
    QStringList found;
    checkChoice(found, "RotationType", core::storedCode(set.RotationType), 1, 2);
    checkChoice(found, "Compression", core::storedCode(set.Compression), 0, 2);
    checkChoice(found, "ProtectData", core::storedCode(set.ProtectData), 0, 1);
    for (int slot = 1; slot <= std::min(set.DestCount, core::MaxDestinations); ++slot) {
        if (set.Dest.at(slot).Type != core::DestinationType::Unused)
            continue;
        const QString tag = QStringLiteral("DEST") + QString::number(slot);
        found << tag + QStringLiteral(" Type = ")
                + core::ExtractItem(core::sectionText(document, tag), QStringLiteral("Type"));
    }
    const core::ScheduleInfo& schedule = set.Schedule;
    // A schedule that is off is kept as stored; what it holds matters once it is on.
    if (!schedule.Scheduler)
        return found;
    if (!platform::DateText::parseDate(schedule.StartDate))
        found << named("StartDate", schedule.StartDate);
    if (!schedule.StartTime.isEmpty() && !platform::DateText::parseTime(schedule.StartTime))
        found << named("StartTime", schedule.StartTime);
    if (!schedule.Repeat)
        return found;
    checkChoice(found, "SAccurancy", schedule.SAccurancy, 0, 2);
    if (schedule.SAccurancy == 2) {
        for (const QString& item : schedule.Period.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            const int day = item.trimmed().toInt(&ok);
            if (!ok || day < 1 || day > 31)
                found << named("Period", item.trimmed());
        }
    }
    return found;
}

} // namespace editors
