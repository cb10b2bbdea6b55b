#include "editors/frmWizard.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "editors/BackupTypeFrame.h"
#include "editors/CompressionPage.h"
#include "editors/DestinationDialogs.h"
#include "editors/SchedulePage.h"
#include "editors/StepValidation.h"
#include "editors/TimestampPage.h"
#include "localisation/Skin.h"
#include "platform/Clock.h"
#include "platform/Form.h"

namespace editors
{

frmWizard::frmWizard()
{
    setObjectName(QStringLiteral("frmWizard"));
    setWindowTitle(QStringLiteral("New Item Wizard - Step 1: Choose Item Type"));
    auto* layout = new QVBoxLayout(this);
    auto* lblNotice = new QLabel(QStringLiteral("Creating backup sets is not available in this version."), this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    layout->addWidget(lblNotice);
    lblStep = new QLabel(QStringLiteral("1"), this);
    lblStep->setObjectName(QStringLiteral("lblStep"));
    lblStep->hide();
    backupType = new BackupTypeFrame(EditorKind::Wizard, this);
    timestampPage = new TimestampPage;
    compressionPage = new CompressionPage;
    schedulePage = new SchedulePage(EditorKind::Wizard);
    // Steps 4 to 6, shown once the wizard can write the set they describe.
    pages = new QStackedWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    pages->addWidget(timestampPage);
    pages->addWidget(compressionPage);
    pages->addWidget(schedulePage);
    pages->hide();
    layout->addWidget(pages);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmWizard::cmdCancel_Click);
}

void frmWizard::Form_Load()
{
    localisation::translateAndSkin(this);
    registerDestinationDialogs();
    schedulePage->fillDayTrees();
    schedulePage->showStartDefaults(platform::clock().now());
}

void frmWizard::cmdCancel_Click()
{
    platform::Form<frmWizard>::unload();
}

bool frmWizard::ValidateStep()
{
    return editors::ValidateStep(this, EditorKind::Wizard);
}

} // namespace editors
