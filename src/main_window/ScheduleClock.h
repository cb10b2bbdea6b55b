#pragma once

#include <optional>

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

namespace main_window
{

// Decides when a set falls due, for every schedule clock of the program (the main window's and the
// run window's, both through frmMain::queueDueSets), so that a set is queued once whichever clock
// sees it first.
//
// A set's "Next run time" cell holds its short date, a blank and its start time. The set is due once
// the minute of that time has come, also when it came while no clock looked (the machine slept, a
// long step held the clock, the clock jumped forward); a time seen in the cell that has passed still
// counts when the list was rebuilt before a clock saw that minute. Each due time of a set is due once
// only. Times are taken as wall-clock times without a time zone, so a daylight-saving jump neither
// skips a run nor repeats one.
class ScheduleClock
{
public:
    // The wall-clock moment a cell names; nullopt for an empty cell or one that does not read as a
    // date, a blank and a time.
    static std::optional<QDateTime> cellTime(const QString& cell);

    // Whether the set `setName`, whose cell reads `cell`, is due at `now`. A due answer is final: that
    // due time is never due again. A cell that cannot be read is not due itself.
    bool takeDue(const QString& setName, const QString& cell, const QDateTime& now);

    // Forgets the sets not among `setNames` (deleted or renamed since).
    void keepOnly(const QStringList& setNames);

private:
    struct Watch
    {
        // The time the cell showed at the last look, while it was not yet queued.
        std::optional<QDateTime> seen;
        // The due time queued last.
        std::optional<QDateTime> queued;
    };
    QHash<QString, Watch> m_watches;
};

} // namespace main_window
