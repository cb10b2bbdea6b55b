#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace core
{

// What the set store needs of the main window, which lives above it. The main window registers
// itself at start-up; without one (tests of the store, tools) the store leaves the window alone.
class MainWindowServices
{
public:
    virtual ~MainWindowServices() = default;

    // Writes one cell of the set list's row that shows `setName`; `subItem` counts the columns
    // after the name from 1. False when no row shows that set.
    virtual bool setSetRowCell(const QString& setName, int subItem, const QString& text) = 0;

    // Shows the loaded set's file list again: one row per FILES line (a path, optionally followed by
    // a TAB and its statistics); `excluded` tells for each line whether an exclude mask matches it.
    virtual void showFileList(const QStringList& lines, const QList<bool>& excluded) = 0;

    // The version lines of the loaded set as the main window keeps them.
    virtual QStringList& globalVersions() = 0;

    // The main window itself, which other windows follow (visible or hidden, its window state);
    // nullptr when there is none.
    virtual QWidget* mainWindow() { return nullptr; }
    // Writes the text of the first panel of the main window's status bar.
    virtual void setStatusText(const QString&) { }
    // Shows the preferences window, modeless or modal.
    virtual void showPreferences(bool) { }
    // Lets the preferences window's test-mail button be pressed again, creating the window unshown
    // when it does not exist.
    virtual void enableMailTest() { }

    // One tick of a schedule clock: queues every set whose "Next run time" has come and starts the
    // run queue. The main window's clock and the run window's clock both call it; a set is queued
    // once for each due time, whichever clock sees it first.
    virtual void queueDueSets() { }
    // Whether nobody can see the program: service mode, or the main window put away (hidden, or
    // minimised in place of a missing tray). A run then keeps its window out of sight.
    virtual bool programUnseen() const { return false; }
    // Shows the set's row in red: its last run failed.
    virtual void showSetRowFailed(const QString&) { }
    // Loads a set into CurrentSet, strSetText and the window; with bFromFile false and an empty
    // name, the set of the list's selected row.
    virtual bool LoadBackup(bool, const QString&) { return false; }

    // What the set editors need. The loaded set's FILES lines (a path, optionally a TAB and what its
    // runs recorded) as the main window keeps them.
    virtual QStringList globalfiles() const { return {}; }
    // The wizard has created a set: the main window lists the sets again once the wizard has closed.
    virtual void setNewItem(bool) { }
    // A set's document was changed by an editor.
    virtual void setModified(bool) { }
    // Lists the sets again and loads `setName`, selected, so that the commands act on the set just
    // saved; the first set when it is gone.
    virtual void listSetsSelecting(const QString&) { }
    // The set a run is under way for; empty while none runs.
    virtual QString runningSet() const { return {}; }
};

MainWindowServices* mainWindowServices();
// Blanks the first entry equal to `versionLine` among the main window's version lines, once the line
// has left the loaded set's document.
void forgetShownVersion(const QString& versionLine);
// Registers the main window (nullptr when it goes away). The caller keeps ownership.
void setMainWindowServices(MainWindowServices* services);

} // namespace core
