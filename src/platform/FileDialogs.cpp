#include "platform/FileDialogs.h"

#include <QFileDialog>

#include "platform/Prompt.h"

namespace platform
{
namespace
{
std::optional<QString> chosen(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

class QtFileDialogs : public FileDialogs
{
public:
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& startFolder) override
    {
        if (isUnattended())
            return std::nullopt;
        return chosen(QFileDialog::getExistingDirectory(parent, title, startFolder));
    }

    std::optional<QString> chooseOpenFile(QWidget* parent, const QString& title, const QString& startFolder,
                                          const QString& filter) override
    {
        if (isUnattended())
            return std::nullopt;
        return chosen(QFileDialog::getOpenFileName(parent, title, startFolder, filter));
    }

    std::optional<QStringList> chooseOpenFiles(QWidget* parent, const QString& title, const QString& startFolder,
                                               const QString& filter) override
    {
        if (isUnattended())
            return std::nullopt;
        const QStringList files = QFileDialog::getOpenFileNames(parent, title, startFolder, filter);
        if (files.isEmpty())
            return std::nullopt;
        return files;
    }

    std::optional<QString> chooseSaveFile(QWidget* parent, const QString& title, const QString& startPath,
                                          const QString& filter) override
    {
        if (isUnattended())
            return std::nullopt;
        return chosen(QFileDialog::getSaveFileName(parent, title, startPath, filter));
    }
};

FileDialogs*& installed()
{
    static FileDialogs* current = nullptr;
    return current;
}
} // namespace

FileDialogs& fileDialogs()
{
    static QtFileDialogs qtDialogs;
    FileDialogs* current = installed();
    return current ? *current : qtDialogs;
}

void setFileDialogs(FileDialogs* dialogs)
{
    installed() = dialogs;
}

} // namespace platform
