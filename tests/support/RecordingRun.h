#pragma once

#include <functional>

#include <QStringList>

#include "core/ProgramRun.h"

namespace test
{

// A run context that keeps every status text and counts the stop questions. The stop answer comes
// from `stopWhen` when set, else from the program's stop request as in a real run.
class RecordingRun : public core::ProgramRun
{
public:
    void showStatus(const QString& text) override
    {
        statuses << text;
        if (onStatus)
            onStatus(text);
    }
    bool stopRequested() const override
    {
        ++stopQuestions;
        return stopWhen ? stopWhen() : ProgramRun::stopRequested();
    }

    QStringList statuses;
    std::function<void(const QString&)> onStatus;
    std::function<bool()> stopWhen;
    mutable int stopQuestions = 0;
};

} // namespace test
