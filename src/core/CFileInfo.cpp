#include "core/CFileInfo.h"

#include <cerrno>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>

#include "core/FileSystemHelpers.h"
#include "core/PathHelpers.h"
#include "platform/DateText.h"

namespace core
{
namespace
{
double localTimeOf(const timespec& time)
{
    return platform::localDateValue(QDateTime::fromSecsSinceEpoch(time.tv_sec, Qt::UTC));
}

double localTimeOf(const QDateTime& time)
{
    return platform::localDateValue(QDateTime::fromSecsSinceEpoch(time.toSecsSinceEpoch(), Qt::UTC));
}

QString typeNameOf(const QString& path, mode_t mode, const QString& extension)
{
    const QMimeDatabase mimes;
    QMimeType type;
    if (S_ISDIR(mode))
        type = mimes.mimeTypeForName(QStringLiteral("inode/directory"));
    else if (S_ISREG(mode))
        type = mimes.mimeTypeForFile(path);
    else
        // Reading a pipe or a device to guess its type could block.
        type = mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    const QString comment = type.isValid() && !type.isDefault() ? type.comment().trimmed() : QString();
    if (!comment.isEmpty())
        return comment;
    return (extension.toUpper() + QStringLiteral(" File")).trimmed();
}
} // namespace

void CFileInfo::setFullPathName(const QString& newVal)
{
    if (newVal.isEmpty())
        return;
    m_fullPathName = QDir::cleanPath(QFileInfo(newVal).absoluteFilePath());
    Refresh();
}

void CFileInfo::Refresh()
{
    struct stat st = {};
    if (m_fullPathName.isEmpty() || ::stat(QFile::encodeName(m_fullPathName).constData(), &st) != 0) {
        m_fileExists = false;
        return;
    }
    m_fileExists = true;
    m_pathExists = true;

    m_filename = FileNameOf(m_fullPathName);
    m_filePath = m_fullPathName.left(m_fullPathName.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype point = m_filename.lastIndexOf(QLatin1Char('.'));
    m_fileExtension = point < 0 ? QString() : m_filename.mid(point + 1);
    m_displayName = m_filename.isEmpty() ? m_fullPathName : m_filename;

    const bool folder = S_ISDIR(st.st_mode);
    // A folder's own entry has no size; what it holds is FolderSize's business.
    m_fileSize = folder ? 0 : static_cast<qint64>(st.st_size);
    m_compressedSize = folder ? 0 : static_cast<qint64>(st.st_blocks) * 512;

    m_attributes = 0;
    if (folder)
        m_attributes |= attr::Directory;
    if (!(st.st_mode & S_IWUSR))
        m_attributes |= attr::ReadOnly;
    if (m_filename.startsWith(QLatin1Char('.')))
        m_attributes |= attr::Hidden;
    if (m_attributes == 0)
        m_attributes = attr::Normal;

    m_foundPath = m_fullPathName;
    m_foundMode = st.st_mode;
    m_changed = st.st_ctim;
    m_accessed = st.st_atim;
    m_modified = st.st_mtim;
    m_creationTime.reset();
    m_lastAccessTime.reset();
    m_modifyTime.reset();
    m_typeName.reset();
    m_icon.reset();
}

const QString& CFileInfo::TypeName() const
{
    if (!m_typeName)
        m_typeName = m_foundPath.isEmpty() ? QString() : typeNameOf(m_foundPath, m_foundMode, m_fileExtension);
    return *m_typeName;
}

double CFileInfo::CreationTime() const
{
    if (!m_creationTime) {
        const QDateTime born = m_foundPath.isEmpty() ? QDateTime() : QFileInfo(m_foundPath).birthTime();
        m_creationTime = m_foundPath.isEmpty() ? 0.0 : born.isValid() ? localTimeOf(born) : localTimeOf(m_changed);
    }
    return *m_creationTime;
}

double CFileInfo::LastAccessTime() const
{
    if (!m_lastAccessTime)
        m_lastAccessTime = m_foundPath.isEmpty() ? 0.0 : localTimeOf(m_accessed);
    return *m_lastAccessTime;
}

double CFileInfo::ModifyTime() const
{
    if (!m_modifyTime)
        m_modifyTime = m_foundPath.isEmpty() ? 0.0 : localTimeOf(m_modified);
    return *m_modifyTime;
}

QIcon CFileInfo::hIcon() const
{
    if (!m_fileExists)
        return QIcon();
    if (!m_icon)
        m_icon = QFileIconProvider().icon(QFileInfo(m_fullPathName));
    return *m_icon;
}

bool CFileInfo::setAttributes(quint32 newVal)
{
    if (newVal == m_attributes)
        return true;
    if (!SetAttr(newVal))
        return false;
    Refresh();
    return true;
}

bool CFileInfo::setAttributeBit(quint32 bit, bool on)
{
    return setAttributes(on ? (m_attributes | bit) : (m_attributes & ~bit));
}

bool CFileInfo::SetAttr(quint32 NewAttr)
{
    if (!m_fileExists)
        return false;
    const QByteArray native = QFile::encodeName(m_fullPathName);
    struct stat st = {};
    if (::stat(native.constData(), &st) != 0) {
        reportFileFailure(QStringLiteral("CFileInfo.SetAttr(NewAttr)"), {NewAttr}, errno);
        return false;
    }
    mode_t mode = st.st_mode & 07777;
    if (NewAttr & attr::ReadOnly)
        mode &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && ::chmod(native.constData(), mode) != 0) {
        reportFileFailure(QStringLiteral("CFileInfo.SetAttr(NewAttr)"), {NewAttr}, errno);
        return false;
    }
    return true;
}

bool CFileInfo::setCreationTime(double newVal)
{
    return writeTime(newVal, Creation);
}

bool CFileInfo::setLastAccessTime(double newVal)
{
    return writeTime(newVal, LastAccess);
}

bool CFileInfo::setModifyTime(double newVal)
{
    return writeTime(newVal, LastWrite);
}

bool CFileInfo::writeTime(double newVal, int which)
{
    if (!SetTime(newVal, which))
        return false;
    Refresh();
    return true;
}

bool CFileInfo::SetTime(double NewTime, int WhichTime)
{
    // Linux keeps no settable creation time.
    if (!m_fileExists || WhichTime == Creation)
        return false;
    timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    times[WhichTime == LastAccess ? 0 : 1]
        = {static_cast<time_t>(platform::fromDateValue(NewTime).toSecsSinceEpoch()), 0};
    if (::utimensat(AT_FDCWD, QFile::encodeName(m_fullPathName).constData(), times, 0) != 0) {
        reportFileFailure(QStringLiteral("CFileInfo.SetTime(NewTime,WhichTime)"), {NewTime, WhichTime}, errno);
        return false;
    }
    return true;
}

QString CFileInfo::FormatFileDate(double dt) const
{
    const QDateTime when = platform::fromDateValue(dt);
    return platform::DateText::shortDate(when.date()) + QLatin1Char(' ') + platform::DateText::longTime(when.time());
}

QString CFileInfo::FormatFileSize(double Size)
{
    const QLocale locale;
    if (Size < 1024)
        return locale.toString(1.0, 'f', 1) + QStringLiteral(" KB");
    if (Size < 102400)
        return locale.toString(Size / 1024, 'f', 1) + QStringLiteral(" KB");
    return locale.toString(std::round(Size / 1024), 'f', 0) + QStringLiteral(" KB");
}

} // namespace core
