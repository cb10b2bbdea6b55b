#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include "core/RunLog.h"
#include "core/Settings.h"
#include "localisation/Brand.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "main_window/StartupOptions.h"
#include "main_window/frmMain.h"
#include "main_window/frmSplash.h"
#include "platform/Form.h"
#include "support/ProgramFolderTest.h"

namespace test
{

// A program folder of its own, a tray and a shell that a test can see into, and a program end that is
// counted instead of leaving the event loop. Logging is on and the first start is past, unless a test
// says otherwise.
class MainWindowTest : public ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        platform::setTray(&tray);
        platform::setShell(&shell);
        main_window::frmMain::setProgramEnd([this] { ++programEnds; });
        main_window::setCommandLine(QString());
        localisation::setSkinRecovery(main_window::recoverSkin);
        core::WritePreference("chkLog", "1");
        core::SaveUserPreference("Language", "English");
        core::SaveUserPreference("showHelp", "0");
    }

    void TearDown() override
    {
        platform::unloadAllWindows();
        localisation::setSkinRecovery(nullptr);
        localisation::resetLanguages();
        main_window::frmMain::setProgramEnd(nullptr);
        main_window::setCommandLine(QString());
        ProgramFolderTest::TearDown();
    }

    // Loads the main window as the splash window's timer does, with the brand values and skin the
    // splash window's load leaves.
    main_window::frmMain* loadMain(const QString& commandLine = QString())
    {
        main_window::setCommandLine(commandLine);
        return platform::Form<main_window::frmMain>::load();
    }

    // The whole start: the splash window, its 75 ticks, the main window.
    main_window::frmMain* startThroughSplash(const QString& commandLine = QString())
    {
        main_window::setCommandLine(commandLine);
        main_window::startProgram();
        main_window::frmSplash* splash = platform::Form<main_window::frmSplash>::loaded();
        if (!splash)
            return nullptr;
        for (int tick = 0; tick < 75; ++tick)
            splash->Timer2_Timer();
        return platform::Form<main_window::frmMain>::loaded();
    }

    QString log() const { return QString::fromUtf8(readFile(core::RunLogPath())); }

    FakeTray tray;
    FakeShell shell;
    int programEnds = 0;
};

} // namespace test
