#pragma once

#include <QString>

#include "editors/EditorKind.h"

class QWidget;

namespace editors
{

// Checks the page an editor shows (the text of its hidden label lblStep) before the editor leaves
// it, and tells the user in a warning box what is missing. False keeps the page. The wizard speaks
// through the message table, the properties window in English; there page 1 is never shown and
// fails without a word.
bool ValidateStep(QWidget* host, EditorKind kind);

// True when `strText` can name a new set: a file name the store accepts, without the characters the
// old program refused, not hidden (the set list leaves hidden files out), and no set of that name
// exists. Names differ by letter case, as file names do here.
bool ValidateFileName(const QString& strText);

} // namespace editors
