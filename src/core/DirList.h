#pragma once

#include <memory>
#include <vector>

#include <QHash>
#include <QString>

namespace core
{

// One directory entry as a directory search reports it.
struct cDirItem
{
    bool ReadOnly = false;
    bool Hidden = false;
    bool System = false;
    bool Directory = false;
    bool Archive = false;
    bool Normal = false;
    bool Temporary = false;
    bool Compressed = false;
    bool Offline = false;
    double CreationTime = 0;
    double LastAccessTime = 0;
    double LastWriteTime = 0;
    qint64 FileSize = 0;
    QString Filename;
};

// Directory entries in the order they were added, keyed by file name (compared exactly, as the
// file system compares names).
class cDirList
{
public:
    using Items = std::vector<std::shared_ptr<cDirItem>>;

    // The new item; nullptr when an item of that name is already listed.
    std::shared_ptr<cDirItem> Add(quint32 lAttrib, double dtCreationTime, double dtLastAccessTime,
                                  double dtLastWriteTime, qint64 lFileSize, const QString& sFileName);
    void Clear();
    // nullptr for an unknown name.
    std::shared_ptr<cDirItem> Item(const QString& key) const;
    // By 1-based position; nullptr outside 1 to Count().
    std::shared_ptr<cDirItem> Item(qsizetype position) const;
    qsizetype Count() const { return static_cast<qsizetype>(m_items.size()); }

    Items::const_iterator begin() const { return m_items.begin(); }
    Items::const_iterator end() const { return m_items.end(); }

private:
    Items m_items;
    QHash<QString, qsizetype> m_positions;
};

} // namespace core
