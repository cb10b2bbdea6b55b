#include "engine/clsFileInfo.h"

namespace engine
{

void clsFileInfo::setRowCount(qsizetype count)
{
    const auto size = static_cast<size_t>(qMax<qsizetype>(count, 0));
    if (size != m_rows.size())
        m_indexStale = true;
    m_rows.resize(size);
}

void clsFileInfo::additem(const QString& nam, double oldD, double newD)
{
    if (!m_indexStale && !m_firstRow.contains(nam))
        m_firstRow.insert(nam, RowCount());
    m_rows.push_back(Row {nam, oldD, newD});
}

void clsFileInfo::RemoveItem(const QString& nam)
{
    qsizetype n = 0;
    if (!Exists(nam, n))
        return;
    m_rows.erase(m_rows.begin() + n);
    m_indexStale = true;
}

bool clsFileInfo::Exists(const QString& nam, qsizetype& n) const
{
    if (m_indexStale)
        rebuildIndex();
    const auto found = m_firstRow.constFind(nam);
    if (found == m_firstRow.cend()) {
        n = RowCount();
        return false;
    }
    n = found.value();
    return true;
}

QString clsFileInfo::Filename(qsizetype j) const
{
    return inRange(j) ? m_rows[static_cast<size_t>(j)].name : QString();
}

double clsFileInfo::OldDate(qsizetype j) const
{
    return inRange(j) ? m_rows[static_cast<size_t>(j)].oldDate : 0.0;
}

double clsFileInfo::NewDate(qsizetype j) const
{
    return inRange(j) ? m_rows[static_cast<size_t>(j)].newDate : 0.0;
}

void clsFileInfo::setFilename(qsizetype j, const QString& nam)
{
    if (!inRange(j))
        return;
    m_rows[static_cast<size_t>(j)].name = nam;
    m_indexStale = true;
}

void clsFileInfo::setOldDate(qsizetype j, double value)
{
    if (inRange(j))
        m_rows[static_cast<size_t>(j)].oldDate = value;
}

void clsFileInfo::setNewDate(qsizetype j, double value)
{
    if (inRange(j))
        m_rows[static_cast<size_t>(j)].newDate = value;
}

void clsFileInfo::rebuildIndex() const
{
    m_firstRow.clear();
    m_firstRow.reserve(RowCount());
    for (qsizetype j = RowCount() - 1; j >= 0; --j)
        m_firstRow.insert(m_rows[static_cast<size_t>(j)].name, j);
    m_indexStale = false;
}

} // namespace engine
