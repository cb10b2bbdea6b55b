#pragma once

namespace editors
{

// Makes the destination dialogs that follow the row exchange available to the editors' lists.
void registerDestinationDialogs();

} // namespace editors
