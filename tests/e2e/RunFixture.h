#pragma once

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "core/BackupSet.h"
#include "engine/frmProcessing.h"
#include "main_window/MainWindowTest.h"

namespace test
{

// The state of a file or folder that a run must not change.
struct EntryState
{
    QByteArray bytes;
    qint64 modified = 0;
    bool folder = false;

    bool operator==(const EntryState&) const = default;
};

// Whether the file holds `expected`, told briefly: some files are large and binary.
testing::AssertionResult holds(const QString& path, const QByteArray& expected);

// Every file and folder below `root` (hidden ones too), by path relative to it. Links are not followed.
QMap<QString, EntryState> snapshot(const QString& root);
// The entries of a snapshot that are neither `folder` nor below it.
QMap<QString, EntryState> outside(const QMap<QString, EntryState>& entries, const QString& folder);
// The relative paths of the regular files below `root`, sorted; empty when it does not exist.
QStringList filesBelow(const QString& root);

// Whole runs of real sets: a fixture tree below the program folder, set documents written with
// WriteProject, loaded as the main window loads them and run through the run window, headless.
class RunFixture : public MainWindowTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    struct SetOptions
    {
        int compression = 0;
        bool protect = false;
        bool timestamps = false;
        int destinations = 2;
        int rotation = 1;
        QString zipName = QStringLiteral("Docs Backup.zip");
        // Destination types by slot; folders where not given.
        std::vector<int> types {};
        // Last changes to the set before its document is written.
        std::function<void(core::BackupSetInfo&)> adjust {};
    };

    // Writes the set "Docs" anew (its document, no .bak) over the fixture tree and loads it.
    void makeSet(const SetOptions& options);
    void loadSet();

    // Runs the loaded set in the run window as the Backup command starts it. `duringRun` sees every
    // status text the run shows, while the run is under way, and what it posts arrives at the run's
    // next yield. Leaves the window counting down.
    QPointer<engine::frmProcessing> run(const std::function<void(engine::frmProcessing*, const QString&)>& duringRun
                                        = {});
    // Ticks the countdown until the window closes; false when it did not close on the 14th tick.
    bool closeByCountdown(QPointer<engine::frmProcessing> window);
    // run() and closeByCountdown() together.
    void runAndClose();

    QString document() const;
    QString saved(const QString& key) const;
    QStringList savedSection(const QString& section) const;
    // The log's lines without their date and time.
    QStringList logLines() const;
    // True when `expected` appear in the log in this order; a "*" in a line stands for any text.
    bool logHasInOrder(const QStringList& expected, QString* missing = nullptr) const;
    // A delivered file in plain form: deciphered with the set's password into a scratch file when it
    // is protected.
    QString plainFile(const QString& delivered, bool protect);
    QString setRowCell(int column) const;
    // The listed files below `root` at their mirrored paths, as they were backed up, and nothing
    // else; "" stands for their previous location.
    void expectListedFilesBelow(const QString& root) const;

    // The folder of destination n.
    QString backup(int n) const { return programFile(QStringLiteral("backup%1").arg(n)); }
    // The mirrored place of a source file below a destination root.
    static QString mirrored(const QString& root, const QString& source) { return root + source; }
    // The mirrored name of a source file, as archives name their entries.
    static QString entryOf(const QString& source) { return source.mid(1); }

    static inline const QString Password = QStringLiteral("s3cret pw");
    static inline const QString Now = QStringLiteral("10/12/2026 12:00:00");
    // The time-stamp folder of a run at the pinned clock.
    static inline const QString Stamp = QStringLiteral("December 10, 2026 (12.00) Docs");

    main_window::frmMain* main = nullptr;
    QString source;
    // The source files the set lists, in the set file list's order, and their contents.
    QStringList listed;
    QMap<QString, QByteArray> contents;
    QString excluded;
    QString originalDocument;
    QString finalStatus;
    QString headline;
    QTemporaryDir scratch;
};

} // namespace test
