#include "restore/frmExtract.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "core/FileSystemHelpers.h"
#include "core/PathHelpers.h"
#include "localisation/Languages.h"
#include "platform/FileDialogs.h"
#include "platform/RunContext.h"
#include "restore/cUnzip.h"

namespace restore
{
namespace
{
using localisation::message;
const QString ZipSuffix = QStringLiteral(".zip");
// Names listed per kind of problem in the status; the rest are counted.
constexpr qsizetype ListedNames = 20;

// Unpacking that lasts while the tool is open.
class WhileOpen : public platform::RunContext
{
public:
    explicit WhileOpen(const QPointer<frmExtract>& tool)
        : m_tool(tool)
    { }
    bool stopRequested() const override { return !m_tool || !m_tool->isVisible(); }

private:
    const QPointer<frmExtract>& m_tool;
};

// One paragraph of the status: a heading and the names under it.
QString paragraph(const QString& heading, const QStringList& names)
{
    if (names.isEmpty())
        return QString();
    QString text = QStringLiteral("\n") + heading;
    for (qsizetype i = 0; i < names.size() && i < ListedNames; ++i)
        text += QStringLiteral("\n    ") + names[i];
    if (names.size() > ListedNames)
        text += QStringLiteral("\n    ... and %1 more").arg(names.size() - ListedNames);
    return text;
}

// What became of the entries that were not written.
QString problems(const QList<UnzipResult>& results)
{
    QStringList kept;
    QStringList refused;
    QStringList failed;
    for (const UnzipResult& result : results) {
        switch (result.outcome) {
        case UnzipOutcome::Kept:
            kept << result.target;
            break;
        case UnzipOutcome::Refused:
            refused << QStringLiteral("%1 (%2)").arg(result.entry, result.reason);
            break;
        case UnzipOutcome::Written:
        case UnzipOutcome::Tested:
            break;
        default:
            failed << QStringLiteral("%1 (%2)").arg(result.entry, result.reason);
            break;
        }
    }
    return paragraph(QStringLiteral("Skipped, a file of that name is already there:"), kept)
        + paragraph(QStringLiteral("Refused, the name is not safe to write:"), refused)
        + paragraph(QStringLiteral("Not extracted:"), failed);
}
} // namespace

frmExtract::frmExtract()
    : ToolWindow({"frmExtract", QStringLiteral("File Extractor"), QStringLiteral("Zip File:"),
                  QStringLiteral("Save To:"), "Text2", QStringLiteral("Extract")})
{
    Text2 = secondBox();
}

void frmExtract::Command1_Click()
{
    const std::optional<QString> chosen = platform::fileDialogs().chooseOpenFile(
        this, windowTitle(), QFileInfo(Text1->text()).path(), QStringLiteral("Zip Files (*.zip)"));
    if (!chosen)
        return;
    Text1->setText(*chosen);
    // Proposes a folder beside the archive, named as the archive without its ".zip".
    Text2->setText(chosen->endsWith(ZipSuffix, Qt::CaseInsensitive) ? chosen->chopped(ZipSuffix.size())
                                                                    : QFileInfo(*chosen).path());
}

void frmExtract::Command2_Click()
{
    const QString archive = Text1->text();
    const QString folder = Text2->text();
    if (archive.isEmpty() || folder.isEmpty())
        return;
    if (!QDir::isAbsolutePath(archive) || !QDir::isAbsolutePath(folder)) {
        showStatus(QStringLiteral("Status: Please give the whole paths of the archive and of the folder"));
        return;
    }
    if (!core::FileExists(archive)) {
        showStatus(QStringLiteral("Status: Zip file does not exists"));
        return;
    }
    QString name = archive;
    name = core::LastPathPart(name);

    cUnzip unzip;
    unzip.setZipFile(archive);
    unzip.setUnzipFolder(folder);
    unzip.setUseFolderNames(true);
    // Never replaces a file that is there: the default keeps it, and the status names it.
    Command2->setEnabled(false);
    showStatus(message("MSG_STATUS1"));
    const QPointer<frmExtract> self(this);
    // Closing the tool stops the unpacking within a chunk; what was written whole stays.
    WhileOpen run(self);
    unzip.Unzip(run);
    // The window may have been closed while the unpacking let other handlers run.
    if (!self)
        return;
    Command2->setEnabled(true);
    if (!unzip.ArchiveError().isEmpty()) {
        showStatus(QStringLiteral("Status: Cannot extract %1: %2").arg(name, unzip.ArchiveError())
                   + problems(unzip.Results()));
        return;
    }
    showStatus(message("MSG_STATUS2") + name + problems(unzip.Results()));
}

} // namespace restore
