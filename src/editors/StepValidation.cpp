#include "editors/StepValidation.h"

#include <optional>

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <QWidget>

#include "core/Ask.h"
#include "core/BackupSet.h"
#include "core/ProgramState.h"
#include "editors/CompressionPage.h"
#include "editors/DestinationListPage.h"
#include "editors/SourceListPage.h"
#include "localisation/Languages.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"

namespace editors
{
namespace
{
const QString ForbiddenNameCharacters = QStringLiteral("<>\\/:\"*?|");

// The built-in English texts, which the properties window shows whatever the language.
struct StepMessage
{
    const char* key;
    const char* english;
};
constexpr StepMessage NoSources {"MSG_SPECIFY_FILES", "Please specify the files to be processed."};
constexpr StepMessage NoDestinations {"MSG_DESTINATIONS_NOT_DEFINED", "Please add at least one destination."};
constexpr StepMessage NoArchiveName {"MSG_INVALID_ZIP_FILE", "Please specify compressed archive name."};
constexpr StepMessage PasswordMismatch {"MSG_INVALID_PASSWORD", "Password and confirmation do not match."};
constexpr StepMessage NoPassword {"MSG_ENTER_PASSWORD", "Please enter your password."};

void warn(QWidget* host, const QString& text)
{
    core::ask(host, text);
}

bool refuse(QWidget* host, EditorKind kind, const StepMessage& message)
{
    warn(host, kind == EditorKind::Wizard ? localisation::message(message.key) : QLatin1String(message.english));
    return false;
}

bool refuse(QWidget* host, const QString& reason)
{
    warn(host, reason);
    return false;
}

QString lineText(const QWidget* host, const char* name)
{
    const auto* box = host->findChild<QLineEdit*>(QLatin1String(name));
    return box ? box->text() : QString();
}

// Why a new set cannot take `name`: the general message, or one that names a reason the general
// message leaves the user to guess. Nothing when it can.
std::optional<QString> nameRefusal(const QString& name)
{
    const QString general = localisation::message("MSG_INVALID_NAME");
    if (name.isEmpty())
        return general;
    for (const QChar c : name) {
        if (ForbiddenNameCharacters.contains(c))
            return general;
    }
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("The name can not begin with \".\": files so named are hidden, and the set would not "
                              "show in the list.");
    if (const qsizetype bytes = QFile::encodeName(name).size(); bytes > core::MaxSetNameBytes)
        return QStringLiteral("The name is too long: a set name can take at most %1 bytes, and this one takes %2 "
                              "(letters outside A to Z take two to four bytes each).")
            .arg(core::MaxSetNameBytes)
            .arg(bytes);
    if (core::setNameError(name))
        return general;
    const QString document = platform::ProgramFolder::file(QStringLiteral("data/") + name + QStringLiteral(".sbd"));
    if (QFileInfo::exists(document))
        return general;
    return std::nullopt;
}

bool checkName(QWidget* host, EditorKind kind)
{
    if (kind != EditorKind::Wizard)
        return false;
    const std::optional<QString> refusal = nameRefusal(lineText(host, "txtItemName"));
    return !refusal || refuse(host, *refusal);
}

// Any listed node will do, checked or not.
bool checkSources(QWidget* host, EditorKind kind)
{
    const auto* page = host->findChild<SourceListPage*>();
    if (!page)
        return false;
    return page->tvBackupList->topLevelItemCount() > 0 || refuse(host, kind, NoSources);
}

bool checkDestinations(QWidget* host, EditorKind kind)
{
    const auto* page = host->findChild<DestinationListPage*>();
    if (!page)
        return false;
    return page->lvDestinations->topLevelItemCount() > 0 || refuse(host, kind, NoDestinations);
}

// The single archive needs a name; the other modes leave its box disabled and need none. Protection
// needs a password typed twice. Names and passwords that the run could not write or record are
// refused here rather than at the run.
bool checkCompression(QWidget* host, EditorKind kind)
{
    const auto* page = host->findChild<CompressionPage*>();
    if (!page)
        return false;
    const QString archive = page->txtZIPName->text();
    if (archive.trimmed().isEmpty()) {
        if (page->optCompressionType[1]->isChecked())
            return refuse(host, kind, NoArchiveName);
    } else if (const auto error = core::archiveNameError(archive)) {
        return refuse(host, *error);
    }
    if (page->cmbProtection->currentIndex() == 0)
        return true;
    const QString password = page->txtBFPassword->text();
    if (password.isEmpty())
        return refuse(host, kind, NoPassword);
    if (password != page->txtBFConfirmation->text())
        return refuse(host, kind, PasswordMismatch);
    if (const auto error = core::setPasswordError(password))
        return refuse(host, *error);
    return true;
}
} // namespace

bool ValidateStep(QWidget* host, EditorKind kind)
{
    const auto* lblStep = host ? host->findChild<QLabel*>(QStringLiteral("lblStep")) : nullptr;
    if (!lblStep)
        return false;
    const QString step = lblStep->text();
    if (step == QLatin1String("1"))
        return checkName(host, kind);
    if (step == QLatin1String("2"))
        return checkSources(host, kind);
    if (step == QLatin1String("3"))
        return checkDestinations(host, kind);
    if (step == QLatin1String("5"))
        return checkCompression(host, kind);
    return step == QLatin1String("4") || step == QLatin1String("6") || step == QLatin1String("7");
}

bool ValidateFileName(const QString& strText)
{
    return !strText.isEmpty() && !nameRefusal(strText);
}

} // namespace editors
