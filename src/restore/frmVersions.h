#pragma once

#include <optional>

#include <QDialog>
#include <QList>

#include "core/VersionLine.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace restore
{

using core::VersionLine;

// The version chooser, the first step of a restore: lists the folder and FTP versions of the set
// loaded in the main window and hands the chosen one on, to the file selection for a restore to the
// previous location or to the new-location dialog. Lines of the version list that cannot be read
// are not listed, and a message says which and why.
class frmVersions : public QDialog
{
    Q_OBJECT

public:
    frmVersions();

    void Form_Load();
    // "Restore to Previous Location".
    void cmdContinue_Click();
    // "Restore to New Location".
    void cmdRestoreToNewLocation_Click();
    void cmdCancel_Click();

    // The version of the selected row; nothing when no row is selected.
    std::optional<VersionLine> selectedVersion() const;
    // The set whose versions are listed; empty when no set is loaded.
    QString setName() const { return m_setName; }

    QLabel* Label1 = nullptr;
    QLabel* lblException = nullptr;
    QTreeWidget* lvArchives = nullptr;
    QPushButton* cmdContinue = nullptr;
    QPushButton* cmdRestoreToNewLocation = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    // The column of the folder or the server.
    static constexpr int DetailsColumn = 2;
    // The versions the list shows at first without scrolling.
    static constexpr int ShownRows = 12;

    void fillList();
    // The first size: every column whole where the screen allows.
    void fitToVersions();
    // False, after telling the user, when no row is selected.
    bool hasSelection();

    QString m_setName;
    // One for each row, in row order.
    QList<VersionLine> m_versions;
};

} // namespace restore
