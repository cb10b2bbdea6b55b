#include "restore/frmDecrypt.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "localisation/Skin.h"
#include "platform/Form.h"

namespace restore
{

frmDecrypt::frmDecrypt()
{
    setObjectName(QStringLiteral("frmDecrypt"));
    setWindowTitle(QStringLiteral("File Decryptor"));
    auto* layout = new QVBoxLayout(this);
    auto* lblNotice
        = new QLabel(QStringLiteral("Deciphering a protected file by hand is not available in this version."), this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    layout->addWidget(lblNotice);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDecrypt::cmdCancel_Click);
}

void frmDecrypt::Form_Load()
{
    localisation::translateAndSkin(this);
}

void frmDecrypt::cmdCancel_Click()
{
    platform::Form<frmDecrypt>::unload();
}

} // namespace restore
