#include <gtest/gtest.h>

#include "editors/SettingsFill.h"
#include "support/QtPrinters.h"
#include "support/SetDocumentFixtures.h"

namespace
{
core::BackupSetInfo scheduledSet()
{
    core::BackupSetInfo set;
    set.RotationType = core::RotationMode::EveryDestination;
    set.Compression = core::CompressionMode::OneArchive;
    set.ProtectData = core::ProtectionMode::Blowfish;
    set.Schedule.Scheduler = true;
    set.Schedule.StartDate = "10/12/2026";
    set.Schedule.StartTime = "08:05:00";
    set.Schedule.Repeat = true;
    set.Schedule.SAccurancy = 2;
    set.Schedule.Period = "1,15,31";
    return set;
}
} // namespace

TEST(SettingsFill, NamesEveryValueThePagesCannotShow)
{
    EXPECT_EQ(editors::unshowableValues(scheduledSet(), {}), QStringList());

    core::BackupSetInfo set = scheduledSet();
    set.RotationType = core::fromStoredCode<core::RotationMode>(0);
    set.Compression = core::fromStoredCode<core::CompressionMode>(3);
    set.ProtectData = core::fromStoredCode<core::ProtectionMode>(2);
    set.Schedule.StartDate = "31/02/2026";
    set.Schedule.StartTime = "25:00:00";
    set.Schedule.Period = "1,32, x,0";
    EXPECT_EQ(editors::unshowableValues(set, {}),
              QStringList({"RotationType = 0", "Compression = 3", "ProtectData = 2", "StartDate = 31/02/2026",
                           "StartTime = 25:00:00", "Period = 32", "Period = x", "Period = 0"}));

    set = scheduledSet();
    set.Schedule.SAccurancy = 5;
    EXPECT_EQ(editors::unshowableValues(set, {}), QStringList({"SAccurancy = 5"}));
}

TEST(SettingsFill, PassesOverScheduleValuesThePagesDoNotShow)
{
    core::BackupSetInfo set = scheduledSet();
    // An empty start time shows now, as a set without one always has.
    set.Schedule.StartTime.clear();
    // Weekly periods skip what names no day.
    set.Schedule.SAccurancy = 1;
    set.Schedule.Period = "mon,xyz";
    EXPECT_EQ(editors::unshowableValues(set, {}), QStringList());

    set.Schedule.Repeat = false;
    set.Schedule.SAccurancy = 9;
    EXPECT_EQ(editors::unshowableValues(set, {}), QStringList());

    set.Schedule.Scheduler = false;
    set.Schedule.StartDate = "never";
    EXPECT_EQ(editors::unshowableValues(set, {}), QStringList());
}

TEST(SettingsFill, NamesDestinationsOfNoKnownKind)
{
    core::BackupSetInfo set = scheduledSet();
    set.DestCount = 3;
    set.Dest[1].Type = core::DestinationType::Folder;
    set.Dest[3].Type = core::DestinationType::Email;
    const QString document = test::SetDocumentFixture().dest(2, {"Type=7", "Robot=arm"}).text();
    EXPECT_EQ(editors::unshowableValues(set, document), QStringList({"DEST2 Type = 7"}));
}
