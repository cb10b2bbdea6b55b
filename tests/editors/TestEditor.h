#pragma once

#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "editors/DestinationListPage.h"
#include "editors/EditorKind.h"
#include "editors/SourceListPage.h"
#include "platform/Form.h"

namespace test
{

// A small window named like one of the two editors, carrying both set pages the way they do.
class TestEditor : public QWidget
{
public:
    explicit TestEditor(editors::EditorKind kind)
    {
        setObjectName(kind == editors::EditorKind::Wizard ? "frmWizard" : "frmSettings");
        setWindowTitle(kind == editors::EditorKind::Wizard ? "New Item Wizard" : "Backup Set Properties");
        tabs = new QTabWidget(this);
        sources = new editors::SourceListPage;
        destinations = new editors::DestinationListPage(kind);
        tabs->addTab(sources, "Files");
        tabs->addTab(destinations, "Destinations");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(tabs);
        resize(620, 440);
    }

    // Loaded and shown; unloaded with the other windows at the end of the test.
    static TestEditor* open(editors::EditorKind kind)
    {
        auto* editor = new TestEditor(kind);
        platform::registerLoadedWindow(editor);
        editor->show();
        return editor;
    }

    QTabWidget* tabs = nullptr;
    editors::SourceListPage* sources = nullptr;
    editors::DestinationListPage* destinations = nullptr;
};

} // namespace test
