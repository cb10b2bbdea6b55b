#include "editors/frmSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "editors/BackupTypeFrame.h"
#include "editors/CompressionPage.h"
#include "editors/DestinationDialogs.h"
#include "editors/DestinationListPage.h"
#include "editors/SchedulePage.h"
#include "editors/SettingsDocument.h"
#include "editors/SettingsFill.h"
#include "editors/SourceListPage.h"
#include "editors/StepValidation.h"
#include "editors/TimestampPage.h"
#include "localisation/Skin.h"
#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Form.h"

namespace editors
{
namespace
{
// The tabs show the pages from page 2 on.
constexpr int FirstPage = 2;

QPushButton* button(const char* name, const QString& text, QWidget* parent)
{
    auto* pushButton = new QPushButton(text, parent);
    pushButton->setObjectName(QLatin1String(name));
    pushButton->setMinimumWidth(90);
    return pushButton;
}

template <size_t N>
std::optional<int> chosenOption(const std::array<QRadioButton*, N>& group)
{
    for (size_t i = 0; i < N; ++i) {
        if (group[i]->isChecked())
            return static_cast<int>(i);
    }
    return std::nullopt;
}

// Leaves a group without a choice, so that the stored value is kept.
template <size_t N>
void clearOptions(const std::array<QRadioButton*, N>& group)
{
    for (QRadioButton* option : group) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
}

QStringList treeChecks(const QTreeWidget* tree, bool keys)
{
    QStringList days;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* node = tree->topLevelItem(i);
        if (node->checkState(0) == Qt::Checked)
            days << (keys ? node->data(0, Qt::UserRole).toString() : node->text(0));
    }
    return days;
}
} // namespace

frmSettings::frmSettings()
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Backup Item properties"));
    lblStep = new QLabel(QString::number(FirstPage), this);
    lblStep->setObjectName(QStringLiteral("lblStep"));
    lblStep->hide();
    // The set's kind and name cannot change here; the backup type frame stays hidden, as in the wizard.
    backupType = new BackupTypeFrame(EditorKind::Properties, this);

    sourcePage = new SourceListPage;
    destinationPage = new DestinationListPage(EditorKind::Properties);
    timestampPage = new TimestampPage;
    compressionPage = new CompressionPage;
    schedulePage = new SchedulePage(EditorKind::Properties);
    TSMenu = new QTabWidget(this);
    TSMenu->setObjectName(QStringLiteral("TSMenu"));
    TSMenu->addTab(sourcePage, QStringLiteral("Backup Files"));
    TSMenu->addTab(destinationPage, QStringLiteral("Backup Locations"));
    TSMenu->addTab(timestampPage, QStringLiteral("Timestamps"));
    TSMenu->addTab(compressionPage, QStringLiteral("ZIP and Encryption"));
    TSMenu->addTab(schedulePage, QStringLiteral("Scheduling"));

    cmdOK = button("cmdOK", QStringLiteral("Ok"), this);
    cmdCancel = button("cmdCancel", QStringLiteral("Cancel"), this);
    cmdApply = button("cmdApply", QStringLiteral("Apply"), this);
    cmdApply->hide();
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdApply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TSMenu, 1);
    layout->addLayout(buttons);
    resize(640, 500);

    connect(TSMenu, &QTabWidget::currentChanged, this, &frmSettings::TSMenu_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmSettings::cmdOK_Click);
    connect(cmdApply, &QPushButton::clicked, this, &frmSettings::cmdApply_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettings::cmdCancel_Click);
}

void frmSettings::Form_Load()
{
    m_filled = false;
    registerDestinationDialogs();
}

void frmSettings::showEvent(QShowEvent* event)
{
    localisation::translateAndSkin(this);
    if (!m_filled) {
        m_filled = true;
        fill();
    }
    QDialog::showEvent(event);
}

void frmSettings::LoadFiles()
{
    const core::MainWindowServices* services = core::mainWindowServices();
    if (!services)
        return;
    QStringList paths;
    for (const QString& line : services->globalfiles()) {
        if (line.isEmpty())
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        paths << (tab < 0 ? line : line.left(tab));
    }
    sourcePage->showStoredPaths(paths);
}

void frmSettings::fill()
{
    const core::BackupSetInfo& set = core::state().CurrentSet;
    const QDateTime now = platform::clock().now();
    m_setName = set.ItemName;
    TSMenu->setCurrentIndex(0);

    LoadFiles();
    if (sourcePage->tvBackupList->topLevelItemCount() > 0)
        sourcePage->tvBackupList->setCurrentItem(sourcePage->tvBackupList->topLevelItem(0));
    sourcePage->txtExcludeMasks->setText(set.Exclude);
    sourcePage->txtIncludeMasks->setText(set.Include);
    sourcePage->chkToFolders->setChecked(set.ExcludeFolders);
    sourcePage->scrollToLeft();

    destinationPage->showDestinations(set);
    // The rows come in slot order, one for each slot of a known kind.
    m_storedSlots.clear();
    const QList<quint64> keys = destinationPage->rowKeys();
    qsizetype row = 0;
    for (int slot = 1; slot <= std::min(set.DestCount, core::MaxDestinations) && row < keys.size(); ++slot) {
        if (core::rowFromDestination(set.Dest.at(slot)))
            m_storedSlots.insert(keys.at(row++), slot);
    }
    if (set.RotationType != core::RotationMode::OneAtATime && set.RotationType != core::RotationMode::EveryDestination)
        clearOptions(destinationPage->optRotation);

    // Incremental decides the backup type.
    backupType->optBackupType[set.Incremental ? 1 : 0]->setChecked(true);
    timestampPage->showValues(set);
    compressionPage->showValues(set);
    if (const int compression = core::storedCode(set.Compression); compression < 0 || compression > 2)
        clearOptions(compressionPage->optCompressionType);
    if (set.ProtectData != core::ProtectionMode::None && set.ProtectData != core::ProtectionMode::Blowfish)
        compressionPage->cmbProtection->setCurrentIndex(-1);

    schedulePage->fillDayTrees();
    schedulePage->showSchedule(set.Schedule, now);
    const core::ScheduleInfo& schedule = set.Schedule;
    if (schedule.Repeat && (schedule.SAccurancy < 0 || schedule.SAccurancy > 2))
        clearOptions(schedulePage->optRepeat);
    // OK writes only what differs from this.
    m_shown = pagesValues();

    const QStringList unshown = unshowableValues(set, core::state().strSetText);
    if (!unshown.isEmpty()) {
        core::ask(this,
                  QStringLiteral("Some values of the set \"%1\" cannot be shown here:\n\n%2\n\nThey keep their stored "
                                 "values unless you change them here.")
                      .arg(m_setName, unshown.join(QLatin1Char('\n'))),
                  platform::Icon::Information);
    }
}

void frmSettings::TSMenu_Click(int index)
{
    if (m_switching)
        return;
    // The tab strip switches before it tells; the page being left comes back before anything is drawn,
    // so that a failed check warns over the page it is about. lblStep still names that page.
    {
        const QScopedValueRollback switching(m_switching, true);
        TSMenu->setCurrentIndex(m_shownTab);
    }
    if (!ValidateStep())
        return;
    m_shownTab = index;
    lblStep->setText(QString::number(index + FirstPage));
    const QScopedValueRollback switching(m_switching, true);
    TSMenu->setCurrentIndex(index);
}

SettingsPages frmSettings::pagesValues() const
{
    SettingsPages pages;
    pages.Exclude = sourcePage->excludeMasks();
    pages.Include = sourcePage->includeMasks();
    pages.ExcludeFolders = sourcePage->includeSubfolders();
    pages.checkedPaths = sourcePage->checkedPaths();
    pages.destinations = destinationPage->rows();
    for (const quint64 key : destinationPage->rowKeys())
        pages.destinationSlots << m_storedSlots.value(key, 0);
    if (const auto rotation = chosenOption(destinationPage->optRotation))
        pages.RotationType = *rotation + 1;
    pages.BackupType = chosenOption(backupType->optBackupType);
    pages.Incremental = backupType->optBackupType[1]->isChecked();
    pages.Compression = chosenOption(compressionPage->optCompressionType);
    pages.UseTimeStamp = timestampPage->chkTimestamps->isChecked();
    pages.Accurancy = timestampPage->lblTSAccurancy->text();
    pages.TimeStampFormat = timestampPage->lblTSFormat->text();
    pages.FormatIndex = timestampPage->lblTSFormatIndex->text();
    pages.DeleteBackups = timestampPage->lblTSDelete->text();
    pages.KeepVersions = timestampPage->lblTSDeleteParam0->text();
    pages.KeepQuantity = timestampPage->lblTSDeleteParam1->text();
    pages.KeepPeriodAccurancy = timestampPage->lblTSDeleteParam2->text();
    if (compressionPage->cmbProtection->currentIndex() >= 0)
        pages.ProtectData = compressionPage->cmbProtection->currentIndex();
    pages.BFPassword = compressionPage->txtBFPassword->text();
    pages.ZIPName = compressionPage->txtZIPName->text();
    pages.Scheduler = schedulePage->chkScheduler->isChecked();
    pages.StartDate = platform::DateText::shortDate(schedulePage->dtDate->date());
    pages.StartTime = schedulePage->dtTime->time().toString(QStringLiteral("HH:mm:ss"));
    pages.Repeat = schedulePage->chkRepeat->isChecked();
    pages.SAccurancy = chosenOption(schedulePage->optRepeat);
    if (pages.SAccurancy == 1)
        pages.Period = treeChecks(schedulePage->tvScheduleWeek, true).join(QLatin1Char(','));
    else if (pages.SAccurancy == 2)
        pages.Period = treeChecks(schedulePage->tvScheduleMonth, false).join(QLatin1Char(','));
    return pages;
}

platform::Result frmSettings::Apply()
{
    if (!ValidateStep())
        return platform::Result::failure(QStringLiteral("The page shown is not complete."));
    const auto refuse = [this](const QString& reason) {
        core::ask(this, reason);
        return platform::Result::failure(reason);
    };
    core::ProgramState& state = core::state();
    core::MainWindowServices* services = core::mainWindowServices();
    // The set may have been deleted, or the main window may have loaded another set or started a run
    // of this one, since the fill.
    if (!QFileInfo::exists(core::setDocumentPath(m_setName)))
        return refuse(QStringLiteral("The set \"%1\" has been deleted since this window was opened; the changes are "
                                     "not saved.")
                          .arg(m_setName));
    if (state.CurrentSet.ItemName != m_setName)
        return refuse(QStringLiteral("The main window has loaded the set \"%1\" since this window was opened for "
                                     "\"%2\"; the changes are not saved. Close this window and open it again for "
                                     "the set to change.")
                          .arg(state.CurrentSet.ItemName, m_setName));
    if (services && !m_setName.isEmpty() && services->runningSet() == m_setName)
        return refuse(QStringLiteral("The set \"%1\" is being backed up now, and the run would overwrite the changes "
                                     "when it ends. Save them once the run has finished.")
                          .arg(m_setName));

    const QStringList recorded = services ? services->globalfiles() : QStringList();
    const QStringList versions = services ? services->globalVersions() : QStringList();
    const RebuiltDocument rebuilt = rebuildSetDocument(state.strSetText, pagesValues(), m_shown, recorded, versions);
    if (!rebuilt.text)
        return refuse(rebuilt.reason);
    const platform::Result saved = core::SaveProject(m_setName, *rebuilt.text);
    if (!saved) {
        core::LogEvent(QStringLiteral("The set \"%1\" could not be saved: %2").arg(m_setName, saved.reason()));
        return refuse(saved.reason());
    }
    state.strSetText = *rebuilt.text;
    if (services) {
        services->setModified(true);
        services->listSetsSelecting(m_setName);
    }
    return platform::Result::success();
}

void frmSettings::cmdOK_Click()
{
    if (!ValidateStep())
        return;
    if (cmdApply->isEnabled() && !Apply())
        return;
    platform::Form<frmSettings>::unload();
}

void frmSettings::cmdApply_Click()
{
    Apply();
}

void frmSettings::cmdCancel_Click()
{
    platform::Form<frmSettings>::unload();
}

void frmSettings::reject()
{
    cmdCancel_Click();
    QDialog::reject();
}

bool frmSettings::ValidateStep()
{
    return editors::ValidateStep(this, EditorKind::Properties);
}

} // namespace editors
