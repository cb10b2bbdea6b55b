#include "restore/ToolWindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "localisation/Skin.h"
#include "platform/Named.h"
#include "platform/WindowSize.h"

namespace restore
{

ToolWindow::ToolWindow(const Design& design)
{
    setObjectName(QLatin1String(design.name));
    setWindowTitle(design.title);
    auto* layout = new QGridLayout(this);
    Label1 = platform::named<QLabel>("Label1", design.fileLabel, this);
    Text1 = platform::named<QLineEdit>("Text1", this);
    Label1->setBuddy(Text1);
    Command1 = platform::named<QPushButton>("Command1", QStringLiteral("..."), this);
    // Enter in a box must not open the file browser.
    Command1->setAutoDefault(false);
    Label2 = platform::named<QLabel>("Label2", design.secondLabel, this);
    m_second = platform::named<QLineEdit>(design.secondBox, this);
    Label2->setBuddy(m_second);
    Command2 = platform::named<QPushButton>("Command2", design.action, this);
    lblStatus = platform::named<QLabel>("lblStatus", this);
    lblStatus->setWordWrap(true);
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Text1, 0, 1);
    layout->addWidget(Command1, 0, 2);
    layout->addWidget(Label2, 1, 0);
    layout->addWidget(m_second, 1, 1);
    layout->addWidget(Command2, 1, 2);
    layout->addWidget(lblStatus, 2, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    // Height the window gains goes below the status line, not between the rows.
    layout->setRowStretch(3, 1);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void ToolWindow::Form_Load()
{
    localisation::translateAndSkin(this);
    // Room for a whole path in the boxes, in the font they show it in.
    platform::fitWindowToContent(
        this, platform::roomFor(this, Text1, QSize(platform::textRoom(Text1, platform::PathCharacters), 0)));
}

void ToolWindow::showStatus(const QString& text)
{
    lblStatus->setText(text);
    lblStatus->repaint();
}

} // namespace restore
