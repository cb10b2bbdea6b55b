#pragma once

#include <QString>

namespace platform
{

// The outcome of an operation at a module boundary. It starts as a failure: only `Result::success()`
// makes one that succeeded, so a path that forgets to set it never reports work as done. A failure
// carries a reason a person can read; a stop is a failure of its own kind.
class Result
{
public:
    Result() = default;

    static Result success()
    {
        Result result;
        result.m_state = State::Succeeded;
        return result;
    }
    static Result failure(QString reason)
    {
        Result result;
        result.m_reason = std::move(reason);
        return result;
    }
    static Result stop(QString reason = {})
    {
        Result result;
        result.m_state = State::Stopped;
        result.m_reason = std::move(reason);
        return result;
    }

    // Sets the outcome of a result that carries data besides it.
    void setOutcome(Result outcome) { *this = std::move(outcome); }

    bool succeeded() const { return m_state == State::Succeeded; }
    bool stopped() const { return m_state == State::Stopped; }
    explicit operator bool() const { return succeeded(); }
    const QString& reason() const { return m_reason; }

private:
    enum class State
    {
        Failed,
        Stopped,
        Succeeded,
    };
    State m_state = State::Failed;
    QString m_reason;
};

} // namespace platform
