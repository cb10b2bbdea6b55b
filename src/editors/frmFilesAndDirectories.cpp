#include "editors/frmFilesAndDirectories.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "localisation/Skin.h"
#include "platform/Form.h"

namespace editors
{

frmFilesAndDirectories::frmFilesAndDirectories()
{
    setObjectName(QStringLiteral("frmFilesAndDirectories"));
    setWindowTitle(QStringLiteral("Browse for folder."));
    auto* layout = new QVBoxLayout(this);
    auto* lblNotice = new QLabel(QStringLiteral("Browsing for folders is not available in this version."), this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    layout->addWidget(lblNotice);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFilesAndDirectories::cmdCancel_Click);
}

void frmFilesAndDirectories::Form_Load()
{
    localisation::translateAndSkin(this);
}

void frmFilesAndDirectories::cmdCancel_Click()
{
    platform::Form<frmFilesAndDirectories>::unload();
}

} // namespace editors
