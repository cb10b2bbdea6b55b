#pragma once

#include "localisation/DestinationDialog.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace mail
{

// The dialog that adds an e-mail destination to an editor's destination list, or changes the row it
// was opened for. Its To box is also the recipient of test mails: every change is kept in the
// preferences.
class frmEmailAdd : public localisation::DestinationDialogOf<frmEmailAdd>
{
    Q_OBJECT

public:
    frmEmailAdd();

    // Shows the values of the caller's selected row; OK with chkNew unchecked rewrites that row.
    void LoadDetails();

    // Shows the test address of the preferences; every change of the box is written back.
    void Form_Load();
    void txtEmail_Change();
    void cmdOK_Click();
    // Sends a test mail to the address in the To box.
    void cmdSend_Click();

    QLineEdit* txtEmail = nullptr;
    QLineEdit* txtSub = nullptr;
    QPlainTextEdit* txtBody = nullptr;
    QPushButton* cmdSend = nullptr;

protected:
    // Escape and the close box cancel.
    void reject() override;
};

} // namespace mail
