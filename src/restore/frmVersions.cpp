#include "restore/frmVersions.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "core/ProgramState.h"
#include "core/SetText.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/Form.h"
#include "platform/Named.h"
#include "platform/WindowSize.h"
#include "restore/RestoreList.h"
#include "restore/frmRestoreToNew.h"
#include "restore/frmSelectFiles.h"

namespace restore
{
namespace
{
// Type, created date, details, compression and encryption of a version's row.
QStringList rowTexts(const VersionLine& version)
{
    const bool ftp = version.kind() == VersionLine::Kind::Ftp;
    static const QString compressions[]
        = {QStringLiteral("None"), QStringLiteral("Zip Single"), QStringLiteral("Zip Multi")};
    return {ftp ? QStringLiteral("FTP") : QStringLiteral("LAN/Local Folder"), version.created(),
            ftp ? version.ftpHost() : version.folder(), compressions[version.compression()],
            version.protection() == 1 ? QStringLiteral("Blowfish") : QStringLiteral("None")};
}
} // namespace

frmVersions::frmVersions()
{
    setObjectName(QStringLiteral("frmVersions"));
    setWindowTitle(QStringLiteral("Backup versions"));
    auto* layout = new QVBoxLayout(this);
    Label1 = platform::named<QLabel>(
        "Label1",
        QStringLiteral("Please select a backup archive to restore from (you cannot restore from email backups)."),
        this);
    Label1->setWordWrap(true);
    lblException = platform::named<QLabel>("lblException", QStringLiteral("Backup archives."), this);
    lvArchives = platform::named<QTreeWidget>("lvArchives", this);
    lvArchives->setRootIsDecorated(false);
    lvArchives->setSelectionMode(QAbstractItemView::SingleSelection);
    lvArchives->setTextElideMode(Qt::ElideMiddle);
    lvArchives->setHeaderLabels({QStringLiteral("Type"), QStringLiteral("Created Date"), QStringLiteral("Details"),
                                 QStringLiteral("Compression"), QStringLiteral("Encryption")});
    cmdContinue = platform::named<QPushButton>("cmdContinue", QStringLiteral("Restore to Previous Location"), this);
    cmdRestoreToNewLocation
        = platform::named<QPushButton>("cmdRestoreToNewLocation", QStringLiteral("Restore to New Location"), this);
    cmdCancel = platform::named<QPushButton>("cmdCancel", QStringLiteral("Cancel"), this);
    layout->addWidget(Label1);
    layout->addWidget(lblException);
    layout->addWidget(lvArchives);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdContinue);
    buttons->addWidget(cmdRestoreToNewLocation);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    connect(cmdContinue, &QPushButton::clicked, this, &frmVersions::cmdContinue_Click);
    connect(cmdRestoreToNewLocation, &QPushButton::clicked, this, &frmVersions::cmdRestoreToNewLocation_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmVersions::cmdCancel_Click);
}

void frmVersions::Form_Load()
{
    localisation::translateAndSkin(this);
    fillList();
    fitToVersions();
}

void frmVersions::fitToVersions()
{
    // Dates and folders whole, so that two versions never look alike, the hint in one line, and rows
    // for a dozen versions, all in the fonts they are shown in.
    const QSize forList = platform::roomFor(
        this, lvArchives,
        QSize(platform::fitColumnsToContent(lvArchives), platform::heightForRows(lvArchives, ShownRows)));
    const QSize forHint
        = platform::roomFor(this, Label1, QSize(Label1->fontMetrics().horizontalAdvance(Label1->text()), 0));
    platform::fitWindowToContent(this, forList.expandedTo(forHint));
    // On a screen too narrow for all of it the folders give way, cut in the middle so that their
    // start and their time-stamped end still show, and the dates and the other columns stay in view.
    const int shortfall = forList.width() - width();
    if (shortfall > 0) {
        const int least = lvArchives->header()->sectionSizeHint(DetailsColumn);
        lvArchives->setColumnWidth(DetailsColumn, qMax(least, lvArchives->columnWidth(DetailsColumn) - shortfall));
    }
}

void frmVersions::fillList()
{
    // The versions of the loaded set, which the file selection and the restore work on too.
    const std::optional<QString> loaded = loadedSetName();
    if (!loaded)
        return;
    m_setName = *loaded;
    const QStringList lines = core::sectionLines(core::state().strSetText, QStringLiteral("VERSIONS"));
    QStringList refused;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString reason;
        const std::optional<VersionLine> version = VersionLine::parse(lines[i], &reason);
        if (!version) {
            if (!reason.isEmpty())
                refused << QStringLiteral("Line %1: %2.").arg(i + 1).arg(reason);
            continue;
        }
        new QTreeWidgetItem(lvArchives, rowTexts(*version));
        m_versions << *version;
    }
    if (refused.isEmpty())
        return;
    core::ask(this,
              QStringLiteral("Some versions of the set \"%1\" cannot be restored: their lines in the set's "
                             "version list are damaged, and they are not listed.\n\n%2")
                  .arg(m_setName, refused.join(QLatin1Char('\n'))));
}

std::optional<VersionLine> frmVersions::selectedVersion() const
{
    const QList<QTreeWidgetItem*> selected = lvArchives->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const int row = lvArchives->indexOfTopLevelItem(selected.first());
    if (row < 0 || row >= m_versions.size())
        return std::nullopt;
    return m_versions[row];
}

bool frmVersions::hasSelection()
{
    if (selectedVersion())
        return true;
    core::ask(this, localisation::Languages().getMessages(QStringLiteral("MSG_RESTORE")), platform::Icon::None);
    return false;
}

void frmVersions::cmdContinue_Click()
{
    if (m_versions.isEmpty()) {
        platform::Form<frmVersions>::unload();
        return;
    }
    if (!hasSelection())
        return;
    RestoreRequest choice;
    choice.setName = m_setName;
    choice.version = *selectedVersion();
    choice.previousLocation = true;
    frmSelectFiles::open(choice);
    platform::Form<frmVersions>::unload();
}

void frmVersions::cmdRestoreToNewLocation_Click()
{
    if (m_versions.isEmpty() || !hasSelection())
        return;
    RestoreRequest choice;
    choice.setName = m_setName;
    choice.version = *selectedVersion();
    choice.previousLocation = false;
    platform::Form<frmRestoreToNew>::unload();
    if (frmRestoreToNew* newLocation = platform::Form<frmRestoreToNew>::load()) {
        newLocation->setChoice(choice);
        newLocation->show();
    }
    platform::Form<frmVersions>::unload();
}

void frmVersions::cmdCancel_Click()
{
    platform::Form<frmVersions>::unload();
}

} // namespace restore
