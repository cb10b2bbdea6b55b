#pragma once

#include <map>

#include <QString>
#include <QStringList>

namespace test
{

// Builds set documents for the main window's tests: the layout the store writes, with any value
// replaced, removed or added, and sections dropped or appended.
class SetDocumentFixture
{
public:
    SetDocumentFixture();

    // Sets a value of a section (adds the key when it is not there).
    SetDocumentFixture& set(const QString& section, const QString& key, const QString& value);
    // Removes a key line from a section.
    SetDocumentFixture& remove(const QString& section, const QString& key);
    // Leaves a section out.
    SetDocumentFixture& drop(const QString& section);
    SetDocumentFixture& files(const QStringList& lines);
    SetDocumentFixture& versions(const QStringList& lines);
    // Appends a DEST section with raw lines (and does not touch DestCount).
    SetDocumentFixture& dest(int n, const QStringList& lines);

    QString text() const;

private:
    struct Section
    {
        QString name;
        QStringList lines;
        bool dropped = false;
    };
    Section& section(const QString& name);
    std::vector<Section> m_sections;
};

} // namespace test
