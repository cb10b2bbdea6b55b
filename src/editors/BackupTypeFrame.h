#pragma once

#include <array>

#include <QGroupBox>

#include "core/BackupSet.h"
#include "editors/EditorKind.h"

class QRadioButton;

namespace editors
{

// Full or incremental backup. The editors carry the choice on their first page, hidden, so the user
// never changes it; the wizard still records it in the new set when an option is clicked.
class BackupTypeFrame : public QGroupBox
{
    Q_OBJECT

public:
    explicit BackupTypeFrame(EditorKind kind, QWidget* parent = nullptr);

    void optBackupType_Click(int Index);
    // Puts BackupType into `set`, unchanged when no option is chosen.
    void readInto(core::BackupSetInfo& set) const;

    std::array<QRadioButton*, 2> optBackupType {};

private:
    EditorKind m_kind;
};

} // namespace editors
