#pragma once

#include <QTreeWidget>

#include "RestoreTest.h"
#include "core/ProgramState.h"
#include "platform/FileDialogs.h"
#include "platform/Form.h"

namespace test
{

// The windows of the restore chain on a loaded set whose document and last-run list a test writes,
// with file and folder pickers answered from a script.
class RestoreWindowsTest : public RestoreTest
{
protected:
    void SetUp() override
    {
        RestoreTest::SetUp();
        platform::setFileDialogs(&dialogs);
    }
    void TearDown() override
    {
        platform::unloadAllWindows();
        platform::setFileDialogs(nullptr);
        RestoreTest::TearDown();
    }

    // Makes `name` the loaded set, with these version lines.
    static void loadSet(const QString& name, const QStringList& versions)
    {
        core::ProgramState& s = core::state();
        s.CurrentSet = core::BackupSetInfo();
        s.CurrentSet.ItemName = name;
        s.CurrentSet.LoadFailed = false;
        s.strSetText = "<STATS>\r\nName=" + name
            + "\r\n</STATS>\r\n\r\n<FILES>\r\n/home/u/docs\r\n</FILES>\r\n\r\n"
              "<VERSIONS>\r\n"
            + (versions.isEmpty() ? QString() : versions.join("\r\n") + "\r\n") + "</VERSIONS>\r\n";
    }
    // Writes the set's list of the files of its last run.
    void writeLastRun(const QString& name, const QByteArray& content)
    {
        ASSERT_TRUE(writeFile(programFile("data/" + name + ".lst"), content));
    }
    QByteArray restoreList(const QString& name) const { return readFile(programFile("data/" + name + "RESTORE.lst")); }

    static QStringList rowTexts(const QTreeWidget* list)
    {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c)
                cells << list->topLevelItem(i)->text(c);
            rows << cells.join(" | ");
        }
        return rows;
    }

    FakeFileDialogs dialogs;
};

} // namespace test
