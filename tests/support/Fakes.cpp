#include "support/Fakes.h"

namespace test
{

platform::Answer ScriptedPrompt::show(const platform::Message& message)
{
    shown.push_back(message);
    if (whileShown)
        whileShown(message);
    if (m_script.empty())
        return message.answerWhenUnattended();
    const platform::Answer next = m_script.front();
    m_script.pop_front();
    return next;
}

bool FakeShell::open(const QString& file, const QString&)
{
    opened << file;
    return accept;
}

bool FakeTray::update(const QString& text)
{
    if (!shown)
        return false;
    toolTip = text;
    return true;
}

bool FakeTray::add(const QIcon&, const QString& text)
{
    if (!available)
        return false;
    ++adds;
    shown = true;
    toolTip = text;
    return true;
}

std::optional<QString> FakeFileDialogs::next(const QString& title, const QString& start)
{
    titles << title;
    startFolders << start;
    if (choices.empty())
        return std::nullopt;
    std::optional<QString> choice = std::move(choices.front());
    choices.pop_front();
    return choice;
}

std::optional<QString> FakeFileDialogs::chooseFolder(QWidget*, const QString& title, const QString& startFolder)
{
    return next(title, startFolder);
}

std::optional<QString> FakeFileDialogs::chooseOpenFile(QWidget*, const QString& title, const QString& startFolder,
                                                       const QString&)
{
    return next(title, startFolder);
}

std::optional<QStringList> FakeFileDialogs::chooseOpenFiles(QWidget*, const QString& title, const QString& startFolder,
                                                            const QString&)
{
    titles << title;
    startFolders << startFolder;
    if (fileListChoices.empty())
        return std::nullopt;
    std::optional<QStringList> choice = std::move(fileListChoices.front());
    fileListChoices.pop_front();
    return choice;
}

std::optional<QString> FakeFileDialogs::chooseSaveFile(QWidget*, const QString& title, const QString& startPath,
                                                       const QString&)
{
    return next(title, startPath);
}

} // namespace test
