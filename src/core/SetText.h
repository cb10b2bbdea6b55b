#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QStringList>

namespace core
{

// Operations on the text of a set document. Lines end with CR LF; a key is matched only at the start
// of a line ("key=value", the value being the rest of the line). No operation changes the text it
// is given: the editors return the edited text, and on failure report through ErrorIn and return
// the text as it was, so a caller that stores the result never loses its document.

// The value of `Item` in `FromText`, or the empty text when the key is not there.
QString ExtractItem(const QString& FromText, const QString& Item);

// Sets the value of the first line that begins with `sTag` "=". When there is none and `sTag` is
// "Duration", the line is added as the last line of the STATS section.
QString ReplaceValue(const QString& sText, const QString& sTag, const QString& sValue, bool* ok = nullptr);

// Rewrites the FILES line of `sFile` as the path, its modification time (a date value) and its size,
// TAB-separated. A path that is not listed leaves the text as it is.
QString ReplaceFileValue(const QString& sText, const QString& sFile, double lDate, double lSize, bool* ok = nullptr);

// Puts `sVersion` at the head of the VERSIONS section; a document without a whole one (its opening
// and closing tag lines) is refused. A listed line that names the same archive at
// the same place is removed first: for folder versions the same folder and archive path, for FTP
// versions the same host, port, remote folder and remote path; `replaced` gets that line.
QString AddVersion(const QString& sText, const QString& sVersion, const QStringList& arrVersions, bool* ok = nullptr,
                   QString* replaced = nullptr);

// Removes every VERSIONS line equal to `sVersion`. The main window's lists are the caller's.
QString DeleteVersion(const QString& sText, const QString& sVersion, bool* ok = nullptr);

// The VERSIONS block of the document file at `path`: "<VERSIONS>", CR LF, each version line with
// CR LF, CR LF and "</VERSIONS>". Empty when the file does not exist.
QString ReadVersionsBlock(const QString& path);

// The lines of a section ("FILES", "VERSIONS"): those between its tag line and its closing tag
// line. Empty when the document has no such section.
QStringList sectionLines(const QString& text, const QString& section);

// Whether the document holds the section whole: its tag line and, after it, its closing tag line.
bool hasSection(const QString& text, const QString& section);

// Where a section stands in a document: its tag line begins at `start`, its lines run from
// `bodyStart` to `bodyEnd` (where its closing tag line begins), and the closing tag line ends, line
// break included, at `end`. As for every reader, the first tag line and the first closing tag line
// after it make the section.
struct SectionSpan
{
    qsizetype start = 0;
    qsizetype bodyStart = 0;
    qsizetype bodyEnd = 0;
    qsizetype end = 0;
};
std::optional<SectionSpan> sectionSpan(const QString& text, const QString& section);

// Rewrites the FILES section in one pass: `rewrite` gets the path of each line (the text before its
// first TAB) and returns the new line, or nothing to keep the line as it is.
QString rewriteFileLines(const QString& text, const std::function<std::optional<QString>(const QString&)>& rewrite);

// A FILES line: the path, TAB, the date value, TAB, the size.
QString fileLine(const QString& path, double date, double size);

// A value as one line: each line break becomes a blank.
QString oneLine(const QString& value);

// A number as general decimal text: up to 15 significant digits, the locale's decimal separator,
// no group separators, an exponent only for very large or very small values.
QString generalNumberText(double value);

} // namespace core
