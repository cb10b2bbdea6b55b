#include "editors/frmSettings.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/DestinationDialogs.h"
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
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettings::cmdCancel_Click);
}

void frmSettings::Form_Load()
{
    localisation::translateAndSkin(this);
    registerDestinationDialogs();
}

void frmSettings::cmdCancel_Click()
{
    platform::Form<frmSettings>::unload();
}

} // namespace editors
