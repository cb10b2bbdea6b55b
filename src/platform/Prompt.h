#pragma once

#include <functional>
#include <optional>

#include <QString>

class QWidget;

namespace platform
{

enum class Buttons
{
    Ok,
    OkCancel,
    AbortRetryIgnore,
    YesNoCancel,
    YesNo,
    RetryCancel,
};

enum class Icon
{
    None,
    Critical,
    Question,
    Exclamation,
    Information,
};

enum class Answer
{
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
};

// The answer that lets unattended work go on safely, for each set of buttons.
Answer defaultUnattendedAnswer(Buttons buttons);

struct Message
{
    QString text;
    QString title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    // The button Enter presses; without one the box picks its first accepting button.
    std::optional<Answer> defaultAnswer;
    // Taken without asking when nobody can see the program.
    std::optional<Answer> unattendedAnswer;
    QWidget* parent = nullptr;

    Answer answerWhenUnattended() const { return unattendedAnswer.value_or(defaultUnattendedAnswer(buttons)); }
};

// Shows the message in a box on the screen and waits for the answer, whether or not anybody can
// see it. Its texts often hold names and paths from the user or from files: they are shown as they
// stand, never as markup. A box whose parent window goes away meanwhile takes its cancelling answer.
Answer askInMessageBox(const Message& message);

// Message boxes. Windows and core classes ask through this, so that tests can answer for the user.
class Prompt
{
public:
    virtual ~Prompt() = default;
    virtual Answer show(const Message& message) = 0;
};

Prompt& prompt();
// Installs another prompt (nullptr restores the Qt one). The caller keeps ownership.
void setPrompt(Prompt* prompt);

// Nobody can see the program: service mode, or no screen to show a window on.
bool isUnattended();
void setServiceUnattended(bool unattended);
// Where an unattended message is recorded (the run log), besides standard error.
void setUnattendedSink(std::function<void(const QString&)> sink);
// Records a message that nobody will see and gives the answer it takes.
Answer answerUnattended(const Message& message);

} // namespace platform
