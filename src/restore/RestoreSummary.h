#pragma once

#include <QString>
#include <QStringList>

namespace restore
{

// How a restore ended, file by file.
struct RestoreSummary
{
    // Counts of the chosen files.
    qint64 restored = 0;
    // Left in place by the user's answer.
    qint64 skipped = 0;
    // Not found in the version.
    qint64 missing = 0;
    // Damaged, refused or not copied.
    qint64 failed = 0;
    // Left unplaced by the Cancel answer of the overwrite question.
    qint64 notRestored = 0;
    bool cancelled = false;

    // What could not be found: files of the version, its archive, entries missing from the archive.
    QStringList missingList;
    // What could not be restored, each with its reason; unsafe archive entries too.
    QStringList failedList;
    // Why the restore could not begin; then nothing was fetched.
    QString error;

    bool hasProblems() const { return !error.isEmpty() || !missingList.isEmpty() || !failedList.isEmpty(); }
    // "Done!" only when everything chosen was restored or left by the user's answer; then the
    // counts and the lists.
    QString statusText() const;
    // The status's lines; the failures last, and only `withFailures`.
    QStringList lines(bool withFailures) const;
};

} // namespace restore
