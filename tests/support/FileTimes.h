#pragma once

#include <QDateTime>
#include <QString>

namespace test
{

// Sets the file's last-access and last-modified times to `when`, in whole seconds.
bool setModified(const QString& path, const QDateTime& when);
bool setModified(const QString& path, qint64 secondsSinceEpoch);

} // namespace test
