#include "restore/frmRestoring.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "localisation/Skin.h"
#include "platform/Form.h"

namespace restore
{

frmRestoring::frmRestoring()
{
    setObjectName(QStringLiteral("frmRestoring"));
    setWindowTitle(QStringLiteral("Restoring backup, please wait..."));
    auto* layout = new QVBoxLayout(this);
    lblLabel = new QLabel(QStringLiteral("Please wait while restoring the backup set..."), this);
    lblLabel->setObjectName(QStringLiteral("lblLabel"));
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    cmdClose = new QPushButton(QStringLiteral("Cancel"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    layout->addWidget(lblLabel);
    layout->addWidget(lblStatus);
    layout->addWidget(cmdClose, 0, Qt::AlignRight);
    connect(cmdClose, &QPushButton::clicked, this, &frmRestoring::cmdClose_Click);
}

void frmRestoring::Form_Load()
{
    localisation::translateAndSkin(this);
}

void frmRestoring::cmdClose_Click()
{
    core::state().bStopBackup = true;
    platform::Form<frmRestoring>::unload();
}

} // namespace restore
