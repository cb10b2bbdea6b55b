#pragma once

#include <QString>
#include <QStringList>

#include "core/FileWriter.h"

namespace test
{

// Fails like a full disk every write whose target ends with `suffix` (every write when it is empty)
// and only records the others. Not installed: the test installs it where the disk fills up.
class FullDisk : public core::FileWriter
{
public:
    explicit FullDisk(QString suffix = {});
    bool replaceFile(const QString& path, const QByteArray& bytes, QString& reason) override;

    QStringList attempted;

private:
    QString m_suffix;
};

// A full disk installed as the program's file writer while it lives.
class FailingWriter : public FullDisk
{
public:
    explicit FailingWriter(QString suffix = {});
    ~FailingWriter() override;
};

} // namespace test
