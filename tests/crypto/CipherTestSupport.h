#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/ProgramFolderTest.h"

namespace test
{

// Bytes that differ from block to block, the same for the same length and seed.
inline QByteArray sampleBytes(qsizetype length, quint32 seed = 1)
{
    QByteArray bytes(length, Qt::Uninitialized);
    quint32 state = seed;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

// A folder of its own for each test.
class CipherFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString path(const QString& name) const { return folder.filePath(name); }
    QStringList names() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QTemporaryDir folder;
};

} // namespace test
