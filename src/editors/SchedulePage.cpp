#include "editors/SchedulePage.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "localisation/Languages.h"
#include "localisation/WindowCaptions.h"
#include "platform/Clock.h"
#include "platform/DateText.h"

namespace editors
{
namespace
{
constexpr std::array<const char*, 7> DayKeys {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
constexpr std::array<const char*, 7> DayNames {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                               "Friday", "Saturday", "Sunday"};
constexpr std::array<const char*, 7> DayMessages {"MSG_MONDAY", "MSG_TUESDAY",  "MSG_WEDNESDAY", "MSG_THURSDAY",
                                                  "MSG_FRIDAY", "MSG_SATURDAY", "MSG_SUNDAY"};
constexpr int KeyRole = Qt::UserRole;

QTreeWidget* dayTree(const char* name, QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(QLatin1String(name));
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(false);
    tree->hide();
    return tree;
}

// The node a Period item names, as the main window's clock reads it: a weekday key in any case or
// a weekday number for a weekly period, a day number for a monthly one. 0 when it names none.
int listedDay(const QString& item, int accuracy)
{
    const QString entry = item.trimmed();
    if (accuracy == 1) {
        for (int k = 0; k < 7; ++k) {
            if (entry.compare(QLatin1String(DayKeys[static_cast<size_t>(k)]), Qt::CaseInsensitive) == 0)
                return k + 1;
        }
    }
    bool ok = false;
    const int day = entry.toInt(&ok);
    const int last = accuracy == 1 ? 7 : 31;
    return ok && day >= 1 && day <= last ? day : 0;
}
} // namespace

SchedulePage::SchedulePage(EditorKind kind, QWidget* parent)
    : QWidget(parent)
    , m_kind(kind)
{
    setObjectName(QStringLiteral("pctStep6"));
    auto* lblInfo = new QLabel(QStringLiteral("You can have the program perform a backup at scheduled intervals by "
                                              "using the scheduler (you must leave this program running to use the "
                                              "scheduler, but it may be minimized to the system tray)"),
                               this);
    lblInfo->setObjectName(QStringLiteral("lblScheduleInfo"));
    lblInfo->setWordWrap(true);
    chkScheduler = new QCheckBox(QStringLiteral("Enable Scheduler"), this);
    chkScheduler->setObjectName(QStringLiteral("chkScheduler"));

    dtDate = new QDateEdit(this);
    dtDate->setObjectName(QStringLiteral("dtDate"));
    dtDate->setCalendarPopup(true);
    dtDate->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    dtDate->setDate(platform::clock().now().date());
    dtDate->setEnabled(false);
    dtTime = new QTimeEdit(this);
    dtTime->setObjectName(QStringLiteral("dtTime"));
    dtTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    dtTime->setTime(QTime(0, 0, 0));
    dtTime->setEnabled(false);
    auto* lblStart = new QLabel(QStringLiteral("Start:"), this);
    lblStart->setObjectName(QStringLiteral("lblStart"));

    auto* fraRepeat = new QGroupBox(this);
    fraRepeat->setObjectName(QStringLiteral("fraRunSchedule"));
    chkRepeat = new QCheckBox(QStringLiteral("Run Schedule"), fraRepeat);
    chkRepeat->setObjectName(QStringLiteral("chkRepeat"));
    chkRepeat->setEnabled(false);
    frRepeat = new QGroupBox(fraRepeat);
    frRepeat->setObjectName(QStringLiteral("frRepeat"));
    const char* repeatTexts[] = {"Daily", "Weekly", "Monthly"};
    auto* repeatLayout = new QVBoxLayout(frRepeat);
    for (int i = 0; i < 3; ++i) {
        optRepeat[i] = new QRadioButton(QString::fromLatin1(repeatTexts[i]), frRepeat);
        optRepeat[i]->setObjectName(QStringLiteral("optRepeat"));
        localisation::setControlIndex(optRepeat[i], i);
        optRepeat[i]->setEnabled(false);
        repeatLayout->addWidget(optRepeat[i]);
        connect(optRepeat[i], &QRadioButton::clicked, this, [this, i] { optRepeat_Click(i); });
    }
    optRepeat[0]->setChecked(true);
    repeatLayout->addStretch();
    tvScheduleWeek = dayTree("tvScheduleWeek", fraRepeat);
    tvScheduleMonth = dayTree("tvScheduleMonth", fraRepeat);

    auto* start = new QHBoxLayout;
    start->addWidget(lblStart);
    start->addWidget(dtDate);
    start->addWidget(dtTime);
    start->addStretch();
    auto* repeatGrid = new QGridLayout(fraRepeat);
    repeatGrid->addWidget(chkRepeat, 0, 0, 1, 2);
    repeatGrid->addWidget(frRepeat, 1, 0);
    repeatGrid->addWidget(tvScheduleWeek, 1, 1);
    repeatGrid->addWidget(tvScheduleMonth, 1, 1);
    repeatGrid->setColumnStretch(1, 1);
    repeatGrid->setRowStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addWidget(chkScheduler);
    layout->addLayout(start);
    layout->addWidget(fraRepeat, 1);

    connect(chkScheduler, &QCheckBox::clicked, this, &SchedulePage::chkScheduler_Click);
    connect(chkRepeat, &QCheckBox::clicked, this, &SchedulePage::chkRepeat_Click);
    if (m_kind == EditorKind::Wizard) {
        connectNodeClicks(tvScheduleWeek, &SchedulePage::tvScheduleWeek_NodeClick);
        connectNodeClicks(tvScheduleMonth, &SchedulePage::tvScheduleMonth_NodeClick);
    }
}

void SchedulePage::connectNodeClicks(QTreeWidget* tree, void (SchedulePage::*handler)(QTreeWidgetItem*))
{
    connect(tree, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem* node) { m_pressedState = node->checkState(0); });
    // A click on the box has already changed the mark; one on the text changes it here.
    connect(tree, &QTreeWidget::itemClicked, this, [this, handler](QTreeWidgetItem* node) {
        if (node->checkState(0) == m_pressedState)
            (this->*handler)(node);
    });
}

void SchedulePage::fillDayTrees()
{
    tvScheduleWeek->clear();
    for (size_t k = 0; k < DayKeys.size(); ++k) {
        const QString text
            = m_kind == EditorKind::Wizard ? localisation::message(DayMessages[k]) : QString::fromLatin1(DayNames[k]);
        auto* node = new QTreeWidgetItem(tvScheduleWeek, {text});
        node->setData(0, KeyRole, QString::fromLatin1(DayKeys[k]));
        node->setCheckState(0, Qt::Unchecked);
    }
    tvScheduleMonth->clear();
    for (int day = 1; day <= 31; ++day) {
        auto* node = new QTreeWidgetItem(tvScheduleMonth, {QString::number(day)});
        node->setCheckState(0, Qt::Unchecked);
    }
}

void SchedulePage::showStartDefaults(const QDateTime& now)
{
    dtDate->setDate(now.date());
    const QTime time = dtTime->time();
    dtTime->setTime(QTime((now.time().hour() + 1) % 24, time.minute(), time.second()));
}

void SchedulePage::chkScheduler_Click()
{
    const bool on = chkScheduler->isChecked();
    dtDate->setEnabled(on);
    dtTime->setEnabled(on);
    chkRepeat->setEnabled(on);
    if (on) {
        chkRepeat_Click();
        return;
    }
    for (QRadioButton* option : optRepeat)
        option->setEnabled(false);
    tvScheduleWeek->hide();
    tvScheduleMonth->hide();
}

void SchedulePage::chkRepeat_Click()
{
    const bool on = chkRepeat->isChecked();
    for (QRadioButton* option : optRepeat)
        option->setEnabled(on);
    tvScheduleWeek->setVisible(on && optRepeat[1]->isChecked());
    tvScheduleMonth->setVisible(on && optRepeat[2]->isChecked());
}

void SchedulePage::optRepeat_Click(int Index)
{
    tvScheduleWeek->setVisible(Index == 1);
    tvScheduleMonth->setVisible(Index == 2);
}

void SchedulePage::toggle(QTreeWidgetItem* Node)
{
    Node->setCheckState(0, Node->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void SchedulePage::tvScheduleWeek_NodeClick(QTreeWidgetItem* Node)
{
    toggle(Node);
}

void SchedulePage::tvScheduleMonth_NodeClick(QTreeWidgetItem* Node)
{
    toggle(Node);
}

core::ScheduleInfo SchedulePage::scheduleInfo() const
{
    core::ScheduleInfo schedule;
    schedule.Scheduler = chkScheduler->isChecked();
    if (!schedule.Scheduler)
        return schedule;
    schedule.StartDate = platform::DateText::shortDate(dtDate->date());
    schedule.StartTime = dtTime->time().toString(QStringLiteral("HH:mm:ss"));
    schedule.Repeat = chkRepeat->isChecked();
    if (!schedule.Repeat)
        return schedule;
    for (int i = 0; i < 3; ++i) {
        if (optRepeat[i]->isChecked()) {
            schedule.SAccurancy = i;
            break;
        }
    }
    QStringList days;
    if (schedule.SAccurancy == 1) {
        for (int k = 0; k < tvScheduleWeek->topLevelItemCount(); ++k) {
            const QTreeWidgetItem* node = tvScheduleWeek->topLevelItem(k);
            if (node->checkState(0) == Qt::Checked)
                days << node->data(0, KeyRole).toString();
        }
    } else if (schedule.SAccurancy == 2) {
        for (int k = 0; k < tvScheduleMonth->topLevelItemCount(); ++k) {
            const QTreeWidgetItem* node = tvScheduleMonth->topLevelItem(k);
            if (node->checkState(0) == Qt::Checked)
                days << node->text(0);
        }
    }
    schedule.Period = days.join(QLatin1Char(','));
    return schedule;
}

void SchedulePage::showSchedule(const core::ScheduleInfo& schedule, const QDateTime& now)
{
    chkScheduler->setChecked(schedule.Scheduler);
    // A schedule that is off still shows what it holds, so that switching it on again resumes it.
    dtDate->setDate(platform::DateText::parseDate(schedule.StartDate).value_or(now.date()));
    const QTime time = dtTime->time();
    dtTime->setTime(
        platform::DateText::parseTime(schedule.StartTime)
            .value_or(schedule.Scheduler ? now.time() : QTime(now.time().hour(), time.minute(), time.second())));
    chkRepeat->setChecked(schedule.Repeat);
    if (schedule.Repeat && schedule.SAccurancy >= 0 && schedule.SAccurancy < 3) {
        optRepeat[schedule.SAccurancy]->setChecked(true);
        QTreeWidget* tree = schedule.SAccurancy == 1 ? tvScheduleWeek
            : schedule.SAccurancy == 2               ? tvScheduleMonth
                                                     : nullptr;
        for (const QString& item : schedule.Period.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const int day = tree ? listedDay(item, schedule.SAccurancy) : 0;
            if (day > 0 && day <= tree->topLevelItemCount())
                tree->topLevelItem(day - 1)->setCheckState(0, Qt::Checked);
        }
    }
    chkScheduler_Click();
}

} // namespace editors
