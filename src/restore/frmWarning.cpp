#include "restore/frmWarning.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "core/FileSystemHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "localisation/Languages.h"
#include "platform/EventLoop.h"
#include "platform/Named.h"
#include "platform/RunContext.h"

namespace restore
{
namespace
{
using localisation::message;
// How long one wait for the answer lasts before it looks again whether the question is still up.
constexpr int kAnswerPollMs = 1000;

// The restore window keeps itself in front; the question must not be hidden behind it.
void stopRestoreWindowStayingInFront()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("frmRestoring"))
            QMetaObject::invokeMethod(window, "turnOffOnTopTimer");
    }
}
} // namespace

frmWarning::frmWarning(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmWarning"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto make = [this](const char* name, const QString& text) { return platform::named<QLabel>(name, text, this); };
    Label1 = make("Label1", QStringLiteral("The following file already exists:"));
    lblFile = make("lblFile", QString());
    lblFile->setTextFormat(Qt::PlainText);
    lblFile->setWordWrap(true);
    Label3 = make("Label3", QStringLiteral("Would you like to replace the existing file:"));
    lblSize1 = make("lblSize1", QString());
    lblDate1 = make("lblDate1", QString());
    Label4 = make("Label4", QStringLiteral("with this one:"));
    lblSize2 = make("lblSize2", QString());
    lblDate2 = make("lblDate2", QString());
    lblTime = make("lblTime", QStringLiteral("30"));
    lblTime->hide();

    auto button = [this](const char* name, const QString& text) {
        auto* b = platform::named<QPushButton>(name, text, this);
        b->setAutoDefault(false);
        return b;
    };
    cmdYes = button("cmdYes", QStringLiteral("Yes"));
    cmdYesAll = button("cmdYesAll", QStringLiteral("Yes to All"));
    cmdNo = button("cmdNo", QStringLiteral("No"));
    Command1 = button("Command1", QStringLiteral("No to All"));
    cmdCancel = button("cmdCancel", QStringLiteral("Cancel"));
    // Enter keeps the file in place.
    cmdNo->setDefault(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    auto* details = new QVBoxLayout;
    for (QLabel* label : {Label1, lblFile, Label3, lblSize1, lblDate1, Label4, lblSize2, lblDate2})
        details->addWidget(label);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(details, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdYes, cmdYesAll, cmdNo, Command1, cmdCancel})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lblTime);
    layout->addLayout(buttons);

    connect(cmdYes, &QPushButton::clicked, this, &frmWarning::cmdYes_Click);
    connect(cmdNo, &QPushButton::clicked, this, &frmWarning::cmdNo_Click);
    connect(cmdYesAll, &QPushButton::clicked, this, &frmWarning::cmdYesAll_Click);
    connect(Command1, &QPushButton::clicked, this, &frmWarning::Command1_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmWarning::cmdCancel_Click);

    tmr30 = platform::namedTimer(this, "tmr30", 1000);
    connect(tmr30, &QTimer::timeout, this, &frmWarning::tmr30_Timer);

    Form_Load();
}

void frmWarning::Form_Load()
{
    localisation::Languages().ChangeLanguage(this, localisation::CurrentLanguage());
    stopRestoreWindowStayingInFront();

    const core::ProgramState& state = core::state();
    strTitle = state.ReplaceMode == 2 ? QStringLiteral("Folder replacement...") : QStringLiteral("File exists...");
    lblFile->setText(state.ExistingFilePath);
    lblSize1->setText(message("MSG_SIZE") + state.ExistingFileSize + message("MSG_BYTES"));
    lblDate1->setText(message("MSG_MODIFIED") + state.ExistingFileDate);
    lblSize2->setText(message("MSG_SIZE") + state.RestoredFileSize + QStringLiteral(" bytes"));
    lblDate2->setText(message("MSG_MODIFIED") + state.RestoredFileDate);
    setWindowTitle(strTitle + message("MSG_CLOSING1") + QStringLiteral(" 30 ") + message("MSG_CLOSING2"));
    QApplication::beep();
    tmr30->start();
}

void frmWarning::tmr30_Timer()
{
    const int left = lblTime->text().toInt() - 1;
    lblTime->setText(QString::number(left));
    if (left == 0) {
        cmdNo_Click();
        return;
    }
    cmdNo->setText(QStringLiteral("&No (%1)").arg(left));
    setWindowTitle(strTitle + message("MSG_CLOSING1") + QString::number(left)
                   + message(left <= 1 ? "MSG_CLOSING3" : "MSG_CLOSING2"));
}

void frmWarning::Form_Click()
{
    tmr30->stop();
    setWindowTitle(strTitle);
    cmdNo->setText(QStringLiteral("&No"));
}

void frmWarning::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Form_Click();
    QDialog::mousePressEvent(event);
}

void frmWarning::cmdYes_Click()
{
    answer(AnswerYes, QStringLiteral("REPLACE? Yes Clicked"));
}

void frmWarning::cmdNo_Click()
{
    answer(AnswerNo, QStringLiteral("REPLACE? No Clicked"));
}

void frmWarning::cmdYesAll_Click()
{
    answer(AnswerYesToAll, QStringLiteral("REPLACE? YES TO ALL Clicked"));
}

void frmWarning::Command1_Click()
{
    answer(AnswerNoToAll, QStringLiteral("REPLACE? NO TO ALL Clicked"));
}

void frmWarning::cmdCancel_Click()
{
    answer(AnswerCancel, QStringLiteral("REPLACE? CANCEL Clicked"));
}

void frmWarning::reject()
{
    // Closing the question without a button keeps the file in place, as the time-out does.
    if (!m_answered)
        cmdNo_Click();
    else
        QDialog::reject();
}

void frmWarning::answer(int code, const QString& logLine)
{
    if (m_answered)
        return;
    m_answered = true;
    tmr30->stop();
    core::LogEvent(logLine);
    core::state().ReplaceAnswer = code;
    // done() also finishes a close that the close box began.
    done(code);
}

std::optional<OverwriteAnswer> WarningQuestion::ask(const QString& existing, const QString& replacement,
                                                    platform::RunContext& run)
{
    core::ProgramState& state = core::state();
    // A text that cannot be read keeps what it showed before.
    state.ExistingFilePath = existing;
    const QFileInfo inPlace(existing);
    const QFileInfo restored(replacement);
    if (inPlace.exists())
        state.ExistingFileSize = QString::number(inPlace.size());
    if (restored.exists())
        state.RestoredFileSize = QString::number(restored.size());
    if (const auto date = core::GetFileDateModified(existing))
        state.ExistingFileDate = *date;
    if (const auto date = core::GetFileDateModified(replacement))
        state.RestoredFileDate = *date;

    QPointer<frmWarning> dialog = new frmWarning;
    std::optional<int> code;
    const QMetaObject::Connection answered
        = QObject::connect(dialog, &QDialog::finished, [&code](int result) { code = result; });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    const auto waiting = [&] { return !code && !dialog.isNull() && !run.stopRequested(); };
    while (waiting())
        platform::waitWhile(waiting, kAnswerPollMs);
    QObject::disconnect(answered);
    if (run.stopRequested()) {
        delete dialog.data();
        return std::nullopt;
    }
    // The question cannot go without an answer; should it, the file in place stays.
    return overwriteAnswerFor(code.value_or(NoAnswer)).value_or(OverwriteAnswer::No);
}

} // namespace restore
