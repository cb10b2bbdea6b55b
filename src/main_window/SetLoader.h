#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

#include "main_window/FileViewRows.h"

namespace main_window
{

// Makes one set the loaded set: its document goes into the program's CurrentSet and strSetText and
// into the line lists the main window keeps, and its keeping rule is applied. The main window owns
// one loader and shows what each load gives back.
class SetLoader
{
public:
    // Deletes, oldest first, the versions beyond the newest `iKeep` at their destinations and removes
    // their lines from `prjData`, lowering `iQuantity` by one for each. `arrVersions` holds the set's
    // version lines, newest first. It reads the set from CurrentSet, which holds the set being loaded.
    using SyncVersionsFunction
        = std::function<void(QStringList& arrVersions, int& iKeep, int& iQuantity, QString& prjData)>;

    enum class Outcome
    {
        // The set is the loaded set now.
        Loaded,
        // The document is missing, empty or damaged: the loaded set is as it was, marked LoadFailed.
        Failed,
        // Another load is under way (pruning lets other handlers run); nothing changed.
        Refused,
    };

    struct Result
    {
        Outcome outcome = Outcome::Failed;
        // The set this load was for: its row gets the cells and the file-list cache.
        QString setName;
        // Why the load failed or was refused.
        QString reason;
        // The row's "Next run time" cell: the next run while the schedule is on, else empty.
        QString nextRunTime;
        // The file view: one row per listed file or folder.
        QList<FileViewRow> fileRows;
    };

    void setSyncVersions(SyncVersionsFunction syncVersions);

    // Loads the document of the set named `strBackupname`. Nothing of the set is taken over unless
    // the whole document reads; then it is taken over whole, after which old versions are pruned
    // when the keeping rule is due and the pruned text is saved.
    Result LoadBackup(const QString& strBackupname);

    // Whether a load is under way.
    bool loading() const { return m_loading; }

    // The loaded set's FILES lines, exclude masks and VERSIONS lines (newest first).
    const QStringList& globalfiles() const { return m_globalfiles; }
    const QStringList& globalexcludes() const { return m_globalexcludes; }
    QStringList& globalVersions() { return m_globalVersions; }

private:
    Result fail(const QString& setName, qint32 number, const QString& reason);
    void applyKeepingRule(const QString& setName);

    SyncVersionsFunction m_syncVersions;
    bool m_loading = false;
    QStringList m_globalfiles;
    QStringList m_globalexcludes;
    QStringList m_globalVersions;
};

} // namespace main_window
