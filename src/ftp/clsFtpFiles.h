#pragma once

#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>

namespace ftp
{

// One entry of a remote folder listing. A property the listing's form does not give keeps its initial
// value.
struct clsFtpFile
{
    bool IsDirectory = false;
    qint64 FileSize = 0;
    QDateTime LastWriteTime;
    QString Filename;
    QString FilePath; // where a link points
    QString Permissions;
    QString Owner;
    QString Group;
};

// The entries of one listing in the order of its lines; positions are 1-based.
class clsFtpFiles
{
public:
    using const_iterator = std::vector<clsFtpFile>::const_iterator;

    const clsFtpFile& Add(const clsFtpFile& objFtpFile);
    // The entry at a position, or nothing outside 1..Count.
    std::optional<clsFtpFile> Item(int varIndex) const;
    int Count() const { return static_cast<int>(m_colFiles.size()); }
    // False outside 1..Count.
    bool Remove(int varIndex);

    const_iterator begin() const { return m_colFiles.begin(); }
    const_iterator end() const { return m_colFiles.end(); }

private:
    std::vector<clsFtpFile> m_colFiles;
};

} // namespace ftp
