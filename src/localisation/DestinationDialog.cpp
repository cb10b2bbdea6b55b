#include "localisation/DestinationDialog.h"

#include <QCheckBox>
#include <QPushButton>

#include "core/Ask.h"
#include "platform/Named.h"

namespace localisation
{

DestinationDialog::DestinationDialog(const char* name, const QString& title)
{
    setObjectName(QLatin1String(name));
    setWindowTitle(title);
}

void DestinationDialog::createButtons()
{
    chkNew = platform::named<QCheckBox>("chkNew", this);
    chkNew->setChecked(true);
    chkNew->hide();
    cmdOK = platform::named<QPushButton>("cmdOK", QStringLiteral("Ok"), this);
    cmdOK->setDefault(true);
    cmdCancel = platform::named<QPushButton>("cmdCancel", QStringLiteral("Cancel"), this);
}

std::optional<core::ListedDestination> DestinationDialog::loadSelected(const core::DestinationCaller* caller)
{
    auto selected = caller ? caller->selectedDestination() : std::nullopt;
    if (selected)
        m_loadedRow = selected->key;
    return selected;
}

std::optional<core::DestinationInfo> DestinationDialog::loadSelected(const core::DestinationCaller* caller, core::DestinationType type)
{
    const auto selected = caller ? caller->selectedDestination() : std::nullopt;
    core::DestinationInfo dest;
    if (!selected || !core::destinationFromRow(selected->row, dest) || dest.Type != type)
        return std::nullopt;
    m_loadedRow = selected->key;
    return dest;
}

bool DestinationDialog::storeRow(core::DestinationCaller* caller, const core::DestinationRow& row)
{
    if (!caller)
        return true;
    if (chkNew->isChecked())
        return caller->addDestination(row);
    if (m_loadedRow)
        caller->rewriteDestination(*m_loadedRow, row);
    return true;
}

void DestinationDialog::refuseFullList()
{
    refuse(QStringLiteral("A backup set can have at most %1 destinations.").arg(core::MaxDestinations));
}

void DestinationDialog::refuse(const QString& text)
{
    core::ask(this, text);
}

} // namespace localisation
