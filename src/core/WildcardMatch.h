#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace core
{

// The wildcard pattern of exclude masks, matched case-sensitively against the whole text:
// "*" any run of characters, "?" one character, "#" one digit, "[list]" one character of the list
// (ranges such as "a-z" allowed), "[!list]" one character not in it. A pattern with an unclosed
// "[" matches nothing.
bool likeMatch(QStringView text, QStringView pattern);

// A set's exclude masks: its Exclude text split at "," and ";", each mask trimmed; none when it is
// empty.
QStringList excludeMasks(const QString& exclude);

// Whether a whole path matches one of the masks; a TAB in it is part of a file name.
bool isExcludedPath(QStringView path, const QStringList& masks);

// Whether the path of a FILES line (the text before its first TAB) matches one of the masks.
bool isExcluded(QStringView line, const QStringList& masks);

} // namespace core
