#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace main_window
{

// The columns of the set list after the name, numbered as its sub-items.
enum SetColumn
{
    ItemTypeColumn = 1,
    LastRunTimeColumn,
    NextRunTimeColumn,
    NextLocationColumn,
    StatusColumn,
    CreationTimeColumn,
    DurationColumn,
    SetColumnCount = DurationColumn,
};

// One row of the set list.
struct SetListRow
{
    // The document's file name without ".sbd".
    QString name;
    // Sub-items 1 to 7; cells[column - 1].
    QStringList cells;
    // False for a document that cannot be read or is damaged: the row is shown in red.
    bool valid = true;
    // Why the row is invalid.
    QString problem;

    const QString& cell(SetColumn column) const { return cells.at(column - 1); }
};

struct SetListing
{
    QList<SetListRow> rows;
    // The row to select and load (from 0), or -1 when there is none.
    int selectedRow = -1;
};

// The row of one set document with the text read from it, at `now`.
SetListRow setListRow(const QString& name, const QString& text, const QDateTime& now);

// Reads every set document of data/ (names ending exactly ".sbd"; hidden files left out)
// into rows, in name order. A document that cannot be read or is damaged becomes an invalid row,
// reported through ErrorIn, and the listing goes on. `Id` is the row to select, counted from 1; -1
// or a row that does not exist selects the first.
SetListing LoadBackupSets(int Id);

// Deletes a set's document, its file-list cache and its file list. The document's .bak copy and the
// restore list stay, so the set can still be brought back. A file that cannot go is reported; the
// others go all the same.
void deleteSetFiles(const QString& setName);

} // namespace main_window
