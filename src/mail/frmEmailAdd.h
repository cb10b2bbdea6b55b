#pragma once

#include <optional>

#include <QDialog>

#include "core/DestinationCaller.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace mail
{

// The dialog that adds an e-mail destination to an editor's destination list, or changes the row it
// was opened for. Its To box is also the recipient of test mails: every change is kept in the
// preferences.
class frmEmailAdd : public QDialog
{
    Q_OBJECT

public:
    frmEmailAdd();

    // Remembers the editor whose list the dialog works on, until the next call.
    static void SetCaller(core::DestinationCaller* frmName);
    // Opens the dialog modally for the caller: to add a row, or with `edit` to change the selected one.
    static void open(core::DestinationCaller& caller, bool edit);

    // Shows the values of the caller's selected row; OK with chkNew unchecked rewrites that row.
    void LoadDetails();

    // Shows the test address of the preferences; every change of the box is written back.
    void Form_Load();
    void txtEmail_Change();
    void cmdOK_Click();
    void cmdCancel_Click();
    // Sends a test mail to the address in the To box.
    void cmdSend_Click();

    QLineEdit* txtEmail = nullptr;
    QLineEdit* txtSub = nullptr;
    QPlainTextEdit* txtBody = nullptr;
    QCheckBox* chkNew = nullptr;
    QPushButton* cmdSend = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    // Escape and the close box cancel.
    void reject() override;

private:
    void refuse(const QString& text);

    std::optional<quint64> m_loadedRow;
};

} // namespace mail
