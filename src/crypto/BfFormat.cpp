#include "crypto/BfFormat.h"

#include <QFileInfo>
#include <QRandomGenerator>

namespace crypto
{

HeaderValues freshHeaderValues()
{
    QRandomGenerator* random = QRandomGenerator::system();
    const quint32 first = random->bounded(0x80000000u);
    const quint32 second = random->bounded(0x80000000u);
    return {first, second};
}

bool FileExistsByLength(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

} // namespace crypto
