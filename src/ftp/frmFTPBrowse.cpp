#include "ftp/frmFTPBrowse.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "localisation/Skin.h"
#include "platform/Form.h"

namespace ftp
{

frmFTPBrowse::frmFTPBrowse()
{
    setObjectName(QStringLiteral("frmFTPBrowse"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Please select the FTP destination folder:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(Label1);
    layout->addWidget(ListView1);
    layout->addWidget(cmdCancel, 0, Qt::AlignRight);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFTPBrowse::cmdCancel_Click);
}

void frmFTPBrowse::Form_Load()
{
    if (!core::state().FTPBrowseRequested) {
        platform::Form<frmFTPBrowse>::unload();
        return;
    }
    localisation::translateAndSkin(this);
}

void frmFTPBrowse::cmdCancel_Click()
{
    platform::Form<frmFTPBrowse>::unload();
}

} // namespace ftp
