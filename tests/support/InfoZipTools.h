#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace test
{

// Info-ZIP's unzip as the peer that judges the archives the program writes.

// `unzip -t`: true when every entry tests OK; the tool's output goes to `output` when given.
bool unzipTestsOk(const QString& archive, QString* output = nullptr);
// `unzip -Z1`: the entry names in the archive's order.
QStringList unzipNames(const QString& archive);
// `unzip -p`: the bytes of one entry (names with wildcard characters are matched literally).
QByteArray unzipEntry(const QString& archive, const QString& entry);
// `unzip -Z -s -T`: zipinfo's line for the entry ("-rw-r--r--  3.0 unx  5 tx  5 stor 20240305.102030 a.txt").
QString zipinfoLine(const QString& archive, const QString& entry);
// The general-purpose flags of each entry, from the archive's central directory, by entry name.
QList<QPair<QString, quint16>> centralDirectoryFlags(const QString& archive);

} // namespace test
