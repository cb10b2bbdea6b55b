#pragma once

#include <deque>
#include <functional>
#include <optional>

#include <QList>
#include <QStringList>

#include "platform/RunContext.h"
#include "restore/OverwriteQuestion.h"

namespace test
{

// Answers the overwrite question from a script, one answer a question (nothing stands for a stop
// that took the question away), and remembers what was asked. Past the script it answers No.
class ScriptedQuestion : public restore::OverwriteQuestion
{
public:
    using Answer = std::optional<restore::OverwriteAnswer>;

    ScriptedQuestion(std::initializer_list<Answer> answers = {})
        : m_answers(answers)
    { }
    explicit ScriptedQuestion(const QList<Answer>& answers)
        : m_answers(answers.cbegin(), answers.cend())
    { }

    Answer ask(const QString& existing, const QString& replacement, platform::RunContext&) override
    {
        asked << existing;
        replacements << replacement;
        if (m_answers.empty()) {
            ranOut = true;
            return restore::OverwriteAnswer::No;
        }
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    QStringList asked;
    QStringList replacements;
    bool ranOut = false;

private:
    std::deque<Answer> m_answers;
};

} // namespace test
