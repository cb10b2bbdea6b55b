#pragma once

#include <QString>
#include <QStringList>

#include "platform/FileWriter.h"

namespace test
{

// Fails like a full disk every write of a target that ends with `suffix` (every write when it is
// empty), together with the files written with it, and only records the others. Not installed: the
// test installs it where the disk fills up.
class FullDisk : public platform::FileWriter
{
public:
    explicit FullDisk(QString suffix = {});
    bool replaceFiles(const QList<platform::FileContent>& files, QString& reason) override;

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
