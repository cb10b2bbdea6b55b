#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "editors/BackupTypeFrame.h"
#include "editors/CompressionPage.h"
#include "editors/EditorKind.h"
#include "editors/SchedulePage.h"
#include "editors/TimestampPage.h"
#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"
#include "platform/Form.h"
#include "support/ProgramFolderTest.h"

namespace test
{

// A window named like one of the two editors that carries the option and schedule pages, the set
// name box of the wizard's first page and the hidden page number, the way the editors do.
class OptionPagesHost : public QWidget
{
public:
    explicit OptionPagesHost(editors::EditorKind kind)
        : kind(kind)
    {
        const bool wizard = kind == editors::EditorKind::Wizard;
        setObjectName(wizard ? "frmWizard" : "frmSettings");
        setWindowTitle(wizard ? "New Item Wizard" : "Backup Item properties");
        lblStep = new QLabel("1", this);
        lblStep->setObjectName("lblStep");
        lblStep->hide();
        txtItemName = new QLineEdit(this);
        txtItemName->setObjectName("txtItemName");
        txtItemName->hide();
        backupType = new editors::BackupTypeFrame(kind, this);
        timestamps = new editors::TimestampPage;
        compression = new editors::CompressionPage;
        schedule = new editors::SchedulePage(kind);
        tabs = new QTabWidget(this);
        tabs->addTab(timestamps, "Timestamps");
        tabs->addTab(compression, "ZIP and Encryption");
        tabs->addTab(schedule, "Scheduling");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(tabs);
        schedule->fillDayTrees();
    }

    // Loaded and shown; unloaded with the other windows at the end of the test.
    static OptionPagesHost* open(editors::EditorKind kind)
    {
        auto* host = new OptionPagesHost(kind);
        platform::registerLoadedWindow(host);
        host->show();
        return host;
    }

    editors::EditorKind kind;
    QLabel* lblStep = nullptr;
    QLineEdit* txtItemName = nullptr;
    QTabWidget* tabs = nullptr;
    editors::BackupTypeFrame* backupType = nullptr;
    editors::TimestampPage* timestamps = nullptr;
    editors::CompressionPage* compression = nullptr;
    editors::SchedulePage* schedule = nullptr;
};

// The editors' pages in a program folder of their own, with the built-in messages and with message
// boxes answered from a script.
class OptionPagesTest : public ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        localisation::resetLanguages();
        localisation::RegisterDefaultMessages();
    }
    void TearDown() override
    {
        platform::unloadAllWindows();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ProgramFolderTest::TearDown();
    }
};

// Types `text` into the box key by key, as a person would.
inline void typeInto(QWidget* box, const QString& text)
{
    for (const QChar c : text) {
        const int key = c == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_unknown;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &release);
    }
}

// The box gets, or loses, the focus.
inline void sendFocus(QWidget* box, QEvent::Type type)
{
    QFocusEvent event(type, Qt::TabFocusReason);
    QApplication::sendEvent(box, &event);
}

} // namespace test
