#pragma once

namespace localisation
{

// Registers the program's English messages in Languages(), so that every message has a text even
// without a language file. Called once at start-up, before the first translation. Keys MSG_SURE1 to
// MSG_SUNDAY are registered twice; the language file translates both copies.
void RegisterDefaultMessages();

} // namespace localisation
