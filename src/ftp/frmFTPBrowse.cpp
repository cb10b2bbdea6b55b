#include "ftp/frmFTPBrowse.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/Ask.h"
#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "ftp/FtpDestinationFields.h"
#include "ftp/clsFtpClient.h"
#include "ftp/frmAddFTP.h"
#include "ftp/frmFTPNewFolder.h"
#include "localisation/Languages.h"
#include "localisation/Skin.h"
#include "platform/DateText.h"
#include "platform/EventLoop.h"
#include "platform/Form.h"
#include "platform/Named.h"

namespace ftp
{
namespace
{
constexpr int IconRole = Qt::UserRole;

QIcon iconFor(const QStyle* style, int icon)
{
    switch (icon) {
    case frmFTPBrowse::ParentIcon:
        return style->standardIcon(QStyle::SP_FileDialogToParent);
    case frmFTPBrowse::FolderIcon:
        return style->standardIcon(QStyle::SP_DirIcon);
    case frmFTPBrowse::TextFileIcon:
        return QIcon::fromTheme(QStringLiteral("text-x-generic"), style->standardIcon(QStyle::SP_FileIcon));
    default:
        return QIcon::fromTheme(QStringLiteral("application-x-executable"),
                                style->standardIcon(QStyle::SP_FileLinkIcon));
    }
}

QString modifiedText(const QDateTime& when)
{
    if (!when.isValid())
        return {};
    return platform::DateText::generalDate(when);
}
} // namespace

frmFTPBrowse::frmFTPBrowse()
{
    setObjectName(QStringLiteral("frmFTPBrowse"));
    Label1 = platform::named<QLabel>("Label1", QStringLiteral("Please select the FTP destination folder:"), this);
    ListView1 = platform::named<QTreeWidget>("ListView1", this);
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setHeaderLabels(
        {QStringLiteral("File Name"), QStringLiteral("File Size (bytes)"), QStringLiteral("Last Modified")});
    ListView1->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    ListView1->setIconSize(QSize(16, 16));
    cmdMKDIR = platform::named<QPushButton>("cmdMKDIR", QStringLiteral("New"), this);
    cmdCancel = platform::named<QPushButton>("cmdCancel", QStringLiteral("Cancel"), this);
    cmdSelect = platform::named<QPushButton>("cmdSelect", QStringLiteral("Ok"), this);
    cmdSelect->setDefault(true);
    stBar = platform::named<QStatusBar>("stBar", this);
    stBar->setSizeGripEnabled(false);
    Timer1 = platform::namedTimer(this, "Timer1", 100, true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ListView1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdMKDIR);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdSelect);
    layout->addLayout(buttons);
    layout->addWidget(stBar);
    resize(620, 400);
    ListView1->header()->resizeSection(0, 290);
    ListView1->header()->resizeSection(1, 120);
    ListView1->header()->setStretchLastSection(true);

    connect(Timer1, &QTimer::timeout, this, &frmFTPBrowse::Timer1_Timer);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &frmFTPBrowse::ListView1_DblClick);
    connect(cmdMKDIR, &QPushButton::clicked, this, &frmFTPBrowse::cmdMKDIR_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFTPBrowse::cmdCancel_Click);
    connect(cmdSelect, &QPushButton::clicked, this, &frmFTPBrowse::cmdSelect_Click);
}

frmFTPBrowse::~frmFTPBrowse()
{
    closeSession();
}

void frmFTPBrowse::Form_Load()
{
    localisation::translateAndSkin(this);
    bConnected = false;
    setWindowTitle(core::state().AppTitle + localisation::Languages().getMessages(QStringLiteral("MSG_BROWSE")));
    if (!core::state().FTPBrowseRequested) {
        platform::Form<frmFTPBrowse>::unload();
        return;
    }
    mFTP = new clsFtpClient(this);
    connect(mFTP, &clsFtpClient::OnConnect, this, &frmFTPBrowse::mFTP_OnConnect);
    connect(mFTP, &clsFtpClient::OnSetCurrentDirectory, this, &frmFTPBrowse::mFTP_OnSetCurrentDirectory);
    connect(mFTP, &clsFtpClient::OnGetCurrentDirectory, this, &frmFTPBrowse::mFTP_OnGetCurrentDirectory);
    connect(mFTP, &clsFtpClient::OnEnumFiles, this, &frmFTPBrowse::mFTP_OnEnumFiles);
    connect(mFTP, &clsFtpClient::OnCreateDirectory, this, &frmFTPBrowse::mFTP_OnCreateDirectory);
    connect(mFTP, &clsFtpClient::OnStateChange, this, &frmFTPBrowse::mFTP_OnStateChange);
    connect(mFTP, &clsFtpClient::OnQuitSession, this, &frmFTPBrowse::mFTP_OnQuitSession);
    if (const frmAddFTP* destination = platform::Form<frmAddFTP>::loaded()) {
        strHost = destination->txtFTPHost->text();
        strPort = destination->txtFTPPort->text();
        strUser = destination->txtFTPUsername->text();
        strPassword = core::ScramblePassword(destination->txtFTPPassword->text());
        strFolder = destination->txtFTPFolder->text();
        bPassive = destination->chkFTPPassive->isChecked();
    }
    ListView1->clear();
    Timer1->start();
}

void frmFTPBrowse::Timer1_Timer()
{
    Timer1->stop();
    if (!mFTP)
        return;
    setHourglass(true);
    m_startingUp = true;
    mFTP->setFtpServer(strHost);
    if (const auto port = portNumber(strPort))
        (void)mFTP->setRemotePort(*port);
    if (!strUser.isEmpty()) {
        mFTP->setUsername(strUser);
        mFTP->setPassword(core::ScramblePassword(strPassword));
    }
    // Every listing, the first one too, uses the destination's kind of data connection.
    mFTP->setPassiveMode(bPassive);
    setNote(QStringLiteral("Connecting..."));
    if (!bConnected && !mFTP->Connect())
        mFTP_OnConnect(rsError);
}

void frmFTPBrowse::mFTP_OnConnect(int result)
{
    if (result != rsSuccess) {
        bConnected = false;
        setHourglass(false);
        m_startingUp = false;
        showFailure(QStringLiteral("Could not log in to %1: %2").arg(strHost, failureReason()), true);
        return;
    }
    bConnected = true;
    strLoginFolder = mFTP->CurrentDirectory();
    setNote(QStringLiteral("Connected!"));
    m_requestedFolder = startFolderArgument(strFolder);
    m_openingStartFolder = true;
    if (!mFTP->SetCurrentDirectory(m_requestedFolder))
        mFTP_OnSetCurrentDirectory(rsError);
}

void frmFTPBrowse::mFTP_OnSetCurrentDirectory(int result)
{
    const bool startFolder = std::exchange(m_openingStartFolder, false);
    if (result == rsSuccess) {
        if (!mFTP->GetCurrentDirectory())
            listCurrentFolder();
        return;
    }
    QString text = QStringLiteral("Could not open the folder %1: %2").arg(m_requestedFolder, failureReason());
    if (startFolder)
        text += QStringLiteral(" Showing the login folder %1.").arg(mFTP->CurrentDirectory());
    showFailure(text, false);
    // The session stays where it was; its list comes back.
    listCurrentFolder();
}

void frmFTPBrowse::mFTP_OnGetCurrentDirectory(int)
{
    listCurrentFolder();
}

void frmFTPBrowse::listCurrentFolder()
{
    ListView1->clear();
    if (!mFTP->EnumFiles())
        mFTP_OnEnumFiles(rsError);
}

void frmFTPBrowse::mFTP_OnEnumFiles(int result)
{
    if (std::exchange(m_startingUp, false))
        setHourglass(false);
    if (result != rsSuccess) {
        showFailure(QStringLiteral("Could not list the folder %1: %2").arg(mFTP->CurrentDirectory(), failureReason()),
                    false);
        return;
    }
    const QString current = mFTP->CurrentDirectory();
    // The root has nothing above it.
    if (current != strLoginFolder && current != QLatin1String("/"))
        addRow(ParentIcon, QStringLiteral("Go to parent directory"), {}, {});
    const auto files = mFTP->CurrentDirectoryFiles();
    if (!files)
        return;
    for (const clsFtpFile& file : *files) {
        // Some servers list the folder itself and its parent; the parent row already leads up.
        if (file.IsDirectory && file.Filename != QLatin1String(".") && file.Filename != QLatin1String(".."))
            addRow(FolderIcon, file.Filename, groupedSize(file.FileSize), modifiedText(file.LastWriteTime));
    }
    for (const clsFtpFile& file : *files) {
        if (!file.IsDirectory)
            addRow(remoteFileIcon(file.Filename), file.Filename, groupedSize(file.FileSize),
                   modifiedText(file.LastWriteTime));
    }
}

void frmFTPBrowse::addRow(int icon, const QString& name, const QString& size, const QString& modified)
{
    auto* row = new QTreeWidgetItem(ListView1, {name, size, modified});
    row->setData(0, IconRole, icon);
    row->setIcon(0, iconFor(style(), icon));
    row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
}

int frmFTPBrowse::rowIcon(const QTreeWidgetItem* row)
{
    return row ? row->data(0, IconRole).toInt() : 0;
}

void frmFTPBrowse::mFTP_OnCreateDirectory(int result)
{
    QPointer<frmFTPBrowse> self(this);
    if (result != rsSuccess)
        showFailure(QStringLiteral("Could not create the folder %1: %2").arg(m_requestedFolder, failureReason()), true);
    if (self && mFTP)
        listCurrentFolder();
}

void frmFTPBrowse::mFTP_OnStateChange(int state)
{
    if (state == clsFtpClient::StateListing)
        stBar->showMessage(QStringLiteral("Retrieving directory information..."));
    else
        stBar->showMessage(m_note);
}

void frmFTPBrowse::mFTP_OnQuitSession(int)
{
    bConnected = false;
}

void frmFTPBrowse::setNote(const QString& note)
{
    m_note = note;
    stBar->showMessage(note);
}

QString frmFTPBrowse::failureReason() const
{
    const clsFtpError& error = mFTP->LastFtpError();
    // A refusal by the server: its own words say more than the code's general text.
    const QString reply = mFTP->LastServerResponse().trimmed();
    if (error.Number > 16000 && error.Number < 17000 && reply.startsWith(QString::number(error.Number - 16000)))
        return reply;
    return error.Description;
}

void frmFTPBrowse::showFailure(const QString& text, bool inMessage)
{
    setNote(text);
    if (!inMessage)
        return;
    core::ask(this, text);
}

void frmFTPBrowse::ListView1_DblClick()
{
    QTreeWidgetItem* row = ListView1->currentItem();
    const int icon = rowIcon(row);
    if (!mFTP || !bConnected || mFTP->Busy() || (icon != ParentIcon && icon != FolderIcon))
        return;
    m_requestedFolder = icon == ParentIcon ? parentRemotePath(mFTP->CurrentDirectory()) : row->text(0);
    setNote(QString());
    ListView1->clear();
    if (!mFTP->SetCurrentDirectory(m_requestedFolder))
        mFTP_OnSetCurrentDirectory(rsError);
}

void frmFTPBrowse::cmdMKDIR_Click()
{
    if (!mFTP)
        return;
    QPointer<frmFTPBrowse> self(this);
    folderName.clear();
    if (frmFTPNewFolder* prompt = platform::Form<frmFTPNewFolder>::load())
        prompt->exec();
    if (!self || !mFTP || folderName.isEmpty())
        return;
    // A listing may still run; the session's own watchdog ends it at the latest.
    platform::waitWhile([this, self] { return self && mFTP && mFTP->Busy(); }, (mFTP->TimeOut() + 1) * 1000);
    if (!self || !mFTP)
        return;
    m_requestedFolder = joinRemotePath(mFTP->CurrentDirectory(), folderName);
    setNote(QString());
    if (!mFTP->CreateDirectory(m_requestedFolder))
        mFTP_OnCreateDirectory(rsError);
}

void frmFTPBrowse::cmdSelect_Click()
{
    QString folder = mFTP ? mFTP->CurrentDirectory() : QString();
    const QTreeWidgetItem* row = ListView1->currentItem();
    if (!folder.isEmpty() && row && row->isSelected() && rowIcon(row) == FolderIcon)
        folder = joinRemotePath(folder, row->text(0));
    // Without a folder seen on the server the destination keeps its own.
    if (frmAddFTP* destination = platform::Form<frmAddFTP>::loaded(); destination && !folder.isEmpty())
        destination->txtFTPFolder->setText(folder);
    closeSession();
    platform::Form<frmFTPBrowse>::unload();
}

void frmFTPBrowse::cmdCancel_Click()
{
    closeSession();
    platform::Form<frmFTPBrowse>::unload();
}

void frmFTPBrowse::reject()
{
    cmdCancel_Click();
}

void frmFTPBrowse::setHourglass(bool on)
{
    if (on == m_hourglass)
        return;
    m_hourglass = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void frmFTPBrowse::closeSession()
{
    core::state().FTPBrowseRequested = false;
    Timer1->stop();
    setHourglass(false);
    if (mFTP) {
        // The session may be inside one of its events: it goes once that has returned.
        mFTP->disconnect(this);
        mFTP->CloseControlConnection();
        mFTP->deleteLater();
        mFTP = nullptr;
    }
    bConnected = false;
}

} // namespace ftp
