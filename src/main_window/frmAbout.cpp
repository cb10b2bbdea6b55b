#include "main_window/frmAbout.h"

#include <QLabel>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "localisation/Brand.h"
#include "localisation/Skin.h"
#include "main_window/ProgramPictures.h"
#include "platform/VersionInfo.h"

namespace main_window
{

frmAbout::frmAbout()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(splashPicture(QSize(480, 150)));
    layout->addWidget(picture);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont large = Label1->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.6);
    Label1->setFont(large);
    Label2 = new QLabel(QStringLiteral("(version %1.%2)").arg(platform::version::Major).arg(platform::version::Minor),
                        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto* Label4
        = new QLabel(QStringLiteral("Keeps copies of your files in folders, on FTP servers and in mail."), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    auto* Label6 = new QLabel(QStringLiteral("Built with Qt and libzip."), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    for (QLabel* label : {Label1, Label2, Label4, Label6})
        layout->addWidget(label);
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + localisation::BrandProgramName());
    Label1->setText(localisation::BrandProgramName());
    if (core::state().UseSkin)
        localisation::ApplySkin(this);
}

} // namespace main_window
