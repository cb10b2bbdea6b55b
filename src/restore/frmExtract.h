#pragma once

#include "restore/ToolWindow.h"

namespace restore
{

// The extract tool: unpacks one zip archive below a folder, with the archive's folders. A file that
// is already there is kept and named in the status, and so is every entry whose name is not safe to
// write (one that leaves the folder, a link, a device).
class frmExtract : public ToolWindow
{
    Q_OBJECT

public:
    frmExtract();

    // "...": picks the archive and proposes the folder of its name.
    void Command1_Click() override;
    // "Extract".
    void Command2_Click() override;

    QLineEdit* Text2 = nullptr;
};

} // namespace restore
