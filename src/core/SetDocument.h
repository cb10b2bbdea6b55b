#pragma once

#include <optional>

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/Result.h"

namespace core
{

// The document of a set: data/<name>.sbd below the program folder.
QString setDocumentPath(const QString& setName);
// The file list of the set's last run: data/<name>.lst below the program folder, one source path a
// line, each ended by CR LF.
QString setFileListPath(const QString& setName);
// The source paths of the set's file list in their order, without empty and blank lines; nullopt,
// with `error` saying why, when the list cannot be read to its end.
std::optional<QStringList> readSetFileList(const QString& setName, QString& error);
// The lines of a file list's text, each without its line break ("\n" and the "\r"s before it). The
// views point into `text`.
QList<QByteArrayView> fileListLines(QByteArrayView text);

// Creates the document of the program's NewBackupSet, whose file list is `checkedPaths` (the
// wizard's checked entries in tree order). Refuses a name that cannot name a document, a
// destination count outside 0 to 30, an unstorable path, and a document that exists already.
platform::Result WriteProject(const QStringList& checkedPaths);

// Writes an edited document text over the set's document, keeping the previous content in
// "<document>.bak". Each file is replaced only once its new content is complete, so on any failure
// the document is as it was. The text is stored ending with one line break after its last line
// and an empty last line. An empty text is refused.
platform::Result SaveProject(const QString& ProjectName, const QString& strData);

} // namespace core
