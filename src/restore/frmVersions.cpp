#include "restore/frmVersions.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/MainWindowServices.h"
#include "localisation/Skin.h"
#include "platform/Form.h"

namespace restore
{

frmVersions::frmVersions()
{
    setObjectName(QStringLiteral("frmVersions"));
    setWindowTitle(QStringLiteral("Backup versions"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(
        QStringLiteral("Please select a backup archive to restore from (you cannot restore from email backups)."),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    lvArchives = new QTreeWidget(this);
    lvArchives->setObjectName(QStringLiteral("lvArchives"));
    lvArchives->setRootIsDecorated(false);
    lvArchives->setHeaderLabels({QStringLiteral("Type"), QStringLiteral("Created Date"), QStringLiteral("Details"),
                                 QStringLiteral("Compression"), QStringLiteral("Encryption")});
    cmdContinue = new QPushButton(QStringLiteral("Restore to Previous Location"), this);
    cmdContinue->setObjectName(QStringLiteral("cmdContinue"));
    cmdContinue->setEnabled(false);
    cmdRestoreToNewLocation = new QPushButton(QStringLiteral("Restore to New Location"), this);
    cmdRestoreToNewLocation->setObjectName(QStringLiteral("cmdRestoreToNewLocation"));
    cmdRestoreToNewLocation->setEnabled(false);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(Label1);
    layout->addWidget(lvArchives);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdContinue);
    buttons->addWidget(cmdRestoreToNewLocation);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    connect(cmdCancel, &QPushButton::clicked, this, &frmVersions::cmdCancel_Click);
}

void frmVersions::Form_Load()
{
    localisation::translateAndSkin(this);
    core::MainWindowServices* services = core::mainWindowServices();
    if (!services)
        return;
    for (const QString& line : services->globalVersions()) {
        const QStringList fields = line.split(QLatin1Char('|'));
        // Type, created date and details of folder and FTP versions; e-mail versions cannot be restored.
        if (fields.value(0) == QLatin1String("LAN"))
            new QTreeWidgetItem(lvArchives, {QStringLiteral("LAN/Local Folder"), fields.value(3), fields.value(1)});
        else if (fields.value(0) == QLatin1String("FTP"))
            new QTreeWidgetItem(lvArchives, {QStringLiteral("FTP"), fields.value(7), fields.value(3)});
    }
}

void frmVersions::cmdCancel_Click()
{
    platform::Form<frmVersions>::unload();
}

} // namespace restore
