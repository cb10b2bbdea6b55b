#include "editors/frmWizard.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
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
#include "editors/NewItemName.h"
#include "editors/SchedulePage.h"
#include "editors/SourceListPage.h"
#include "editors/StepValidation.h"
#include "editors/TimestampPage.h"
#include "editors/WizardSummary.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "localisation/WindowCaptions.h"
#include "platform/Clock.h"
#include "platform/Form.h"

namespace editors
{
namespace
{
constexpr int StepCount = 7;
const char* const StepCaptions[StepCount] = {
    "New Backup Set Wizard - Step 1: Name Your Backup",
    "New Backup Set Wizard - Step 2: Choose Backup Files",
    "New Backup Set Wizard - Step 3: Select Backup Destination",
    "New Backup Set Wizard - Step 4: Timestamps",
    "New Backup Set Wizard - Step 5: Compression and Encryption",
    "New Backup Set Wizard - Step 6: Scheduling",
    "New Backup Set Wizard - Step 7: Complete!",
};

QLabel* wrappedLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}

QPushButton* button(const char* name, const QString& text, QWidget* parent)
{
    auto* pushButton = new QPushButton(text, parent);
    pushButton->setObjectName(QLatin1String(name));
    pushButton->setMinimumWidth(90);
    return pushButton;
}
} // namespace

frmWizard::frmWizard()
{
    setObjectName(QStringLiteral("frmWizard"));
    setWindowTitle(QStringLiteral("New Item Wizard - Step 1: Choose Item Type"));
    setModal(true);
    lblStep = new QLabel(QStringLiteral("1"), this);
    lblStep->setObjectName(QStringLiteral("lblStep"));
    lblStep->hide();

    sourcePage = new SourceListPage;
    destinationPage = new DestinationListPage(EditorKind::Wizard);
    timestampPage = new TimestampPage;
    compressionPage = new CompressionPage;
    schedulePage = new SchedulePage(EditorKind::Wizard);
    steps = new QStackedWidget(this);
    steps->setObjectName(QStringLiteral("steps"));
    steps->addWidget(buildStep1());
    steps->addWidget(sourcePage);
    steps->addWidget(destinationPage);
    steps->addWidget(timestampPage);
    steps->addWidget(compressionPage);
    steps->addWidget(schedulePage);
    steps->addWidget(buildStep7());

    cmdBack = button("cmdBack", QStringLiteral("Back"), this);
    cmdNext = button("cmdNext", QStringLiteral("Next"), this);
    cmdCancel = button("cmdCancel", QStringLiteral("Cancel"), this);
    cmdNext->setDefault(true);
    cmdBack->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdNext);
    buttons->addSpacing(12);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(steps, 1);
    layout->addLayout(buttons);
    resize(640, 500);

    connect(cmdNext, &QPushButton::clicked, this, &frmWizard::cmdNext_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmWizard::cmdBack_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmWizard::cmdCancel_Click);
}

QWidget* frmWizard::buildStep1()
{
    pctStep1 = new QWidget;
    pctStep1->setObjectName(QStringLiteral("pctStep1"));
    auto* lblWelcome = wrappedLabel("lblWelcome",
                                    QStringLiteral("Welcome to the New Item Wizard. It will help you set up a new "
                                                   "backup item with step-by-step instructions."),
                                    pctStep1);
    auto* lblItems = wrappedLabel(
        "lblItems",
        QStringLiteral("This software organizes data into items.  To backup or restore your data, you need to "
                       "create an item defining which files to operate with, where to transfer them, and when to "
                       "update the content."),
        pctStep1);
    auto* lblName = wrappedLabel("lblName", QStringLiteral("Enter a name for your new item:"), pctStep1);
    txtItemName = new QLineEdit(QStringLiteral("New Item"), pctStep1);
    txtItemName->setObjectName(QStringLiteral("txtItemName"));
    txtItemName->setToolTip(QStringLiteral("Enter a non-empty unique name for your item"));
    lblName->setBuddy(txtItemName);

    auto* fraItemType = new QGroupBox(QStringLiteral("Select item type"), pctStep1);
    fraItemType->setObjectName(QStringLiteral("fraItemType"));
    auto* typeGrid = new QGridLayout(fraItemType);
    const char* optionTexts[] = {"Back&up Item", "&Restore Item"};
    const char* infoTexts[]
        = {"Select this type if you want to backup your data", "Select this type if you want to restore your data"};
    for (int i = 0; i < 2; ++i) {
        optItemType[i] = new QRadioButton(QString::fromLatin1(optionTexts[i]), fraItemType);
        optItemType[i]->setObjectName(QStringLiteral("optItemType"));
        localisation::setControlIndex(optItemType[i], i);
        auto* lblInfo = new QLabel(QString::fromLatin1(infoTexts[i]), fraItemType);
        lblInfo->setObjectName(QStringLiteral("lblInfo"));
        localisation::setControlIndex(lblInfo, i);
        typeGrid->addWidget(optItemType[i], i, 0);
        typeGrid->addWidget(lblInfo, i, 1);
        connect(optItemType[i], &QRadioButton::clicked, this, [this, i] { optItemType_Click(i); });
        // A restore item cannot be made here.
        if (i == 1) {
            optItemType[i]->hide();
            lblInfo->hide();
        }
    }
    optItemType[0]->setChecked(true);
    auto* lblNotImplemented = new QLabel(QStringLiteral("(Not yet implemented)"), fraItemType);
    lblNotImplemented->setObjectName(QStringLiteral("lblNotImplemented"));
    lblNotImplemented->hide();
    typeGrid->addWidget(lblNotImplemented, 2, 1);
    typeGrid->setColumnStretch(1, 1);
    backupType = new BackupTypeFrame(EditorKind::Wizard, pctStep1);

    auto* layout = new QVBoxLayout(pctStep1);
    layout->addWidget(lblWelcome);
    layout->addWidget(lblItems);
    layout->addSpacing(8);
    layout->addWidget(lblName);
    layout->addWidget(txtItemName);
    layout->addWidget(fraItemType);
    layout->addWidget(backupType);
    layout->addStretch();
    return pctStep1;
}

QWidget* frmWizard::buildStep7()
{
    pctStep7 = new QWidget;
    pctStep7->setObjectName(QStringLiteral("pctStep7"));
    auto* lblComplete = wrappedLabel("lblComplete",
                                     QStringLiteral("You have set all properties of the new item. Push 'Finish' "
                                                    "button to create the item, or 'Back' button to change "
                                                    "properties."),
                                     pctStep7);
    txtReport = new QPlainTextEdit(QStringLiteral("Properties of the New Item:\r\n"), pctStep7);
    txtReport->setObjectName(QStringLiteral("txtReport"));
    txtReport->setReadOnly(true);
    // The summary lines its values up in columns.
    txtReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(pctStep7);
    layout->addWidget(lblComplete);
    layout->addWidget(txtReport, 1);
    return pctStep7;
}

void frmWizard::Form_Load()
{
    // Nothing of an earlier opening (a cancelled set's destinations or passwords) may reach this set.
    core::state().NewBackupSet = core::BackupSetInfo {};
    localisation::translateAndSkin(this);
    registerDestinationDialogs();
    steps->setCurrentIndex(0);
    compressionPage->cmbProtection->setCurrentIndex(0);
    compressionPage->cmbProtection_Click();
    txtItemName->setText(proposeNewItemName());
    schedulePage->showStartDefaults(platform::clock().now());
    schedulePage->fillDayTrees();
    cmdNext->setDefault(true);
    cmdBack->setEnabled(false);
    txtItemName->setFocus();
}

void frmWizard::showStep(int step)
{
    steps->setCurrentIndex(step - 1);
    setWindowTitle(QLatin1String(StepCaptions[step - 1]));
    lblStep->setText(QString::number(step));
}

void frmWizard::copyStep(int step)
{
    core::BackupSetInfo& set = core::state().NewBackupSet;
    switch (step) {
    case 1:
        set.ItemName = txtItemName->text();
        set.ItemType = optItemType[0]->isChecked() ? 0 : optItemType[1]->isChecked() ? 1 : set.ItemType;
        break;
    case 2:
        set.Exclude = sourcePage->excludeMasks();
        set.Include = sourcePage->includeMasks();
        set.ExcludeFolders = sourcePage->includeSubfolders();
        break;
    case 3:
        destinationPage->storeDestinations(set);
        break;
    case 4:
        backupType->readInto(set);
        timestampPage->readInto(set);
        break;
    case 5:
        compressionPage->readInto(set);
        set.Quality = QStringLiteral("5");
        break;
    case 6:
        set.Schedule = schedulePage->scheduleInfo();
        break;
    default:
        break;
    }
}

void frmWizard::cmdNext_Click()
{
    if (!ValidateStep())
        return;
    const int step = lblStep->text().toInt();
    if (step == StepCount) {
        Finish();
        return;
    }
    if (step == 4 && compressionPage->txtZIPName->text().isEmpty())
        compressionPage->txtZIPName->setText(defaultArchiveName(txtItemName->text()));
    copyStep(step);
    showStep(step + 1);
    cmdBack->setEnabled(true);
    if (step == 1)
        sourcePage->cmdAdd->setFocus();
    if (step + 1 == StepCount) {
        cmdNext->setText(localisation::message("MSG_FINISH"));
        txtReport->setPlainText(wizardSummary(core::state().NewBackupSet));
    }
}

void frmWizard::cmdBack_Click()
{
    const int step = lblStep->text().toInt();
    if (step <= 1)
        return;
    cmdNext->setEnabled(true);
    showStep(step - 1);
    switch (step) {
    case 2:
        cmdBack->setEnabled(false);
        txtItemName->setFocus();
        break;
    case 3:
        sourcePage->cmdAdd->setFocus();
        break;
    case 7:
        cmdNext->setText(QStringLiteral("Next >"));
        break;
    default:
        break;
    }
}

void frmWizard::Finish()
{
    // The set is made only when its document is written; a name taken meanwhile or a full disk keeps
    // the wizard on this step with the reason.
    const platform::Result written = core::WriteProject(sourcePage->checkedPaths());
    if (!written) {
        core::LogEvent(QStringLiteral("The set \"%1\" could not be saved: %2")
                           .arg(core::state().NewBackupSet.ItemName, written.reason()));
        core::ask(this, written.reason());
        return;
    }
    if (core::MainWindowServices* services = core::mainWindowServices())
        services->setNewItem(true);
    platform::Form<frmWizard>::unload();
}

void frmWizard::optItemType_Click(int Index)
{
    cmdNext->setEnabled(Index == 0);
}

void frmWizard::cmdCancel_Click()
{
    platform::Form<frmWizard>::unload();
}

void frmWizard::reject()
{
    cmdCancel_Click();
    QDialog::reject();
}

bool frmWizard::ValidateStep()
{
    return editors::ValidateStep(this, EditorKind::Wizard);
}

} // namespace editors
