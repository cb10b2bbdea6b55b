#include "localisation/frmLanguage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/Form.h"

namespace localisation
{

frmLanguage::frmLanguage()
{
    setObjectName(QStringLiteral("frmLanguage"));
    setWindowTitle(QStringLiteral("Language Selection"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Please select the language you would like to use:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Command1 = new QPushButton(QStringLiteral("Check for language updates"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setEnabled(false);
    Command3 = new QPushButton(QStringLiteral("Translate this program"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setEnabled(false);
    Command2 = new QPushButton(QStringLiteral("OK"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setDefault(true);
    layout->addWidget(Label1);
    layout->addWidget(Combo1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command2);
    layout->addLayout(buttons);
    connect(Command2, &QPushButton::clicked, this, &frmLanguage::Command2_Click);
}

void frmLanguage::Form_Load()
{
    const QString title = Languages().getMessages(QStringLiteral("MSG_TITLELANGUAGE"));
    if (!title.isEmpty())
        setWindowTitle(title);
    Combo1->clear();
    Combo1->addItem(CurrentLanguage());
    if (core::state().UseSkin)
        ApplySkin(this);
}

void frmLanguage::Command2_Click()
{
    platform::Form<frmLanguage>::unload();
}

} // namespace localisation
