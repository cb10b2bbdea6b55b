#pragma once

#include <functional>
#include <optional>

#include <QPointer>

#include "core/DestinationRowTag.h"
#include "platform/Form.h"

namespace core
{

// A row of the caller's list as a dialog reads it, with the key that names that row for as long as
// it is listed, whatever else is added, removed or selected meanwhile.
struct ListedDestination
{
    quint64 key = 0;
    DestinationRow row;
};

// The editor's side of the exchange with the destination dialogs: the list they read and write.
//
// A dialog follows the exchange when it offers
//   static void SetCaller(core::DestinationCaller* caller)   remembers the caller, also across unloads;
//   void LoadDetails()                                        fills the boxes from the selected row and
//                                                             remembers its key;
//   QCheckBox* chkNew                                         hidden, checked when loaded: OK adds a row;
//                                                             unchecked, OK rewrites the row LoadDetails read;
// and registers its opener with setDestinationDialog.
class DestinationCaller
{
public:
    virtual ~DestinationCaller() = default;

    // The object whose end ends the caller: dialogs keep only a guarded reference to it.
    virtual QObject* callerObject() = 0;
    // The selected row; nullopt when none is selected.
    virtual std::optional<ListedDestination> selectedDestination() const = 0;
    // Adds the row at the end of the list; false when the list refuses it (it is full).
    virtual bool addDestination(const DestinationRow& row) = 0;
    // Rewrites the row named by `key` in place; false when no listed row has that key.
    virtual bool rewriteDestination(quint64 key, const DestinationRow& row) = 0;
};

// What SetCaller remembers: a reference that turns null once the caller is gone.
class DestinationCallerRef
{
public:
    void set(DestinationCaller* caller);
    // The caller while it exists, otherwise nullptr.
    DestinationCaller* get() const;

private:
    DestinationCaller* m_caller = nullptr;
    QPointer<QObject> m_guard;
};

// Opens the dialog of one kind for the caller, modally: SetCaller, then for `edit` LoadDetails and
// chkNew unchecked, then the show.
using DestinationDialogOpener = std::function<void(DestinationCaller& caller, bool edit)>;

// The opener every destination dialog shares: loads the dialog's one instance and shows it modally.
template <class Dialog>
void openDestinationDialog(DestinationCaller& caller, bool edit)
{
    Dialog::SetCaller(&caller);
    Dialog* dialog = platform::Form<Dialog>::load();
    if (!dialog)
        return;
    if (edit) {
        dialog->LoadDetails();
        dialog->chkNew->setChecked(false);
    }
    dialog->exec();
}

// Registers the dialog of a kind (2 FTP, 3 e-mail); an empty opener removes it. An editor offers
// to add and edit only kinds that have a dialog.
void setDestinationDialog(int type, DestinationDialogOpener opener);
// The opener of a kind; empty when no dialog is registered for it.
DestinationDialogOpener destinationDialog(int type);

} // namespace core
