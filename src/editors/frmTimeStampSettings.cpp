#include "editors/frmTimeStampSettings.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "localisation/Skin.h"
#include "platform/Form.h"

namespace editors
{

frmTimeStampSettings::frmTimeStampSettings()
{
    setObjectName(QStringLiteral("frmTimeStampSettings"));
    setWindowTitle(QStringLiteral("Timestamp Format Settings"));
    auto* layout = new QVBoxLayout(this);
    auto* lblNotice = new QLabel(QStringLiteral("Time-stamp options are not available in this version."), this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    layout->addWidget(lblNotice);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTimeStampSettings::cmdCancel_Click);
}

void frmTimeStampSettings::Form_Load()
{
    localisation::translateAndSkin(this);
}

void frmTimeStampSettings::cmdCancel_Click()
{
    platform::Form<frmTimeStampSettings>::unload();
}

} // namespace editors
