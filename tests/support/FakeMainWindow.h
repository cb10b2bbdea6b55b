#pragma once

#include "core/MainWindowServices.h"

namespace test
{

// The main window as the set store and the set editors see it: its line lists, its flags and its
// reloads, registered while the object lives.
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
    void listSetsSelecting(const QString& setName) override
    {
        ++reloads;
        selectedAfterReload = setName;
    }
    QString runningSet() const override { return running; }

    QStringList files;
    QStringList versions;
    QString running;
    bool newItem = false;
    bool modified = false;
    int reloads = 0;
    QString selectedAfterReload;
};

} // namespace test
