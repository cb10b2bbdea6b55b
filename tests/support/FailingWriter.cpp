#include "support/FailingWriter.h"

#include <utility>

namespace test
{

FullDisk::FullDisk(QString suffix)
    : m_suffix(std::move(suffix))
{ }

bool FullDisk::replaceFiles(const QList<platform::FileContent>& files, QString& reason)
{
    for (const platform::FileContent& file : files) {
        if (file.path.endsWith(m_suffix)) {
            reason = QStringLiteral("No space left on device");
            return false;
        }
    }
    for (const platform::FileContent& file : files)
        attempted << file.path;
    return true;
}

FailingWriter::FailingWriter(QString suffix)
    : FullDisk(std::move(suffix))
{
    platform::setFileWriter(this);
}

FailingWriter::~FailingWriter()
{
    platform::setFileWriter(nullptr);
}

} // namespace test
