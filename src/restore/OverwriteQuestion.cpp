#include "restore/OverwriteQuestion.h"

namespace restore
{

int replaceAnswerCode(OverwriteAnswer answer)
{
    switch (answer) {
    case OverwriteAnswer::Yes:
        return AnswerYes;
    case OverwriteAnswer::No:
        return AnswerNo;
    case OverwriteAnswer::YesToAll:
        return AnswerYesToAll;
    case OverwriteAnswer::NoToAll:
        return AnswerNoToAll;
    case OverwriteAnswer::Cancel:
        return AnswerCancel;
    }
    return NoAnswer;
}

std::optional<OverwriteAnswer> overwriteAnswerFor(int code)
{
    for (const OverwriteAnswer answer : {OverwriteAnswer::Yes, OverwriteAnswer::No, OverwriteAnswer::YesToAll,
                                         OverwriteAnswer::NoToAll, OverwriteAnswer::Cancel}) {
        if (replaceAnswerCode(answer) == code)
            return answer;
    }
    return std::nullopt;
}

} // namespace restore
