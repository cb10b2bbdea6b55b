#include "restore/frmRestoreToNew.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "localisation/Skin.h"
#include "platform/Form.h"

namespace restore
{

frmRestoreToNew::frmRestoreToNew()
{
    setObjectName(QStringLiteral("frmRestoreToNew"));
    setWindowTitle(QStringLiteral("Restore to new location"));
    auto* layout = new QVBoxLayout(this);
    auto* lblNotice = new QLabel(QStringLiteral("Restoring to a new location is not available in this version."), this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    layout->addWidget(lblNotice);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRestoreToNew::cmdCancel_Click);
}

void frmRestoreToNew::Form_Load()
{
    localisation::translateAndSkin(this);
}

void frmRestoreToNew::cmdCancel_Click()
{
    platform::Form<frmRestoreToNew>::unload();
}

} // namespace restore
