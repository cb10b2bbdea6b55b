#pragma once

#include <QApplication>

#include "core/ProgramState.h"
#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"
#include "support/ProgramFolderTest.h"

namespace test
{

// A program folder with logging on and the built-in messages registered.
class RestoreTest : public ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        localisation::resetLanguages();
        localisation::RegisterDefaultMessages();
        core::state().LoggingEnabled = true;
    }
    void TearDown() override
    {
        // Dialogs that closed are deleted before the next test.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ProgramFolderTest::TearDown();
    }
    QStringList logLines() const
    {
        QStringList lines;
        for (const QString& line :
             QString::fromUtf8(readFile(programFile("status.log"))).split("\r\n", Qt::SkipEmptyParts))
            lines << line.mid(20);
        return lines;
    }
};

} // namespace test
