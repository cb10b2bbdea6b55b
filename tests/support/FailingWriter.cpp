#include "support/FailingWriter.h"

#include <utility>

namespace test
{

FullDisk::FullDisk(QString suffix)
    : m_suffix(std::move(suffix))
{ }

bool FullDisk::replaceFile(const QString& path, const QByteArray&, QString& reason)
{
    if (path.endsWith(m_suffix)) {
        reason = QStringLiteral("No space left on device");
        return false;
    }
    attempted << path;
    return true;
}

FailingWriter::FailingWriter(QString suffix)
    : FullDisk(std::move(suffix))
{
    core::setFileWriter(this);
}

FailingWriter::~FailingWriter()
{
    core::setFileWriter(nullptr);
}

} // namespace test
