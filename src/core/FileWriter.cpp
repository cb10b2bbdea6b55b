#include "core/FileWriter.h"

#include <QSaveFile>

namespace core
{
namespace
{
class SaveFileWriter : public FileWriter
{
public:
    bool replaceFile(const QString& path, const QByteArray& bytes, QString& reason) override
    {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            reason = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
            return false;
        }
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (file.write(bytes) != bytes.size()) {
            reason = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
            file.cancelWriting();
            return false;
        }
        if (!file.commit()) {
            reason = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
            return false;
        }
        return true;
    }
};

FileWriter*& installed()
{
    static FileWriter* writer = nullptr;
    return writer;
}
} // namespace

FileWriter& fileWriter()
{
    static SaveFileWriter real;
    FileWriter* writer = installed();
    return writer ? *writer : real;
}

void setFileWriter(FileWriter* writer)
{
    installed() = writer;
}

} // namespace core
