#pragma once

#include <functional>

#include <QApplication>
#include <QTimer>

#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"
#include "platform/FileDialogs.h"
#include "platform/Form.h"
#include "support/ProgramFolderTest.h"

namespace test
{

// The editors' windows in a program folder of their own, with the built-in messages and with message
// boxes and file pickers answered from a script.
class EditorsTest : public ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        platform::setFileDialogs(&dialogs);
        localisation::resetLanguages();
        localisation::RegisterDefaultMessages();
    }
    void TearDown() override
    {
        platform::unloadAllWindows();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setFileDialogs(nullptr);
        ProgramFolderTest::TearDown();
    }

    // Runs `step` once the modal window that the next call opens is up.
    static void whenShown(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }

    FakeFileDialogs dialogs;
};

} // namespace test
