#pragma once

#include <optional>

#include <QCheckBox>
#include <QDialog>

#include "core/BackupSet.h"
#include "core/DestinationCaller.h"
#include "platform/Form.h"

class QPushButton;

namespace localisation
{

// What every dialog that adds or changes a row of an editor's destination list shares: the hidden
// "new row" box, OK and Cancel, the key of the row an edit loaded, and adding or rewriting that row.
class DestinationDialog : public QDialog
{
    Q_OBJECT

public:
    QCheckBox* chkNew = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    DestinationDialog(const char* name, const QString& title);

    // Creates chkNew (checked, hidden), cmdOK (the default button) and cmdCancel; called after the
    // dialog's own boxes so that the keyboard reaches them first.
    void createButtons();

    // The caller's selected row, remembered as the row OK rewrites; nullopt when none is selected.
    std::optional<core::ListedDestination> loadSelected(const core::DestinationCaller* caller);
    // The same for a row of one destination type, read into its values; other rows are not taken.
    std::optional<core::DestinationInfo> loadSelected(const core::DestinationCaller* caller, core::DestinationType type);
    // Adds the row when chkNew is checked, otherwise rewrites the loaded row; false when the list is full.
    bool storeRow(core::DestinationCaller* caller, const core::DestinationRow& row);
    // Tells that the list takes no more rows.
    void refuseFullList();
    void refuse(const QString& text);

private:
    std::optional<quint64> m_loadedRow;
};

// The dialog of one kind: it remembers its own caller and is the one instance of its kind.
template <class Dialog>
class DestinationDialogOf : public DestinationDialog
{
public:
    // Remembers the editor whose list the dialog works on, until the next call.
    static void SetCaller(core::DestinationCaller* frmName) { remembered().set(frmName); }
    // Opens the dialog modally for the caller: to add a row, or with `edit` to change the selected one.
    static void open(core::DestinationCaller& caller, bool edit) { core::openDestinationDialog<Dialog>(caller, edit); }

    void cmdCancel_Click() { platform::Form<Dialog>::unload(); }

protected:
    using DestinationDialog::DestinationDialog;

    // The remembered caller while it exists, otherwise nullptr.
    static core::DestinationCaller* caller() { return remembered().get(); }

private:
    static core::DestinationCallerRef& remembered()
    {
        static core::DestinationCallerRef caller;
        return caller;
    }
};

} // namespace localisation
