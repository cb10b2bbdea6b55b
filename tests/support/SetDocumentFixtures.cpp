#include "support/SetDocumentFixtures.h"

namespace test
{

SetDocumentFixture::SetDocumentFixture()
{
    m_sections = {
        {"STATS",
         {"CreationTime=01/11/2026 08:00:00", "LastRunTime=", "ItemType=0", "Ran=0", "ArchiveCount=0",
          "Status=Never ran", "CurrentDestination=1"}},
        {"GENERAL",
         {"AppVersion=1.0.0", "ItemName=Docs", "ItemType=0", "Exclude=", "Include=*.*", "ExcludeFolders=0",
          "Destination=0", "LastFolder=", "BackupType=0", "UseTimeStamp=0", "Compression=1", "ProtectData=0",
          "BFPassword=", "ZIPName=docs.zip", "Quality=5", "Incremental=False", "Scheduler=0", "DestCount=0",
          "RotationType=1"}},
        {"TIMESTAMP",
         {"Accurancy=3", "TimeStampFormat=yyyy-mm-dd# (hh.nn)", "FormatIndex=3", "DeleteBackups=0", "KeepVersions=7"}},
        {"SCHEDULER",
         {"StartDate=01/11/2026", "StartTime=10:00:00", "Repeat=0", "SAccurancy=0", "Period=", "RunOnStart=0",
          "RunOnEnd=0"}},
        {"FILES", {}},
        {"VERSIONS", {}},
    };
}

SetDocumentFixture::Section& SetDocumentFixture::section(const QString& name)
{
    for (Section& s : m_sections) {
        if (s.name == name)
            return s;
    }
    m_sections.push_back(Section {name, {}});
    return m_sections.back();
}

SetDocumentFixture& SetDocumentFixture::set(const QString& sectionName, const QString& key, const QString& value)
{
    Section& s = section(sectionName);
    for (QString& line : s.lines) {
        if (line.startsWith(key + '=')) {
            line = key + '=' + value;
            return *this;
        }
    }
    s.lines << key + '=' + value;
    return *this;
}

SetDocumentFixture& SetDocumentFixture::remove(const QString& sectionName, const QString& key)
{
    Section& s = section(sectionName);
    s.lines.removeIf([&](const QString& line) { return line.startsWith(key + '='); });
    return *this;
}

SetDocumentFixture& SetDocumentFixture::drop(const QString& sectionName)
{
    section(sectionName).dropped = true;
    return *this;
}

SetDocumentFixture& SetDocumentFixture::files(const QStringList& lines)
{
    section("FILES").lines = lines;
    return *this;
}

SetDocumentFixture& SetDocumentFixture::versions(const QStringList& lines)
{
    section("VERSIONS").lines = lines;
    return *this;
}

SetDocumentFixture& SetDocumentFixture::dest(int n, const QStringList& lines)
{
    section("DEST" + QString::number(n)).lines = lines;
    return *this;
}

QString SetDocumentFixture::text() const
{
    QString text;
    for (const Section& s : m_sections) {
        if (s.dropped)
            continue;
        if (!text.isEmpty())
            text += "\r\n";
        text += '<' + s.name + ">\r\n";
        for (const QString& line : s.lines)
            text += line + "\r\n";
        text += "</" + s.name + ">\r\n";
    }
    return text + "\r\n";
}

} // namespace test
