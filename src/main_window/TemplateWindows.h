#pragma once

#include <memory>
#include <vector>

#include <QWidget>

#include "platform/Result.h"

namespace main_window
{

// Fresh, hidden instances of the 20 windows whose captions the translators' template lists, built
// without running their loads: building the template starts no run, writes no setting and goes
// online nowhere. The caller destroys them when done.
std::vector<std::unique_ptr<QWidget>> LoadAllForms();

// The loaded windows, then a fresh instance of each of the 20 windows that is not loaded, written as
// the template.
platform::Result writeLocalizationTemplate();

} // namespace main_window
