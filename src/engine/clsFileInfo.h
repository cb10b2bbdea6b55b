#pragma once

#include <vector>

#include <QHash>
#include <QString>

namespace engine
{

// A growable table of file names, each with two date values (days since 30 December 1899). Rows are
// numbered from 0. Names are kept and compared exactly, as the file system compares them; where a
// name occurs more than once, its first row is the one found.
class clsFileInfo
{
public:
    qsizetype RowCount() const { return static_cast<qsizetype>(m_rows.size()); }
    // Drops the rows from `count` on, or adds empty rows up to it; a negative count empties the table.
    void setRowCount(qsizetype count);

    void additem(const QString& nam, double oldD, double newD);
    // Removes the first row of that name; later rows move down one place. Nothing when it is absent.
    void RemoveItem(const QString& nam);
    // True with `n` the first row of that name; false with `n` = RowCount() when there is none.
    bool Exists(const QString& nam, qsizetype& n) const;

    // Outside 0 to RowCount() - 1 the getters give an empty name or the zero date and the setters
    // change nothing.
    QString Filename(qsizetype j) const;
    double OldDate(qsizetype j) const;
    double NewDate(qsizetype j) const;
    void setFilename(qsizetype j, const QString& nam);
    void setOldDate(qsizetype j, double value);
    void setNewDate(qsizetype j, double value);

private:
    struct Row
    {
        QString name;
        double oldDate = 0;
        double newDate = 0;
    };

    bool inRange(qsizetype j) const { return j >= 0 && j < RowCount(); }
    void rebuildIndex() const;

    std::vector<Row> m_rows;
    // Name to first row, so that a look-up does not walk the table. Rebuilt lazily after a change
    // that moves rows or renames one.
    mutable QHash<QString, qsizetype> m_firstRow;
    mutable bool m_indexStale = false;
};

} // namespace engine
