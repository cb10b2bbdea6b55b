#include "editors/frmLanAdd.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "localisation/Skin.h"
#include "platform/Form.h"

namespace editors
{

frmLanAdd::frmLanAdd()
{
    setObjectName(QStringLiteral("frmLanAdd"));
    setWindowTitle(QStringLiteral("Add LAN / Local folder"));
    auto* layout = new QVBoxLayout(this);
    auto* lblNotice = new QLabel(QStringLiteral("Adding folder destinations is not available in this version."), this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    layout->addWidget(lblNotice);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLanAdd::cmdCancel_Click);
}

void frmLanAdd::Form_Load()
{
    localisation::translateAndSkin(this);
}

void frmLanAdd::cmdCancel_Click()
{
    platform::Form<frmLanAdd>::unload();
}

} // namespace editors
