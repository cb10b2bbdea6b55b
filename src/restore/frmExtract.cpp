#include "restore/frmExtract.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "localisation/Skin.h"
#include "platform/Form.h"

namespace restore
{

frmExtract::frmExtract()
{
    setObjectName(QStringLiteral("frmExtract"));
    setWindowTitle(QStringLiteral("File Extractor"));
    auto* layout = new QVBoxLayout(this);
    auto* lblNotice
        = new QLabel(QStringLiteral("Unpacking an archive by hand is not available in this version."), this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    layout->addWidget(lblNotice);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmExtract::cmdCancel_Click);
}

void frmExtract::Form_Load()
{
    localisation::translateAndSkin(this);
}

void frmExtract::cmdCancel_Click()
{
    platform::Form<frmExtract>::unload();
}

} // namespace restore
