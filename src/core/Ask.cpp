#include "core/Ask.h"

#include "core/ProgramState.h"

namespace core
{

platform::Message programMessage(QWidget* parent, const QString& text, platform::Icon icon, platform::Buttons buttons)
{
    platform::Message message;
    message.text = text;
    message.title = state().AppTitle;
    message.icon = icon;
    message.buttons = buttons;
    message.parent = parent;
    return message;
}

platform::Answer ask(QWidget* parent, const QString& text, platform::Icon icon, platform::Buttons buttons,
                     std::optional<platform::Answer> defaultAnswer)
{
    platform::Message message = programMessage(parent, text, icon, buttons);
    message.defaultAnswer = defaultAnswer;
    return platform::prompt().show(message);
}

} // namespace core
