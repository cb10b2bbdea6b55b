#include "main_window/FileViewRows.h"

#include <QDir>
#include <QFile>

#include "core/BackupSet.h"
#include "core/WildcardMatch.h"
#include "platform/FileWriter.h"
#include "platform/ProgramFolder.h"

namespace main_window
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");
const QString SubItemFields = QStringLiteral("|||||");
} // namespace

QList<FileViewRow> fileViewRows(const QStringList& lines, const QStringList& masks)
{
    QList<FileViewRow> rows;
    rows.reserve(lines.size());
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        rows.append(FileViewRow {tab < 0 ? line : line.left(tab), core::isExcluded(line, masks)});
    }
    return rows;
}

QList<FileViewRow> ShowFolderContents(const QString& folder, const QStringList& masks)
{
    QString path = folder.trimmed();
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const QString prefix = path == QLatin1String("/") ? path : path + QLatin1Char('/');
    const QStringList names = QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    QList<FileViewRow> rows;
    rows.reserve(names.size());
    for (const QString& name : names) {
        bool excluded = false;
        for (const QString& mask : masks)
            excluded = excluded || core::likeMatch(name, mask);
        rows.append(FileViewRow {prefix + name.trimmed(), excluded});
    }
    return rows;
}

QString fileListCachePath(const QString& setName)
{
    return platform::ProgramFolder::file(QStringLiteral("data/") + setName + QStringLiteral(".sfl"));
}

bool SaveFileListCache(const QString& setName, const QStringList& rowTexts)
{
    if (core::setNameError(setName))
        return false;
    QString content;
    for (const QString& text : rowTexts)
        content += text + SubItemFields + CrLf;
    content += CrLf;
    if (!platform::makePrivateFolder(platform::ProgramFolder::file(QStringLiteral("data"))))
        return false;
    QString reason;
    return platform::fileWriter().replaceFile(fileListCachePath(setName), content.toUtf8(), reason);
}

std::optional<QStringList> readFileListCache(const QString& setName)
{
    if (core::setNameError(setName))
        return std::nullopt;
    QFile file(fileListCachePath(setName));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString content = QString::fromUtf8(file.readAll());
    QStringList texts;
    for (QStringView line : QStringView(content).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line == QLatin1String(" "))
            continue;
        // The row text is everything before the five sub-item fields, so a path holding "|" stays whole.
        qsizetype end = line.size();
        int bars = 0;
        while (bars < 5 && end > 0) {
            end = line.lastIndexOf(QLatin1Char('|'), end - 1);
            if (end < 0)
                break;
            ++bars;
        }
        if (bars < 5)
            continue;
        texts << line.left(end).toString();
    }
    return texts;
}

} // namespace main_window
