#include "editors/frmWizard.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/DestinationDialogs.h"
#include "localisation/Skin.h"
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
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmWizard::cmdCancel_Click);
}

void frmWizard::Form_Load()
{
    localisation::translateAndSkin(this);
    registerDestinationDialogs();
}

void frmWizard::cmdCancel_Click()
{
    platform::Form<frmWizard>::unload();
}

} // namespace editors
