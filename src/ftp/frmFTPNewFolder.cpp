#include "ftp/frmFTPNewFolder.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "localisation/Skin.h"
#include "platform/Form.h"

namespace ftp
{

frmFTPNewFolder::frmFTPNewFolder()
{
    setObjectName(QStringLiteral("frmFTPNewFolder"));
    setWindowTitle(QStringLiteral("Create new FTP folder..."));
    auto* layout = new QVBoxLayout(this);
    auto* lblNotice = new QLabel(QStringLiteral("Creating FTP folders is not available in this version."), this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    layout->addWidget(lblNotice);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFTPNewFolder::cmdCancel_Click);
}

void frmFTPNewFolder::Form_Load()
{
    localisation::translateAndSkin(this);
}

void frmFTPNewFolder::cmdCancel_Click()
{
    platform::Form<frmFTPNewFolder>::unload();
}

} // namespace ftp
