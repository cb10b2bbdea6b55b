#include <cmath>

#include <QPlainTextEdit>

#include "core/Ask.h"
#include "core/ProgramState.h"
#include "engine/frmProcessing.h"
#include "platform/Clock.h"

namespace engine
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");

// "####.00": no leading zero, two decimals.
QString kibPerSecond(double bytesPerSecond)
{
    QString text = QString::number(bytesPerSecond / 1024.0, 'f', 2);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    return text;
}

void showError(QWidget* parent, const QString& text)
{
    core::ask(parent, text, platform::Icon::Critical);
}
} // namespace

IncrementalIndex& frmProcessing::incrementalIndex()
{
    if (!m_incrementalIndex)
        m_incrementalIndex = std::make_unique<IncrementalIndex>();
    return *m_incrementalIndex;
}

void frmProcessing::ShowUploadProgress(qint64 bytesSent, qint64 bytesTotal)
{
    const qint64 elapsedMs = uploadStart.isValid() ? uploadStart.msecsTo(platform::clock().now()) : 0;
    // No time elapsed yet: no rate rather than a division by zero.
    const double perSecond = elapsedMs > 0 ? std::floor(double(bytesSent) * 1000.0 / double(elapsedMs)) : 0.0;
    uploadRate = kibPerSecond(perSecond);
    showStatusNow(QStringLiteral("Uploading file... (") + QString::number(bytesSent / 1024) + QStringLiteral("Kb of ")
                  + QString::number(bytesTotal / 1024) + QStringLiteral("Kb)"));
    yield();
}

void frmProcessing::ShowFtpError(qint64 errorCode, const QString& description)
{
    showError(this,
              QStringLiteral("FTP Error:-") + CrLf + QStringLiteral("Error Code ") + QString::number(errorCode) + CrLf
                  + QStringLiteral(" Description ") + description);
    core::state().strFailureReason = QStringLiteral("FTP Error");
}

void frmProcessing::poSendMail_Progress(int PercentComplete)
{
    showStatusNow(QString::number(PercentComplete) + QStringLiteral("% Uploaded."));
}

void frmProcessing::poSendMail_SendFailed(const QString& Explanation)
{
    showStatusNow(QStringLiteral("Mail sending operation failed ") + Explanation);
    showError(this, QStringLiteral("Mail Sending Failed:-") + CrLf + Explanation);
    core::state().strFailureReason = QStringLiteral("Mail Sending Error");
}

void frmProcessing::poSendMail_SendSuccesful()
{
    showStatusNow(QStringLiteral("Done"));
    bDestinationOK = true;
}

} // namespace engine
