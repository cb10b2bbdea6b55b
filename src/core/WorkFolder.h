#pragma once

#include <QString>

namespace core
{

// This process's private work folder below the program folder's tmp/, ending with "/"; created
// (owner-only) on first use, when the work folders of processes that are gone are removed. "" when it
// cannot be created (reported through ErrorIn).
QString WinTmpDir();
// Removes the work folder with its contents; the next WinTmpDir() makes a fresh one.
bool ReleaseWorkFolder();
// The mkdtemp pattern of a work folder of this process below tmp/: "<prefix><process id>-XXXXXX",
// so that a later start can tell whether the process that made it still runs.
QString workFolderPattern(const QString& prefix);
// The list, in a work folder, of the temporary names its process gave files outside it (see
// platform::TemporaryNames): a process killed while it writes beside the user's files leaves them.
QString temporaryNamesList(const QString& workFolder);
// Removes a work folder with its contents, and first the temporary names it lists.
bool removeWorkFolder(const QString& workFolder);
// Removes what processes that no longer run left in the program folder: their work folders below
// tmp/ ("work-<pid>-...", "restore-<pid>-...", which may hold plain copies of protected files) with
// the temporary names they list, and the store's temporary files below data/ and settings/
// ("<file>.XXXXXX", ".<file>.XXXXXX"). Called at start-up.
void removeAbandonedWorkFiles();

} // namespace core
