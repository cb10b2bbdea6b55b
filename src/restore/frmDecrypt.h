#pragma once

#include "restore/ToolWindow.h"

namespace restore
{

// The decrypt tool: turns one protected .bf file back into the file it was made from, beside it
// under its name without ".bf". The password is the key of the file; a wrong one writes nothing. An
// existing file of the plain name is replaced only when the user agrees.
class frmDecrypt : public ToolWindow
{
    Q_OBJECT

public:
    frmDecrypt();

    // "...": picks the protected file.
    void Command1_Click() override;
    // "Decrypt".
    void Command2_Click() override;

    QLineEdit* Text3 = nullptr;
};

} // namespace restore
