#pragma once

#include <QDialog>
#include <QStringList>

#include "restore/RestoreRun.h"

class QPushButton;
class QTreeWidget;

namespace restore
{

// The file selection, the last step before a restore: lists the files of the set's last run, all
// ticked, writes the ticked ones to the set's restore list and hands the choice to the restore.
class frmSelectFiles : public QDialog
{
    Q_OBJECT

public:
    frmSelectFiles();

    // Opens a fresh file selection for the choice (closing one that is open) and shows it.
    static frmSelectFiles* open(const RestoreRequest& choice);

    void Form_Load();
    void cmdSelectAll_Click();
    // "Select Inverse".
    void cmdSelInv_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    const RestoreRequest& choice() const { return m_choice; }
    // The ticked paths in list order.
    QStringList tickedPaths() const;

    QTreeWidget* List1 = nullptr;
    QPushButton* cmdSelectAll = nullptr;
    QPushButton* cmdSelInv = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    // The files the list shows at first without scrolling.
    static constexpr int ShownRows = 20;

    void setChoice(const RestoreRequest& choice);
    // The files of the chosen set's last run, all ticked.
    void fillList();

    RestoreRequest m_choice;
};

} // namespace restore
