#include "ftp/FtpSteps.h"

#include <utility>

#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "ftp/clsFtpClient.h"
#include "platform/EventLoop.h"
#include "platform/RunContext.h"

namespace ftp
{
namespace
{
// The session numbers a server's refusal as 16000 and its reply code.
constexpr int ReplyBase = 16000;
// Seconds allowed beyond the session's own time-out, which normally ends a silent operation first.
constexpr int MarginSeconds = 5;
} // namespace

FtpSteps::FtpSteps(clsFtpClient& client)
    : m_client(client)
{
    const auto ended = [this](int result) { m_result = result; };
    QObject::connect(&client, &clsFtpClient::OnConnect, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnCreateDirectory, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnDeleteFile, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnGetCurrentDirectory, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnSetCurrentDirectory, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnRemoveDirectory, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnRenameFile, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnDownloadFile, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnUploadFile, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnEnumFiles, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnQuitSession, &client, ended);
    QObject::connect(&client, &clsFtpClient::OnGetFileSize, &client, ended);
    const auto alive = [this] { m_quiet.restart(); };
    QObject::connect(&client, &clsFtpClient::OnDataTransferProgress, &client, alive);
    QObject::connect(&client, &clsFtpClient::OnStateChange, &client, alive);
    // A command of ours is a step forward; the server's replies alone are not, or a server that keeps
    // talking without ever finishing would hold the step for good.
    QObject::connect(&client, &clsFtpClient::SessionProtocolMessage, &client, [this](const QString& message, int type) {
        if (type != 0)
            return;
        m_quiet.restart();
        m_lastCommand = message.section(QLatin1Char(' '), 0, 0);
    });
}

FtpStep FtpSteps::run(const std::function<bool()>& start)
{
    FtpStep step;
    m_result.reset();
    m_lastCommand.clear();
    if (!start()) {
        step.setOutcome(platform::Result::failure(m_client.LastFtpError().Description));
        return step;
    }
    const auto givingUp = [this] { return m_giveUp && m_giveUp(); };
    const int limitMs = (m_client.TimeOut() + MarginSeconds) * 1000;
    m_quiet.start();
    const auto waiting = [&] { return !m_result && !givingUp() && m_quiet.elapsed() < limitMs; };
    while (waiting())
        platform::waitWhile(waiting, limitMs);
    if (!m_result || (givingUp() && *m_result != rsSuccess)) {
        step.ended = m_result || givingUp() ? FtpStep::Ended::GaveUp : FtpStep::Ended::TimedOut;
        if (step.ended == FtpStep::Ended::TimedOut)
            step.setOutcome(platform::Result::failure(
                QStringLiteral("The server did not answer within %1 seconds.").arg(limitMs / 1000)));
        m_client.CancelAsyncMethod();
        m_client.CloseControlConnection();
        return step;
    }
    const clsFtpError& error = m_client.LastFtpError();
    switch (*m_result) {
    case rsSuccess:
        step.setOutcome(platform::Result::success());
        return step;
    case rsTimeOut:
        step.ended = FtpStep::Ended::TimedOut;
        break;
    case rsCancelled:
        step.ended = FtpStep::Ended::GaveUp;
        break;
    default:
        if (error.Number > ReplyBase + 99 && error.Number < ReplyBase + 600) {
            step.ended = FtpStep::Ended::Refused;
            step.replyCode = error.Number - ReplyBase;
            step.refusedCommand = m_lastCommand;
        }
        break;
    }
    step.setOutcome(platform::Result::failure(
        step.replyCode ? QString::number(step.replyCode) + QLatin1Char(' ') + error.Description : error.Description));
    return step;
}

FtpStep FtpSteps::connect(platform::RunContext& run, const std::function<void(bool on)>& watchConnect)
{
    core::ProgramState& program = core::state();
    const auto stopped = [&run, this] {
        m_giveUp = [&run] { return run.stopRequested(); };
        FtpStep step;
        step.ended = FtpStep::Ended::GaveUp;
        step.setOutcome(platform::Result::stop());
        return step;
    };
    for (int attempt = 0;; ++attempt) {
        if (run.stopRequested())
            return stopped();
        program.bConnectTimedOut = false;
        m_giveUp = [&run, &program] { return run.stopRequested() || program.bConnectTimedOut; };
        if (watchConnect)
            watchConnect(true);
        QElapsedTimer waited;
        waited.start();
        FtpStep step = this->run([this] { return m_client.Connect(); });
        if (watchConnect)
            watchConnect(false);
        const bool outOfTime = program.bConnectTimedOut || step.ended == FtpStep::Ended::TimedOut;
        if (outOfTime && step.reason().isEmpty())
            step.setOutcome(platform::Result::failure(
                QStringLiteral("The server did not answer within %1 seconds.").arg((waited.elapsed() + 999) / 1000)));
        program.bConnectTimedOut = false;
        m_giveUp = [&run] { return run.stopRequested(); };
        if (step.succeeded())
            return step;
        // The user's stop is never tried again.
        if (run.stopRequested())
            return stopped();
        if (outOfTime && attempt < ConnectRetries) {
            core::LogEvent(QStringLiteral("FTP: Connecting again to ") + m_client.FtpServer());
            continue;
        }
        run.showStatus(QStringLiteral("FTP: Connection failed."));
        core::LogEvent(QStringLiteral("FTP: Connection Failed. ") + step.reason());
        if (outOfTime)
            step.ended = FtpStep::Ended::TimedOut;
        return step;
    }
}

void FtpSteps::quit()
{
    if (m_client.FtpSessionState() != clsFtpClient::StateNotConnected) {
        const std::function<bool()> giveUp = std::exchange(m_giveUp, {});
        run([this] { return m_client.QuitSession(); });
        m_giveUp = giveUp;
    }
    m_client.CloseControlConnection();
}

} // namespace ftp
