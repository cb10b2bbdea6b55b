#include "editors/frmSettings.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "editors/BackupTypeFrame.h"
#include "editors/CompressionPage.h"
#include "editors/DestinationDialogs.h"
#include "editors/SchedulePage.h"
#include "editors/StepValidation.h"
#include "editors/TimestampPage.h"
#include "localisation/Skin.h"
#include "platform/Form.h"

namespace editors
{

frmSettings::frmSettings()
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Backup Item properties"));
    auto* layout = new QVBoxLayout(this);
    auto* lblNotice = new QLabel(QStringLiteral("Editing backup sets is not available in this version."), this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    layout->addWidget(lblNotice);
    lblStep = new QLabel(QStringLiteral("4"), this);
    lblStep->setObjectName(QStringLiteral("lblStep"));
    lblStep->hide();
    backupType = new BackupTypeFrame(EditorKind::Properties, this);
    timestampPage = new TimestampPage;
    compressionPage = new CompressionPage;
    schedulePage = new SchedulePage(EditorKind::Properties);
    TSMenu = new QTabWidget(this);
    TSMenu->setObjectName(QStringLiteral("TSMenu"));
    TSMenu->addTab(timestampPage, QStringLiteral("Timestamps"));
    TSMenu->addTab(compressionPage, QStringLiteral("ZIP and Encryption"));
    TSMenu->addTab(schedulePage, QStringLiteral("Scheduling"));
    // Shown once the window can store what its pages hold.
    TSMenu->hide();
    layout->addWidget(TSMenu);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettings::cmdCancel_Click);
}

void frmSettings::Form_Load()
{
    localisation::translateAndSkin(this);
    registerDestinationDialogs();
    schedulePage->fillDayTrees();
}

void frmSettings::cmdCancel_Click()
{
    platform::Form<frmSettings>::unload();
}

bool frmSettings::ValidateStep()
{
    return editors::ValidateStep(this, EditorKind::Properties);
}

} // namespace editors
