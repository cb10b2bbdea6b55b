#include "main_window/frmStillRunning.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "core/Settings.h"
#include "localisation/Brand.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "main_window/frmMain.h"
#include "platform/Form.h"

namespace main_window
{
namespace
{
void unloadMainWindow()
{
    if (frmMain* main = platform::Form<frmMain>::loaded())
        main->unloadWindow(UnloadMode::Code);
}
} // namespace

frmStillRunning::frmStillRunning()
{
    setObjectName(QStringLiteral("frmStillRunning"));
    Label1 = new QLabel(QStringLiteral("Still Running"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont heading = Label1->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.3);
    Label1->setFont(heading);
    Label2 = new QLabel(
        QStringLiteral(
            "will continue to run in the system tray, so that scheduled backup sets will be executed in time."),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    chkAlwaysExit = new QCheckBox(
        QStringLiteral("Always exit completely when I close the program, don't run scheduled events."), this);
    chkAlwaysExit->setObjectName(QStringLiteral("chkAlwaysExit"));
    chkNoShow = new QCheckBox(QStringLiteral("Don't show this reminder again"), this);
    chkNoShow->setObjectName(QStringLiteral("chkNoShow"));
    cmdOK = new QPushButton(QStringLiteral("Ok"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(chkAlwaysExit);
    layout->addWidget(chkNoShow);
    layout->addWidget(cmdOK, 0, Qt::AlignRight);
    connect(cmdOK, &QPushButton::clicked, this, &frmStillRunning::cmdOK_Click);
}

void frmStillRunning::Form_Load()
{
    localisation::Languages().ChangeLanguage(this, localisation::CurrentLanguage());
    if (core::ReadPreference(QStringLiteral("chkAlwaysExit"), QStringLiteral("0")) == QLatin1String("1")) {
        setVisible(false);
        unloadMainWindow();
    }
    setWindowTitle(localisation::BrandProgramName()
                   + localisation::Languages().getMessages(QStringLiteral("MSG_RUNNING1")));
    if (core::state().UseSkin)
        localisation::ApplySkin(this);
}

void frmStillRunning::cmdOK_Click()
{
    if (chkNoShow->isChecked())
        core::WritePreference(QStringLiteral("chkNoShow"), QStringLiteral("1"));
    if (chkAlwaysExit->isChecked()) {
        core::WritePreference(QStringLiteral("chkAlwaysExit"), QStringLiteral("1"));
        unloadMainWindow();
    }
    platform::Form<frmStillRunning>::unload();
}

} // namespace main_window
