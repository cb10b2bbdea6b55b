#pragma once

#include <array>

#include <QWidget>

#include "core/BackupSet.h"
#include "core/DestinationCaller.h"
#include "editors/EditorKind.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace editors
{

// The page of both editors that lists where a set is delivered: one row per folder, FTP server or
// e-mail recipient, written by each kind's dialog, and whether runs rotate through them.
class DestinationListPage : public QWidget, public core::DestinationCaller
{
    Q_OBJECT

public:
    explicit DestinationListPage(EditorKind host, QWidget* parent = nullptr);

    void cmdAddNewDest_Click();
    void mnuLocalLANFolder_Click();
    void mnuFTPLocation_Click();
    void mnuEmailAddress_Click();
    void cmdDestDetails_Click();
    void cmdRemoveDest_Click();
    // The wizard opens a row's dialog where a label edit would begin, and cancels the edit.
    void lvDestinations_BeforeLabelEdit();
    // The properties window opens a row's dialog on a double click.
    void lvDestinations_DblClick();

    // The kind of row `row` (from 1), or of the selected row for -1: 1 folder, 2 FTP, 3 e-mail,
    // 0 for a row of no known kind, -1 when there is no such row.
    int GetDestinationType(int row) const;

    // Shows a stored set's destinations and rotation.
    void showDestinations(const core::BackupSetInfo& set);
    // Writes the rows into the set's destination records, each by its own kind, and the rotation.
    void storeDestinations(core::BackupSetInfo& set) const;
    // The rows in list order, as their dialogs wrote them.
    QList<core::DestinationRow> rows() const;
    // The keys that name the rows to the dialogs, in list order; a row keeps its key while listed.
    QList<quint64> rowKeys() const;
    // 1 when runs rotate through the destinations, 2 when each run delivers to all of them.
    int RotationType() const;

    // The exchange with the destination dialogs.
    QObject* callerObject() override { return this; }
    std::optional<core::ListedDestination> selectedDestination() const override;
    bool addDestination(const core::DestinationRow& row) override;
    bool rewriteDestination(quint64 key, const core::DestinationRow& row) override;

    QTreeWidget* lvDestinations = nullptr;
    QPushButton* cmdAddNewDest = nullptr;
    // mnuNewDestination in the wizard, mnuSelectDest in the properties window.
    QMenu* mnuDestinationKind = nullptr;
    QAction* mnuLocalLANFolder = nullptr;
    QAction* mnuFTPLocation = nullptr;
    QAction* mnuEmailAddress = nullptr;
    QPushButton* cmdDestDetails = nullptr;
    QPushButton* cmdRemoveDest = nullptr;
    QGroupBox* fraRotation = nullptr;
    std::array<QRadioButton*, 2> optRotation {};
    QLabel* lblDestinations = nullptr;

private:
    // Opens the dialog of a kind for this list; false when that kind has none.
    bool openDialog(int type, bool edit);
    // Refuses a destination beyond what a set can hold, with a message.
    bool hasRoomForAnother();
    // Enables the kinds that have a dialog.
    void updateKindMenu();
    QTreeWidgetItem* selectedRow() const;
    QTreeWidgetItem* rowWithKey(quint64 key) const;
    static core::DestinationRow rowOf(const QTreeWidgetItem* item);
    static void writeRow(QTreeWidgetItem* item, const core::DestinationRow& row);

    EditorKind m_host;
    quint64 m_nextKey = 1;
};

} // namespace editors
