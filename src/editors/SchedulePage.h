#pragma once

#include <array>

#include <QDateTime>
#include <QWidget>

#include "core/BackupSet.h"
#include "editors/EditorKind.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QRadioButton;
class QTimeEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace editors
{

// The page of both editors that decides whether and when the main window's clock runs the set: a
// start date and time, and a repetition every day, on chosen weekdays or on chosen days of the month.
class SchedulePage : public QWidget
{
    Q_OBJECT

public:
    explicit SchedulePage(EditorKind kind, QWidget* parent = nullptr);

    // Fills the day trees; the host calls it once it is translated. The wizard names the weekdays in
    // the current language, the properties window in English.
    void fillDayTrees();
    // The wizard's start: today, the next full hour.
    void showStartDefaults(const QDateTime& now);

    void chkScheduler_Click();
    void chkRepeat_Click();
    void optRepeat_Click(int Index);
    void tvScheduleWeek_NodeClick(QTreeWidgetItem* Node);
    void tvScheduleMonth_NodeClick(QTreeWidgetItem* Node);

    // The schedule the page shows; a scheduler that is off yields empty values.
    core::ScheduleInfo scheduleInfo() const;
    // Shows a stored schedule, one that is off too; Period items that name no day are passed over.
    // `now` stands in for a missing start.
    void showSchedule(const core::ScheduleInfo& schedule, const QDateTime& now);

    QCheckBox* chkScheduler = nullptr;
    QCheckBox* chkRepeat = nullptr;
    QGroupBox* frRepeat = nullptr;
    std::array<QRadioButton*, 3> optRepeat {};
    QTreeWidget* tvScheduleWeek = nullptr;
    QTreeWidget* tvScheduleMonth = nullptr;
    QDateEdit* dtDate = nullptr;
    QTimeEdit* dtTime = nullptr;

private:
    void connectNodeClicks(QTreeWidget* tree, void (SchedulePage::*handler)(QTreeWidgetItem*));
    static void toggle(QTreeWidgetItem* Node);

    EditorKind m_kind;
    // The mark a node had when the mouse went down, to tell a click on its text from one on its box.
    Qt::CheckState m_pressedState = Qt::Unchecked;
};

} // namespace editors
