#pragma once

#include <optional>

#include <QString>

#include "platform/Prompt.h"

class QWidget;

namespace core
{

// A message box under the program's title, asked through the prompt layer so tests can answer.
platform::Message programMessage(QWidget* parent, const QString& text,
                                 platform::Icon icon = platform::Icon::Exclamation,
                                 platform::Buttons buttons = platform::Buttons::Ok);

// Shows a program message and gives the answer; `defaultAnswer` is the button Enter presses (No on
// every question that destroys something).
platform::Answer ask(QWidget* parent, const QString& text, platform::Icon icon = platform::Icon::Exclamation,
                     platform::Buttons buttons = platform::Buttons::Ok,
                     std::optional<platform::Answer> defaultAnswer = std::nullopt);

} // namespace core
