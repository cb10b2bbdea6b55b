#include "core/DirList.h"

#include "core/CFileInfo.h"

namespace core
{

std::shared_ptr<cDirItem> cDirList::Add(quint32 lAttrib, double dtCreationTime, double dtLastAccessTime,
                                        double dtLastWriteTime, qint64 lFileSize, const QString& sFileName)
{
    if (m_positions.contains(sFileName))
        return nullptr;
    auto item = std::make_shared<cDirItem>();
    item->ReadOnly = lAttrib & attr::ReadOnly;
    item->Hidden = lAttrib & attr::Hidden;
    item->System = lAttrib & attr::System;
    item->Directory = lAttrib & attr::Directory;
    item->Archive = lAttrib & attr::Archive;
    item->Normal = lAttrib & attr::Normal;
    item->Temporary = lAttrib & attr::Temporary;
    item->Compressed = lAttrib & attr::Compressed;
    item->Offline = lAttrib & attr::Offline;
    item->CreationTime = dtCreationTime;
    item->LastAccessTime = dtLastAccessTime;
    item->LastWriteTime = dtLastWriteTime;
    item->FileSize = lFileSize;
    item->Filename = sFileName;
    m_positions.insert(sFileName, Count());
    m_items.push_back(item);
    return item;
}

void cDirList::Clear()
{
    m_items.clear();
    m_positions.clear();
}

std::shared_ptr<cDirItem> cDirList::Item(const QString& key) const
{
    const auto found = m_positions.constFind(key);
    return found == m_positions.cend() ? nullptr : m_items.at(static_cast<size_t>(*found));
}

std::shared_ptr<cDirItem> cDirList::Item(qsizetype position) const
{
    if (position < 1 || position > Count())
        return nullptr;
    return m_items.at(static_cast<size_t>(position - 1));
}

} // namespace core
