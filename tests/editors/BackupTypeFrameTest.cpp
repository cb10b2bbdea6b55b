#include "editors/BackupTypeFrame.h"

#include <QRadioButton>

#include <gtest/gtest.h>

#include "core/ProgramState.h"

TEST(BackupTypeFrame, OnlyTheWizardRecordsTheChoiceWhenClicked)
{
    for (const auto kind : {editors::EditorKind::Wizard, editors::EditorKind::Properties}) {
        core::state().NewBackupSet.Incremental = false;
        editors::BackupTypeFrame frame(kind);
        EXPECT_FALSE(frame.isVisibleTo(nullptr));
        frame.optBackupType[1]->click();
        EXPECT_EQ(core::state().NewBackupSet.Incremental, kind == editors::EditorKind::Wizard);
        core::BackupSetInfo set;
        frame.readInto(set);
        EXPECT_EQ(set.BackupType, 1);
        frame.optBackupType[0]->click();
        EXPECT_FALSE(core::state().NewBackupSet.Incremental);
    }
}
