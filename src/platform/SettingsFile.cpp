#include "platform/SettingsFile.h"

#include <optional>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <QtDebug>

#include "platform/FileWriter.h"
#include "platform/ProgramFolder.h"

namespace platform
{
namespace
{
// Splits a key path at "\"; nullopt when a part is empty or the path holds a line break.
std::optional<QStringList> splitPath(const QString& path)
{
    if (path.isEmpty())
        return QStringList {};
    if (path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n')) || path.contains(QChar(0)))
        return std::nullopt;
    const QStringList parts = path.split(QLatin1Char('\\'));
    for (const QString& part : parts) {
        if (part.isEmpty())
            return std::nullopt;
    }
    return parts;
}

bool startsWithPath(const QStringList& path, const QStringList& prefix)
{
    if (path.size() < prefix.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (path.at(i).compare(prefix.at(i), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

bool samePath(const QStringList& a, const QStringList& b)
{
    return a.size() == b.size() && startsWithPath(a, b);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isGroupLine(const QString& text)
{
    const QString trimmed = text.trimmed();
    return trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'));
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// A name that would read back as something else is refused.
bool isValidName(const QString& name)
{
    return !hasLineBreak(name) && !name.contains(QChar(0)) && !name.contains(QLatin1Char('='))
        && !name.trimmed().startsWith(QLatin1Char('['));
}

const QByteArray kUtf8Bom("\xEF\xBB\xBF");
} // namespace

QString settingsFilePath(SettingsStore store)
{
    switch (store) {
    case SettingsStore::Machine:
        return ProgramFolder::file(QStringLiteral("settings/machine.ini"));
    case SettingsStore::User:
        return ProgramFolder::file(QStringLiteral("settings/user.ini"));
    case SettingsStore::App:
        return ProgramFolder::file(QStringLiteral("settings/app.ini"));
    case SettingsStore::Service:
        return ProgramFolder::file(QStringLiteral("settings/service.ini"));
    }
    return QString();
}

struct SettingsFile::Content
{
    enum class Kind
    {
        Group,
        Value,
        Other,
    };

    struct Line
    {
        Kind kind = Kind::Other;
        QString text;
        // The group a value line belongs to, or the path of a group line; nullopt for a group line
        // that names no usable path (its lines are kept but never match).
        std::optional<QStringList> group;
        QString name;
        QString value;
    };

    std::vector<Line> lines;

    static Line groupLine(const QStringList& path)
    {
        return Line {Kind::Group, QLatin1Char('[') + path.join(QLatin1Char('\\')) + QLatin1Char(']'), path, {}, {}};
    }

    static Line valueLine(const QStringList& group, const QString& name, const QString& value)
    {
        return Line {Kind::Value, name + QLatin1Char('=') + value, group, name, value};
    }

    bool lineInGroup(const Line& line, const QStringList& group) const
    {
        return line.group && samePath(*line.group, group);
    }

    // Index of the first value line of the group with that name, or -1.
    qsizetype findValue(const QStringList& group, const QString& name) const
    {
        for (size_t i = 0; i < lines.size(); ++i) {
            const Line& line = lines[i];
            if (line.kind == Kind::Value && lineInGroup(line, group) && sameName(line.name, name))
                return static_cast<qsizetype>(i);
        }
        return -1;
    }

    bool hasGroupLine(const QStringList& group) const
    {
        for (const Line& line : lines) {
            if (line.kind == Kind::Group && lineInGroup(line, group))
                return true;
        }
        return false;
    }

    bool hasSubGroup(const QStringList& group) const
    {
        for (const Line& line : lines) {
            if (line.kind == Kind::Group && line.group && line.group->size() > group.size()
                && startsWithPath(*line.group, group))
                return true;
        }
        return false;
    }

    // Where a new value of the group goes: after the last non-blank line of its first block, so
    // the blank line that separates it from the next group stays in place. -1 when the group has
    // no block.
    qsizetype insertionPoint(const QStringList& group) const
    {
        qsizetype start = -1;
        if (group.isEmpty()) {
            start = 0;
        } else {
            for (size_t i = 0; i < lines.size(); ++i) {
                if (lines[i].kind == Kind::Group && lineInGroup(lines[i], group)) {
                    start = static_cast<qsizetype>(i) + 1;
                    break;
                }
            }
            if (start < 0)
                return -1;
        }
        qsizetype end = start;
        qsizetype insertAt = start;
        while (end < static_cast<qsizetype>(lines.size()) && lines[end].kind != Kind::Group) {
            if (!lines[end].text.trimmed().isEmpty())
                insertAt = end + 1;
            ++end;
        }
        return insertAt;
    }

    void appendGroup(const QStringList& group)
    {
        if (!lines.empty() && !lines.back().text.trimmed().isEmpty())
            lines.push_back(Line {});
        lines.push_back(groupLine(group));
    }
};

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{ }

qint32 SettingsFile::fail(qint32 code, const QString& reason) const
{
    m_error = m_path + QStringLiteral(": ") + reason;
    qWarning().noquote() << m_error;
    return code;
}

qint32 SettingsFile::load(Content& content) const
{
    content.lines.clear();
    if (!QFileInfo::exists(m_path))
        return regerr::Success;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(regerr::AccessDenied, QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(regerr::AccessDenied, QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    if (bytes.startsWith(kUtf8Bom))
        bytes.remove(0, kUtf8Bom.size());

    QList<QByteArray> rawLines = bytes.split('\n');
    if (!rawLines.isEmpty() && rawLines.constLast().isEmpty())
        rawLines.removeLast();

    std::optional<QStringList> group = QStringList {};
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        QString text = decoder.decode(rawLines.at(i));
        if (decoder.hasError()) {
            return fail(
                regerr::RegistryCorrupt,
                QStringLiteral("line %1 is not UTF-8 text; the file is damaged and is left unchanged").arg(i + 1));
        }
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);

        Content::Line line;
        line.text = text;
        if (isGroupLine(text)) {
            const QString trimmed = text.trimmed();
            group = splitPath(trimmed.mid(1, trimmed.size() - 2));
            line.kind = Content::Kind::Group;
            line.group = group;
        } else if (const qsizetype equals = text.indexOf(QLatin1Char('=')); equals >= 0) {
            line.kind = Content::Kind::Value;
            line.group = group;
            line.name = text.left(equals);
            line.value = text.mid(equals + 1);
        }
        content.lines.push_back(std::move(line));
    }
    return regerr::Success;
}

qint32 SettingsFile::save(const Content& content)
{
    QByteArray bytes;
    for (const Content::Line& line : content.lines) {
        bytes += line.text.toUtf8();
        bytes += '\n';
    }
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!makePrivateFolder(folder))
        return fail(regerr::AccessDenied, QStringLiteral("the folder %1 cannot be created").arg(folder));
    // Owner-only: the settings hold passwords.
    QString reason;
    if (!fileWriter().replaceFile(m_path, bytes, reason)) {
        m_error = reason;
        qWarning().noquote() << m_error;
        return regerr::AccessDenied;
    }
    return regerr::Success;
}

qint32 SettingsFile::read(const QString& group, const QString& name, QString* value) const
{
    const std::optional<QStringList> path = splitPath(group);
    if (!path)
        return regerr::FileNotFound;
    Content content;
    if (const qint32 rc = load(content); rc != regerr::Success)
        return rc;
    const qsizetype index = content.findValue(*path, name);
    if (index < 0)
        return regerr::FileNotFound;
    if (value)
        *value = content.lines[index].value;
    return regerr::Success;
}

qint32 SettingsFile::write(const QString& group, const QString& name, const QString& value)
{
    const std::optional<QStringList> path = splitPath(group);
    if (!path)
        return fail(regerr::InvalidParameter, QStringLiteral("the key path \"%1\" is not valid").arg(group));
    if (!isValidName(name))
        return fail(regerr::InvalidParameter, QStringLiteral("the value name \"%1\" is not valid").arg(name));
    if (hasLineBreak(value))
        return fail(regerr::InvalidParameter, QStringLiteral("the value of %1 holds a line break").arg(name));

    Content content;
    if (const qint32 rc = load(content); rc != regerr::Success)
        return rc;
    if (const qsizetype index = content.findValue(*path, name); index >= 0) {
        Content::Line& line = content.lines[index];
        if (line.value == value)
            return regerr::Success;
        // Keeps the stored spelling of the name, as the registry does.
        line = Content::valueLine(*path, line.name, value);
    } else {
        qsizetype at = content.insertionPoint(*path);
        if (at < 0) {
            content.appendGroup(*path);
            at = static_cast<qsizetype>(content.lines.size());
        }
        content.lines.insert(content.lines.begin() + at, Content::valueLine(*path, name, value));
    }
    return save(content);
}

qint32 SettingsFile::remove(const QString& group, const QString& name)
{
    const std::optional<QStringList> path = splitPath(group);
    if (!path)
        return regerr::FileNotFound;
    Content content;
    if (const qint32 rc = load(content); rc != regerr::Success)
        return rc;
    const auto removed = std::erase_if(content.lines, [&](const Content::Line& line) {
        return line.kind == Content::Kind::Value && content.lineInGroup(line, *path) && sameName(line.name, name);
    });
    if (removed == 0)
        return regerr::FileNotFound;
    return save(content);
}

qint32 SettingsFile::findGroup(const QString& group) const
{
    const std::optional<QStringList> path = splitPath(group);
    if (!path)
        return regerr::FileNotFound;
    Content content;
    if (const qint32 rc = load(content); rc != regerr::Success)
        return rc;
    if (path->isEmpty() || content.hasGroupLine(*path) || content.hasSubGroup(*path))
        return regerr::Success;
    return regerr::FileNotFound;
}

qint32 SettingsFile::createGroup(const QString& group)
{
    const std::optional<QStringList> path = splitPath(group);
    if (!path)
        return fail(regerr::InvalidParameter, QStringLiteral("the key path \"%1\" is not valid").arg(group));
    Content content;
    if (const qint32 rc = load(content); rc != regerr::Success)
        return rc;
    if (path->isEmpty() || content.hasGroupLine(*path) || content.hasSubGroup(*path))
        return regerr::Success;
    content.appendGroup(*path);
    return save(content);
}

qint32 SettingsFile::removeGroup(const QString& group)
{
    const std::optional<QStringList> path = splitPath(group);
    if (!path || path->isEmpty())
        return fail(regerr::InvalidParameter, QStringLiteral("the key path \"%1\" cannot be deleted").arg(group));
    Content content;
    if (const qint32 rc = load(content); rc != regerr::Success)
        return rc;
    if (content.hasSubGroup(*path))
        return fail(regerr::AccessDenied, QStringLiteral("the key %1 has sub-keys and is kept").arg(group));
    if (!content.hasGroupLine(*path))
        return regerr::FileNotFound;

    std::vector<Content::Line> kept;
    bool inRemovedBlock = false;
    for (Content::Line& line : content.lines) {
        if (line.kind == Content::Kind::Group)
            inRemovedBlock = content.lineInGroup(line, *path);
        if (!inRemovedBlock)
            kept.push_back(std::move(line));
    }
    // The blank line that separated the removed group from the one before it goes too.
    while (!kept.empty() && kept.back().kind == Content::Kind::Other && kept.back().text.trimmed().isEmpty())
        kept.pop_back();
    content.lines = std::move(kept);
    return save(content);
}

} // namespace platform
