#include "main_window/frmWebsite.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "core/ProgramState.h"
#include "localisation/Brand.h"
#include "localisation/Skin.h"

namespace main_window
{

frmWebsite::frmWebsite()
{
    setObjectName(QStringLiteral("frmWebsite"));
    auto* layout = new QHBoxLayout(this);
    auto* Label5 = new QLabel(QStringLiteral("URL:"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    layout->addWidget(Label5);
    layout->addWidget(Text1, 1);
}

void frmWebsite::Form_Load()
{
    localisation::LoadBrand();
    setWindowTitle(localisation::BrandWebsite());
    Text1->setText(localisation::BrandWebsite());
    if (core::state().UseSkin)
        localisation::ApplySkin(this);
}

} // namespace main_window
