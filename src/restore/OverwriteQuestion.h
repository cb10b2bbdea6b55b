#pragma once

#include <optional>

#include <QString>

namespace platform
{
class RunContext;
}

namespace restore
{

// The user's answer to "replace the file that is there?".
enum class OverwriteAnswer
{
    Yes,
    No,
    YesToAll,
    NoToAll,
    Cancel,
};

// The codes of the answer in ReplaceAnswer (program state); they are compared across the program.
enum ReplaceAnswerCode : int
{
    NoAnswer = 0,
    AnswerCancel = 2,
    AnswerYes = 6,
    AnswerNo = 7,
    AnswerYesToAll = 8,
    AnswerNoToAll = 9,
};

int replaceAnswerCode(OverwriteAnswer answer);
// Nothing for NoAnswer or a code that is not an answer.
std::optional<OverwriteAnswer> overwriteAnswerFor(int code);

// Asks before an existing file is replaced. The restore's placing and the unzip layer ask through
// it; the program's window answers in the program, a scripted one in tests.
class OverwriteQuestion
{
public:
    virtual ~OverwriteQuestion() = default;

    // Whether `existing` is replaced by `replacement` (a restored work file, or an archive entry's
    // name). Nothing when a stop request of `run` took the
    // question away unanswered.
    virtual std::optional<OverwriteAnswer> ask(const QString& existing, const QString& replacement,
                                               platform::RunContext& run)
        = 0;
};

} // namespace restore
