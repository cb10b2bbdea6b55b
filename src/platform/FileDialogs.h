#pragma once

#include <optional>

#include <QString>
#include <QStringList>

class QWidget;

namespace platform
{

// File and folder pickers; nullopt when the user cancels.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& startFolder) = 0;
    virtual std::optional<QString> chooseOpenFile(QWidget* parent, const QString& title, const QString& startFolder,
                                                  const QString& filter)
        = 0;
    // Several existing files at once, each as a full path.
    virtual std::optional<QStringList> chooseOpenFiles(QWidget* parent, const QString& title,
                                                       const QString& startFolder, const QString& filter)
        = 0;
    virtual std::optional<QString> chooseSaveFile(QWidget* parent, const QString& title, const QString& startPath,
                                                  const QString& filter)
        = 0;
};

FileDialogs& fileDialogs();
// Installs other dialogs (nullptr restores the Qt ones). The caller keeps ownership.
void setFileDialogs(FileDialogs* dialogs);

} // namespace platform
