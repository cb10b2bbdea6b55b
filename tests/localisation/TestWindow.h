#pragma once

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "localisation/WindowCaptions.h"

namespace test
{

// A window with one control of every kind the language file reaches, and a few it must not reach.
struct TestWindow
{
    TestWindow()
    {
        window.setObjectName("frmTest");
        auto* central = new QWidget(&window);
        auto* layout = new QVBoxLayout(central);
        window.setCentralWidget(central);

        auto make = [&](auto* widget, const char* name) {
            widget->setObjectName(name);
            layout->addWidget(widget);
            return widget;
        };
        title = make(new QLabel("Title"), "lblTitle");
        note = make(new QLabel("A note"), "lblNote");
        for (int i = 0; i < 2; ++i) {
            label1[i] = make(new QLabel(QString("Field %1").arg(i)), "Label1");
            localisation::setControlIndex(label1[i], i);
        }
        ok = make(new QPushButton("OK"), "cmdOK");
        log = make(new QCheckBox("Log"), "chkLog");
        frame = make(new QGroupBox("Options"), "fraOptions");
        auto* frameLayout = new QVBoxLayout(frame);
        inside = new QLabel("Inside", frame);
        inside->setObjectName("lblInside");
        frameLayout->addWidget(inside);
        const char* options[] = {"None", "Zip", "Single"};
        for (int i = 0; i < 3; ++i) {
            option[i] = new QRadioButton(options[i], frame);
            option[i]->setObjectName("optType");
            localisation::setControlIndex(option[i], i);
            frameLayout->addWidget(option[i]);
        }
        loose = make(new QRadioButton("Loose"), "optLoose");

        tabs = make(new QTabWidget, "TSMenu");
        for (const char* tab : {"General", "Files", "Schedule"})
            tabs->addTab(new QWidget, tab);
        sets = make(new QTreeWidget, "lstSets");
        sets->setHeaderLabels({"Name", "Last run", "Next run"});
        files = make(new QTableWidget(0, 2), "grdFiles");
        files->setHorizontalHeaderLabels({"File", "Size"});

        name = make(new QLineEdit("Name box"), "txtName");
        tool = make(new QToolButton, "tbExit");
        tool->setText("Tool");

        fileMenu = window.menuBar()->addMenu("&File");
        fileMenu->setObjectName("mnuFile");
        exit = fileMenu->addAction("E&xit");
        exit->setObjectName("mnuFileExit");
        for (int i = 0; i < 2; ++i) {
            toolsItem[i] = fileMenu->addAction(QString("Tool %1").arg(i));
            toolsItem[i]->setObjectName("mnuToolsItem");
            localisation::setControlIndex(toolsItem[i], i);
        }

        // A dialog the window owns is a window of its own.
        auto* dialog = new QDialog(&window);
        dialog->setObjectName("frmChild");
        child = new QLabel("Child", dialog);
        child->setObjectName("lblChild");
    }

    QMainWindow window;
    QLabel* title;
    QLabel* note;
    QLabel* label1[2];
    QPushButton* ok;
    QCheckBox* log;
    QGroupBox* frame;
    QLabel* inside;
    QRadioButton* option[3];
    QRadioButton* loose;
    QTabWidget* tabs;
    QTreeWidget* sets;
    QTableWidget* files;
    QLineEdit* name;
    QToolButton* tool;
    QMenu* fileMenu;
    QAction* exit;
    QAction* toolsItem[2];
    QLabel* child;
};

} // namespace test
