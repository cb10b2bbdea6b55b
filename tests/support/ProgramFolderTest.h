#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/Fakes.h"

namespace test
{

// Gives each test its own program folder, a pinned clock and a scripted prompt.
class ProgramFolderTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A path below the program folder.
    QString programFile(const QString& relative) const;

    QTemporaryDir home;
    FakeClock clock;
    ScriptedPrompt prompt;
};

// Small file helpers for fixtures.
bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

} // namespace test
