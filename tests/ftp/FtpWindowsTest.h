#pragma once

#include <functional>

#include <QApplication>
#include <QObject>
#include <QTimer>

#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"
#include "platform/Form.h"
#include "support/DestinationListFake.h"
#include "support/ProgramFolderTest.h"

namespace test
{

// The FTP windows in a program folder of their own, with the built-in messages and a scripted prompt.
class FtpWindowsTest : public ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        localisation::resetLanguages();
        localisation::RegisterDefaultMessages();
    }
    void TearDown() override
    {
        platform::unloadAllWindows();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ProgramFolderTest::TearDown();
    }

    // Runs `step` once the modal window that the next call opens is up.
    static void whenShown(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }
};

} // namespace test
