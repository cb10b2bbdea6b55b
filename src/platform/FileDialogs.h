#pragma once

#include <optional>

#include <QString>

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
                                                  const QString& filter) = 0;
    virtual std::optional<QString> chooseSaveFile(QWidget* parent, const QString& title, const QString& startPath,
                                                  const QString& filter) = 0;
};

FileDialogs& fileDialogs();
// Installs other dialogs (nullptr restores the Qt ones). The caller keeps ownership.
void setFileDialogs(FileDialogs* dialogs);

} // namespace platform
