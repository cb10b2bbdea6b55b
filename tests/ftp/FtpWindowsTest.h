#pragma once

#include <functional>
#include <vector>

#include <QApplication>
#include <QObject>
#include <QTimer>

#include "core/DestinationCaller.h"
#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"
#include "platform/Form.h"
#include "support/ProgramFolderTest.h"

namespace test
{

// A destination list as small as the exchange allows, holding at most `capacity` rows.
class ListCaller : public QObject, public core::DestinationCaller
{
public:
    QObject* callerObject() override { return this; }
    std::optional<core::ListedDestination> selectedDestination() const override
    {
        if (selected < 0 || selected >= static_cast<int>(rows.size()))
            return std::nullopt;
        return core::ListedDestination {static_cast<quint64>(selected) + 100, rows.at(selected)};
    }
    bool addDestination(const core::DestinationRow& row) override
    {
        if (static_cast<int>(rows.size()) >= capacity)
            return false;
        rows.push_back(row);
        return true;
    }
    bool rewriteDestination(quint64 key, const core::DestinationRow& row) override
    {
        if (key < 100 || key - 100 >= rows.size())
            return false;
        rows[key - 100] = row;
        return true;
    }

    std::vector<core::DestinationRow> rows;
    int selected = -1;
    int capacity = 30;
};

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
