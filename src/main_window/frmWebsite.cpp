#include "main_window/frmWebsite.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "localisation/Brand.h"
#include "localisation/Skin.h"
#include "main_window/WebBrowser.h"
#include "platform/Named.h"
#include "platform/Topmost.h"

namespace main_window
{

namespace
{
QString& startAddress()
{
    static QString address;
    return address;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QString& tip)
{
    auto* result = platform::named<QPushButton>(name, text, parent);
    result->setToolTip(tip);
    result->setMinimumWidth(80);
    result->setAutoDefault(false);
    return result;
}
} // namespace

void frmWebsite::setStartAddress(const QString& address)
{
    startAddress() = address;
}

frmWebsite::frmWebsite()
{
    setObjectName(QStringLiteral("frmWebsite"));
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(800, 600);

    frmBrowser = new QGroupBox(QStringLiteral("Browser"), this);
    frmBrowser->setObjectName(QStringLiteral("frmBrowser"));
    Label5 = new QLabel(QStringLiteral("URL:"), frmBrowser);
    Label5->setObjectName(QStringLiteral("Label5"));
    Text1 = new QLineEdit(frmBrowser);
    Text1->setObjectName(QStringLiteral("Text1"));
    Command3 = button(frmBrowser, "Command3", QStringLiteral("Go"), QStringLiteral("browse the entered url"));
    Command3->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    Command4 = button(frmBrowser, "Command4", QStringLiteral("Back"), QStringLiteral("back"));
    Command5 = button(frmBrowser, "Command5", QStringLiteral("Forward"), QStringLiteral("forward"));
    Command6 = button(frmBrowser, "Command6", QStringLiteral("Stop"), QStringLiteral("stop"));
    Command7 = button(frmBrowser, "Command7", QStringLiteral("Refresh"), QStringLiteral("refresh"));
    WebBrowser1 = new WebBrowser(frmBrowser);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));

    auto* address = new QHBoxLayout;
    address->addWidget(Label5);
    address->addWidget(Text1, 1);
    address->addWidget(Command3);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {Command4, Command5, Command6, Command7})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* inner = new QVBoxLayout(frmBrowser);
    inner->addLayout(address);
    inner->addLayout(buttons);
    inner->addWidget(WebBrowser1, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    Panel1 = new QLabel(StatusBar1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    // Equal stretch gives each panel half the width; a long status text is cut, never widens the window.
    Panel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    StatusBar1->addWidget(Panel1, 1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 0);
    outer->addWidget(frmBrowser, 1);
    outer->addWidget(StatusBar1);

    connect(Command3, &QPushButton::clicked, this, &frmWebsite::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmWebsite::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmWebsite::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &frmWebsite::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(1); });
    connect(Text1, &QLineEdit::returnPressed, this, &frmWebsite::Command3_Click);
    connect(WebBrowser1, &WebBrowser::StatusTextChange, Panel1, &QLabel::setText);
    connect(WebBrowser1, &WebBrowser::DocumentComplete, this, [this] {
        Text1->setText(WebBrowser1->LocationURL().toString());
        setWindowTitle(WebBrowser1->LocationName());
    });
}

void frmWebsite::Form_Load()
{
    localisation::LoadBrand();
    if (!Panel2) {
        Panel2 = new QLabel(StatusBar1);
        Panel2->setObjectName(QStringLiteral("Panel2"));
        Panel2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        StatusBar1->addWidget(Panel2, 1);
    }
    setWindowTitle(localisation::BrandWebsite());
    platform::SetTopmost(this, true);
    if (core::state().UseSkin)
        localisation::ApplySkin(this);
    const QString start = startAddress().isEmpty() ? localisation::BrandWebsite() : startAddress();
    WebBrowser1->Navigate(start);
    setWindowState(windowState() | Qt::WindowMaximized);
    platform::SetTopmost(this, false);
}

void frmWebsite::Command3_Click()
{
    WebBrowser1->Navigate(Text1->text());
}

void frmWebsite::Command4_Click()
{
    WebBrowser1->GoBack();
}

void frmWebsite::Command5_Click()
{
    WebBrowser1->GoForward();
}

void frmWebsite::Command6_Click()
{
    WebBrowser1->Stop();
}

void frmWebsite::Command7_Click(int)
{
    WebBrowser1->Refresh();
}

} // namespace main_window
