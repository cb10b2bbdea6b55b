#include "support/ProgramFolderTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/ProgramFolder.h"

namespace test
{

void ProgramFolderTest::SetUp()
{
    ASSERT_TRUE(home.isValid());
    qputenv("QUILLBACK_HOME", QFile::encodeName(home.path()));
    platform::ProgramFolder::reset();
    platform::setClock(&clock);
    platform::setPrompt(&prompt);
}

void ProgramFolderTest::TearDown()
{
    platform::setPrompt(nullptr);
    platform::setClock(nullptr);
    qunsetenv("QUILLBACK_HOME");
    platform::ProgramFolder::reset();
}

QString ProgramFolderTest::programFile(const QString& relative) const
{
    return home.path() + QLatin1Char('/') + relative;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace test
