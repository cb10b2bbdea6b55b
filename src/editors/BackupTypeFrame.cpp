#include "editors/BackupTypeFrame.h"

#include <QRadioButton>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "localisation/WindowCaptions.h"

namespace editors
{

BackupTypeFrame::BackupTypeFrame(EditorKind kind, QWidget* parent)
    : QGroupBox(QStringLiteral("Full or Incremental Backup"), parent)
    , m_kind(kind)
{
    setObjectName(QStringLiteral("fraBackupType"));
    const char* texts[] = {"F&ull Backup", "&Incremental Backup"};
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < 2; ++i) {
        optBackupType[i] = new QRadioButton(QString::fromLatin1(texts[i]), this);
        optBackupType[i]->setObjectName(QStringLiteral("optBackupType"));
        localisation::setControlIndex(optBackupType[i], i);
        layout->addWidget(optBackupType[i]);
        connect(optBackupType[i], &QRadioButton::clicked, this, [this, i] { optBackupType_Click(i); });
    }
    optBackupType[0]->setChecked(true);
    hide();
}

void BackupTypeFrame::optBackupType_Click(int Index)
{
    // The properties window reads the options when it applies them.
    if (m_kind == EditorKind::Wizard)
        core::state().NewBackupSet.Incremental = Index == 1;
}

void BackupTypeFrame::readInto(core::BackupSetInfo& set) const
{
    for (int i = 0; i < 2; ++i) {
        if (optBackupType[i]->isChecked()) {
            set.BackupType = i;
            break;
        }
    }
}

} // namespace editors
