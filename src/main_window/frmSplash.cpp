#include "main_window/frmSplash.h"

#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "core/ProgramState.h"
#include "core/Settings.h"
#include "localisation/Brand.h"
#include "main_window/ProgramPictures.h"
#include "main_window/frmMain.h"
#include "platform/Form.h"
#include "platform/Named.h"
#include "platform/ServiceHost.h"

namespace main_window
{

frmSplash::frmSplash()
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setWindowIcon(programIcon());
    setFixedSize(480, 270);
    Timer2 = platform::namedTimer(this, "Timer2", 2);
    connect(Timer2, &QTimer::timeout, this, &frmSplash::Timer2_Timer);
    connect(&platform::serviceHost(), &platform::ServiceHost::stopRequested, this, &frmSplash::stopBeforeMainWindow);
}

frmSplash::~frmSplash()
{
    if (localisation::SkinObject() == &skn)
        localisation::setSkinObject(nullptr);
}

void frmSplash::Form_Load()
{
    m_keepHidden = core::ReadPreference(QStringLiteral("chkSplash"), QStringLiteral("0")) == QLatin1String("1");
    localisation::LoadBrand();
    if (core::state().UseSkin) {
        localisation::setSkinObject(&skn);
        localisation::ApplySkin(this);
    }
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    Timer2->start();
}

void frmSplash::Timer2_Timer()
{
    intTemp = static_cast<qint16>(intTemp + 2);
    if (intTemp != 150)
        return;
    Timer2->stop();
    // The main window's load may ask first (the language on the first start, the service notice):
    // the splash window must not stand over the question.
    hide();
    frmMain* main = platform::Form<frmMain>::load();
    // A start with chkMin "1" goes to the tray at once; the other hidden starts (service mode,
    // "/silent") stay hidden, and a desktop start showed the window in its load.
    if (main && !main->isUnloaded() && core::state().StartHidden)
        main->Form_Resize();
}

void frmSplash::stopBeforeMainWindow()
{
    if (platform::Form<frmMain>::loaded())
        return;
    Timer2->stop();
    hide();
    frmMain::endProgram();
}

void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, splashPicture(size()));
}

void startProgram()
{
    frmSplash* splash = platform::Form<frmSplash>::load();
    if (splash && !splash->keepsHidden())
        splash->show();
}

void recoverSkin()
{
    if (platform::Form<frmSplash>::loaded())
        return;
    frmSplash* splash = platform::Form<frmSplash>::load();
    if (!splash)
        return;
    splash->Timer2->stop();
    splash->hide();
}

} // namespace main_window
