#pragma once

#include <ctime>
#include <optional>

#include <QIcon>
#include <QString>

namespace core
{

// File attribute bits as the program stores and compares them.
namespace attr
{
inline constexpr quint32 ReadOnly = 0x1;
inline constexpr quint32 Hidden = 0x2;
inline constexpr quint32 System = 0x4;
inline constexpr quint32 Directory = 0x10;
inline constexpr quint32 Archive = 0x20;
inline constexpr quint32 Normal = 0x80;
inline constexpr quint32 Temporary = 0x100;
inline constexpr quint32 Compressed = 0x800;
inline constexpr quint32 Offline = 0x1000;
} // namespace attr

// Describes one file or folder of the local file system. Setting FullPathName looks it up and fills
// every member; the time and attribute setters write through to the file system.
class CFileInfo
{
public:
    // Makes the path absolute and clean (symbolic links are kept) and refreshes. An empty path
    // changes nothing; a missing file clears only fileExists.
    void setFullPathName(const QString& newVal);
    const QString& FullPathName() const { return m_fullPathName; }
    const QString& Filename() const { return m_filename; }
    // The folder part, always ending with "/".
    const QString& FilePath() const { return m_filePath; }
    // The text after the last point of Filename; "" without one.
    const QString& FileExtension() const { return m_fileExtension; }
    const QString& DisplayName() const { return m_displayName; }
    // Looked up on first use: asking the MIME database costs more than the rest of a lookup.
    const QString& TypeName() const;
    // There are no short names here: these are the long forms.
    const QString& ShortPathName() const { return m_fullPathName; }
    const QString& ShortName() const { return m_filename; }
    const QString& ShortPath() const { return m_filePath; }

    // The last lookup found the file.
    bool fileExists() const { return m_fileExists; }
    // Some lookup found the file; never set back.
    bool PathExists() const { return m_pathExists; }

    qint64 FileSize() const { return m_fileSize; }
    qint32 FileSizeHigh() const { return static_cast<qint32>(m_fileSize >> 32); }
    // The space the file takes on disk (less than FileSize for a sparse file).
    qint64 CompressedFileSize() const { return m_compressedSize; }
    qint32 CompressedFileSizeHigh() const { return static_cast<qint32>(m_compressedSize >> 32); }

    // Folder, read-only (no owner write permission), hidden (name begins with "."), else normal.
    quint32 Attributes() const { return m_attributes; }
    // Read-only is applied through the permissions; bits the file system cannot hold are ignored.
    bool setAttributes(quint32 newVal);
    bool attrReadOnly() const { return m_attributes & attr::ReadOnly; }
    bool setAttrReadOnly(bool newVal) { return setAttributeBit(attr::ReadOnly, newVal); }
    bool attrHidden() const { return m_attributes & attr::Hidden; }
    bool setAttrHidden(bool newVal) { return setAttributeBit(attr::Hidden, newVal); }
    bool attrSystem() const { return m_attributes & attr::System; }
    bool setAttrSystem(bool newVal) { return setAttributeBit(attr::System, newVal); }
    bool attrArchive() const { return m_attributes & attr::Archive; }
    bool setAttrArchive(bool newVal) { return setAttributeBit(attr::Archive, newVal); }
    bool attrTemporary() const { return m_attributes & attr::Temporary; }
    void setAttrTemporary(bool) { }
    bool attrCompressed() const { return m_attributes & attr::Compressed; }
    void setAttrCompressed(bool) { }

    // Local date values, whole seconds. The creation time is the birth time where the file system
    // keeps one, else the time of the last status change; it cannot be set.
    double CreationTime() const;
    bool setCreationTime(double newVal);
    double LastAccessTime() const;
    bool setLastAccessTime(double newVal);
    double ModifyTime() const;
    bool setModifyTime(double newVal);

    // The desktop's icon for the file, looked up on first use.
    QIcon hIcon() const;

    void Refresh();

    // Short date, a blank and long time.
    QString FormatFileDate(double dt) const;
    // The size in kilobytes as the file lists show it.
    static QString FormatFileSize(double Size);

private:
    enum WhichTime
    {
        Creation = 0,
        LastAccess = 1,
        LastWrite = 2,
    };

    bool setAttributeBit(quint32 bit, bool on);
    bool writeTime(double newVal, int which);
    bool SetAttr(quint32 NewAttr);
    bool SetTime(double NewTime, int WhichTime);

    QString m_fullPathName;
    QString m_filename;
    QString m_filePath;
    QString m_fileExtension;
    QString m_displayName;
    // What the last successful lookup found. The type name and the local times are made from it on
    // first use: the MIME database and the local-time conversion cost more than the lookup itself.
    QString m_foundPath;
    quint32 m_foundMode = 0;
    timespec m_changed = {};
    timespec m_accessed = {};
    timespec m_modified = {};
    mutable std::optional<QString> m_typeName;
    bool m_fileExists = false;
    bool m_pathExists = false;
    qint64 m_fileSize = 0;
    qint64 m_compressedSize = 0;
    quint32 m_attributes = 0;
    mutable std::optional<double> m_creationTime;
    mutable std::optional<double> m_lastAccessTime;
    mutable std::optional<double> m_modifyTime;
    mutable std::optional<QIcon> m_icon;
};

} // namespace core
