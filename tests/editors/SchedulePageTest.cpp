#include "editors/SchedulePage.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "OptionPagesHost.h"
#include "localisation/Languages.h"

using editors::EditorKind;

namespace
{
class SchedulePageTest : public test::OptionPagesTest
{
protected:
    void SetUp() override
    {
        OptionPagesTest::SetUp();
        host = test::OptionPagesHost::open(EditorKind::Wizard);
        page = host->schedule;
        host->tabs->setCurrentWidget(page);
    }

    void tick(QTreeWidget* tree, const QList<int>& nodes)
    {
        for (const int n : nodes)
            tree->topLevelItem(n)->setCheckState(0, Qt::Checked);
    }

    test::OptionPagesHost* host = nullptr;
    editors::SchedulePage* page = nullptr;
};

QString values(const core::ScheduleInfo& s)
{
    return QString("%1|%2|%3|%4|%5|%6|%7|%8")
        .arg(s.Scheduler)
        .arg(s.StartDate, s.StartTime)
        .arg(s.Repeat)
        .arg(s.SAccurancy)
        .arg(s.Period)
        .arg(s.RunOnStart)
        .arg(s.RunOnEnd);
}
} // namespace

TEST_F(SchedulePageTest, TheDayTreesNameTheirDaysByHost)
{
    ASSERT_EQ(page->tvScheduleWeek->topLevelItemCount(), 7);
    ASSERT_EQ(page->tvScheduleMonth->topLevelItemCount(), 31);
    EXPECT_EQ(page->tvScheduleWeek->topLevelItem(0)->text(0), "Monday");
    EXPECT_EQ(page->tvScheduleMonth->topLevelItem(30)->text(0), "31");

    // The wizard speaks the current language; the properties window always English.
    localisation::resetLanguages();
    localisation::Languages().setMessage("MSG_MONDAY", "montag");
    page->fillDayTrees();
    EXPECT_EQ(page->tvScheduleWeek->topLevelItem(0)->text(0), "Montag");
    editors::SchedulePage properties(EditorKind::Properties);
    properties.fillDayTrees();
    EXPECT_EQ(properties.tvScheduleWeek->topLevelItem(0)->text(0), "Monday");
}

TEST_F(SchedulePageTest, TheValuesReadFromThePage)
{
    struct Case
    {
        const char* what;
        bool scheduler;
        bool repeat;
        int option;
        QList<int> weekNodes;
        QList<int> monthNodes;
        QString expected;
    };
    const Case cases[] = {
        {"weekly Monday and Friday", true, true, 1, {0, 4}, {}, "1|05/03/2024|07:05:00|1|1|mon,fri|0|0"},
        {"monthly 1 and 31", true, true, 2, {}, {0, 30}, "1|05/03/2024|07:05:00|1|2|1,31|0|0"},
        {"monthly, none ticked", true, true, 2, {}, {}, "1|05/03/2024|07:05:00|1|2||0|0"},
        {"daily over old week ticks", true, true, 0, {1, 2}, {3}, "1|05/03/2024|07:05:00|1|0||0|0"},
        {"no repetition", true, false, 1, {0}, {}, "1|05/03/2024|07:05:00|0|0||0|0"},
        {"scheduler off with days chosen", false, true, 1, {0, 6}, {}, "0|||0|0||0|0"},
    };
    for (const Case& c : cases) {
        page->fillDayTrees();
        page->dtDate->setDate(QDate(2024, 3, 5));
        page->dtTime->setTime(QTime(7, 5, 0));
        page->chkScheduler->setChecked(c.scheduler);
        page->chkScheduler_Click();
        page->chkRepeat->setChecked(c.repeat);
        page->chkRepeat_Click();
        page->optRepeat[c.option]->setChecked(true);
        tick(page->tvScheduleWeek, c.weekNodes);
        tick(page->tvScheduleMonth, c.monthNodes);
        EXPECT_EQ(values(page->scheduleInfo()), c.expected) << c.what;
    }
}

TEST_F(SchedulePageTest, SwitchesShowTheTreeOfTheChosenRepetition)
{
    EXPECT_FALSE(page->chkRepeat->isEnabled());
    EXPECT_FALSE(page->dtDate->isEnabled());
    page->chkScheduler->click();
    EXPECT_TRUE(page->dtDate->isEnabled() && page->dtTime->isEnabled() && page->chkRepeat->isEnabled());
    EXPECT_FALSE(page->optRepeat[1]->isEnabled());
    page->chkRepeat->click();
    EXPECT_TRUE(page->optRepeat[1]->isEnabled());
    page->optRepeat[2]->click();
    EXPECT_TRUE(page->tvScheduleMonth->isVisible());
    EXPECT_FALSE(page->tvScheduleWeek->isVisible());
    page->tvScheduleMonth->topLevelItem(14)->setCheckState(0, Qt::Checked);

    page->chkScheduler->click();
    EXPECT_FALSE(page->tvScheduleMonth->isVisible());
    EXPECT_FALSE(page->optRepeat[2]->isEnabled());
    EXPECT_FALSE(page->scheduleInfo().Repeat);

    // On again: the repetition and its days come back.
    page->chkScheduler->click();
    EXPECT_TRUE(page->tvScheduleMonth->isVisible());
    EXPECT_TRUE(page->optRepeat[2]->isEnabled());
    EXPECT_EQ(page->scheduleInfo().Period, "15");

    page->chkRepeat->click();
    EXPECT_FALSE(page->tvScheduleMonth->isVisible());
    page->chkRepeat->click();
    page->optRepeat[1]->click();
    EXPECT_TRUE(page->tvScheduleWeek->isVisible());
    EXPECT_FALSE(page->tvScheduleMonth->isVisible());
}

TEST_F(SchedulePageTest, AClickOnADayTextTicksItInTheWizardOnly)
{
    for (const EditorKind kind : {EditorKind::Wizard, EditorKind::Properties}) {
        auto* other = test::OptionPagesHost::open(kind);
        QTreeWidget* week = other->schedule->tvScheduleWeek;
        QTreeWidgetItem* tuesday = week->topLevelItem(1);
        emit week->itemPressed(tuesday, 0);
        emit week->itemClicked(tuesday, 0);
        EXPECT_EQ(tuesday->checkState(0) == Qt::Checked, kind == EditorKind::Wizard);
        // A click on the box itself has changed the mark already; the wizard must not turn it back.
        emit week->itemPressed(tuesday, 0);
        tuesday->setCheckState(0, tuesday->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        emit week->itemClicked(tuesday, 0);
        EXPECT_EQ(tuesday->checkState(0) == Qt::Checked, kind != EditorKind::Wizard);
    }
}

TEST_F(SchedulePageTest, StoredSchedulesAreShownAndReadBackAlike)
{
    const QDateTime now(QDate(2026, 12, 10), QTime(12, 30, 0));
    struct Case
    {
        const char* what;
        core::ScheduleInfo stored;
        QString readBack;
    };
    const Case cases[] = {
        {"weekly, keys as the clock reads them",
         {true, "05/03/2024", "07:05:00", true, 1, "mon, FRI,xyz,,9", false, false},
         "1|05/03/2024|07:05:00|1|1|mon,fri|0|0"},
        {"monthly, items that are no day passed over",
         {true, "05/03/2024", "23:59:59", true, 2, "31,0,32,x,1", false, false},
         "1|05/03/2024|23:59:59|1|2|1,31|0|0"},
        {"no start time: now", {true, "05/03/2024", "", false, 0, "", false, false}, "1|05/03/2024|12:30:00|0|0||0|0"},
        {"no schedule", {}, "0|||0|0||0|0"},
    };
    for (const Case& c : cases) {
        editors::SchedulePage shown(EditorKind::Properties);
        shown.fillDayTrees();
        shown.showSchedule(c.stored, now);
        EXPECT_EQ(values(shown.scheduleInfo()), c.readBack) << c.what;
        EXPECT_EQ(shown.dtDate->isEnabled(), c.stored.Scheduler) << c.what;
    }

    editors::SchedulePage off(EditorKind::Properties);
    off.fillDayTrees();
    off.showSchedule(core::ScheduleInfo(), now);
    EXPECT_EQ(off.dtDate->date(), now.date());
    EXPECT_EQ(off.dtTime->time().hour(), 12);

    // A schedule that is off shows what it holds, and switching it on resumes it.
    editors::SchedulePage paused(EditorKind::Properties);
    paused.fillDayTrees();
    paused.showSchedule({false, "05/03/2024", "07:05:00", true, 2, "1,15", false, false}, now);
    EXPECT_EQ(values(paused.scheduleInfo()), "0|||0|0||0|0");
    EXPECT_FALSE(paused.optRepeat[2]->isEnabled());
    paused.chkScheduler->click();
    EXPECT_EQ(values(paused.scheduleInfo()), "1|05/03/2024|07:05:00|1|2|1,15|0|0");
}

TEST_F(SchedulePageTest, TheWizardStartsAtTheNextHour)
{
    page->showStartDefaults(QDateTime(QDate(2026, 12, 10), QTime(23, 40, 0)));
    EXPECT_EQ(page->dtDate->date(), QDate(2026, 12, 10));
    EXPECT_EQ(page->dtTime->time().hour(), 0);
}
