#pragma once

#include <optional>

#include <QString>

namespace core
{
struct BackupSetInfo;
}

namespace ftp
{

// The control port as typed, when it is a whole number a server can listen on (1 to 65535).
std::optional<int> portNumber(const QString& text);

// Why an FTP destination's texts cannot be kept: rows split at "~!~", version lines at "|", and the
// settings store holds no line breaks. The password is looked at in the scrambled form those hold.
// nullopt when all can be kept.
std::optional<QString> destinationFieldsError(const QString& host, const QString& user, const QString& password,
                                              const QString& folder);

// Remote paths as the folder browser walks them.
// `name` inside `folder`, with exactly one "/" between them.
QString joinRemotePath(const QString& folder, const QString& name);
// `part` below the remote `folder` as a run delivers to it: joined with one "/", so "/" and "May"
// give "/May"; an empty folder leaves the part relative to the login folder; an empty part adds nothing.
QString joinFtpFolder(const QString& folder, const QString& part);
// The folder above `folder`; "/" above a folder of the root.
QString parentRemotePath(const QString& folder);
// What the browser changes to first for the destination's folder text: "/" for a blank text,
// otherwise the text as the run will use it, absolute or relative to the login folder.
QString startFolderArgument(const QString& folderText);

// The passive flag for a session that goes back to a version at `host` and `port`: that of the set's
// first FTP destination at the same host and port, which the delivery used; passive when none is.
bool passiveForServer(const core::BackupSetInfo& set, const QString& host, int port);

// The listing's icon of a file: 3 for names whose extension is text-like, 4 for others.
int remoteFileIcon(const QString& fileName);
// Digits in groups of three, separated by blanks: "1 234 567".
QString groupedSize(qint64 bytes);

} // namespace ftp
