#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "RestoreTest.h"
#include "ScriptedQuestion.h"
#include "restore/RestoreRun.h"

namespace test
{

// A set "Docs" of source files below a scratch folder and the versions a run leaves in a folder:
// each file mirrored below the version folder ("name", "name.zip", with ".bf" when protected), or
// one archive named after the set's ZIPName with its blanks as "_".
class VersionTest : public RestoreTest
{
public:
    static constexpr const char* Password = "pässword|1";

protected:
    void SetUp() override;

    QString disk(const QString& relative) const { return scratch.path() + "/" + relative; }
    // The source file at `relative` below src/.
    QString source(const QString& relative) const { return disk("src/" + relative); }
    void put(const QString& relative, const QByteArray& bytes);

    // Lays out a version of every source file in `folder` and returns its version line.
    // `infoZip` packs the single archive with Info-ZIP's zip -r instead of the program's writer.
    QString makeVersion(const QString& folder, int mode, bool isProtected, bool infoZip = false);
    // The file in the version folder that holds `path` (per-file modes) or the archive (mode 1).
    QString versionFile(const QString& folder, const QString& path, int mode, bool isProtected) const;
    QString archiveName() const;

    void writeRestoreList(const QStringList& lines);
    restore::RestoreRequest request(const QString& versionLine, const QString& newFolder = QString()) const;
    // Restores through `run`, asking `question`.
    restore::RestoreRun::Outcome restore(const restore::RestoreRequest& request,
                                         restore::RestoreSummary* summary = nullptr,
                                         platform::RunContext& run = platform::unwatchedRun());

    // Every file below the folder, relative to it, with its bytes.
    static QMap<QString, QByteArray> filesBelow(const QString& folder);
    // Every file of the scratch folder and of the program folder but the log.
    QMap<QString, QByteArray> everything() const;

    QTemporaryDir scratch;
    // Asked before a restore replaces a file.
    ScriptedQuestion question;
    // The source files' full paths, in list order, and their bytes.
    QStringList paths;
    QMap<QString, QByteArray> originals;
};

} // namespace test
