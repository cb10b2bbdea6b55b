#pragma once

#include <QDialog>
#include <QHash>

#include "editors/SettingsDocument.h"
#include "platform/Result.h"

class QLabel;
class QPushButton;
class QTabWidget;

namespace editors
{

class BackupTypeFrame;
class CompressionPage;
class DestinationListPage;
class SchedulePage;
class SourceListPage;
class TimestampPage;

// The properties of the set loaded in the main window: its pages under tabs, filled once from the set
// when the window is first shown, and written back into the set's document by OK.
class frmSettings : public QDialog
{
    Q_OBJECT

public:
    frmSettings();

    void Form_Load();
    void cmdOK_Click();
    void cmdApply_Click();
    void cmdCancel_Click();
    // Checks the page shown (lblStep) before the window leaves it.
    bool ValidateStep();
    // Writes the pages into the document of the set the window was filled from and saves it. Only
    // while that set still exists, is the loaded one and no run of it is under way, and only when the
    // document can take the changes; the reason otherwise is shown and the window keeps its edits.
    platform::Result Apply();

    // The number of the page shown, "2" to "6".
    QLabel* lblStep = nullptr;
    QTabWidget* TSMenu = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;
    SourceListPage* sourcePage = nullptr;
    DestinationListPage* destinationPage = nullptr;
    BackupTypeFrame* backupType = nullptr;
    TimestampPage* timestampPage = nullptr;
    CompressionPage* compressionPage = nullptr;
    SchedulePage* schedulePage = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    // Shows the loaded set on the pages, all of it that they can show; what they cannot is named in
    // one notice.
    void fill();
    void LoadFiles();
    void TSMenu_Click(int index);
    SettingsPages pagesValues() const;

    bool m_filled = false;
    // The set the pages were filled from, and what they showed of it.
    QString m_setName;
    SettingsPages m_shown;
    // The DEST section each filled destination row came from, by the row's key.
    QHash<quint64, int> m_storedSlots;
    int m_shownTab = 0;
    // The window itself is changing the tab.
    bool m_switching = false;
};

} // namespace editors
