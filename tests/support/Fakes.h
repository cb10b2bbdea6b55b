#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "core/MainWindowServices.h"
#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/Prompt.h"
#include "platform/Shell.h"
#include "platform/Tray.h"

namespace test
{

// A clock that stands still until the test moves it.
class FakeClock : public platform::Clock
{
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 10), QTime(12, 0, 0)))
        : m_now(std::move(start))
    { }
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& now) { m_now = now; }
    void advanceSeconds(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

// Answers message boxes from a script and remembers what was shown. With the script empty it takes
// the answer an unattended program would take.
class ScriptedPrompt : public platform::Prompt
{
public:
    platform::Answer show(const platform::Message& message) override;
    void answer(platform::Answer answer) { m_script.push_back(answer); }

    std::vector<platform::Message> shown;
    // Runs while the message is up, before the answer is given (the user fixing a problem).
    std::function<void(const platform::Message&)> whileShown;

private:
    std::deque<platform::Answer> m_script;
};

// Records what the program asked the desktop to open.
class FakeShell : public platform::Shell
{
public:
    bool open(const QString& file, const QString& workingFolder) override;
    bool accept = true;
    QStringList opened;
};

// A notification area that can be switched off, and can lose the icon the way a restarted desktop
// panel does.
class FakeTray : public platform::Tray
{
public:
    bool isAvailable() const override { return available; }
    bool update(const QString& toolTip) override;
    bool add(const QIcon& icon, const QString& toolTip) override;
    void remove() override { shown = false; }
    // The panel restarts: the icon is gone until it is added again.
    void drop() { shown = false; }

    bool available = true;
    bool shown = false;
    QString toolTip;
    int adds = 0;
};

// Answers file and folder pickers from scripted choices; nullopt means the user cancelled.
class FakeFileDialogs : public platform::FileDialogs
{
public:
    std::optional<QString> chooseFolder(QWidget*, const QString& title, const QString& startFolder) override;
    std::optional<QString> chooseOpenFile(QWidget*, const QString& title, const QString& startFolder,
                                          const QString& filter) override;
    std::optional<QStringList> chooseOpenFiles(QWidget*, const QString& title, const QString& startFolder,
                                               const QString& filter) override;
    std::optional<QString> chooseSaveFile(QWidget*, const QString& title, const QString& startPath,
                                          const QString& filter) override;

    std::deque<std::optional<QString>> choices;
    // The answers of the pickers of several files.
    std::deque<std::optional<QStringList>> fileListChoices;
    QStringList titles;
    QStringList startFolders;

private:
    std::optional<QString> next(const QString& title, const QString& start);
};

// The main window as the set editors and the run see it: its line lists, its flags and its reloads,
// registered while it lives.
class FakeMainWindow : public core::MainWindowServices
{
public:
    FakeMainWindow() { core::setMainWindowServices(this); }
    ~FakeMainWindow() override { core::setMainWindowServices(nullptr); }
    bool setSetRowCell(const QString&, int, const QString&) override { return false; }
    void showFileList(const QStringList&, const QList<bool>&) override { }
    QStringList& globalVersions() override { return versions; }
    QStringList globalfiles() const override { return files; }
    void setNewItem(bool value) override { newItem = value; }
    void setModified(bool value) override { modified = value; }
    void LoadBackupSets(int) override { ++reloads; }
    QString runningSet() const override { return running; }

    QStringList files;
    QStringList versions;
    QString running;
    bool newItem = false;
    bool modified = false;
    int reloads = 0;
};

} // namespace test
