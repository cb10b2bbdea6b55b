#pragma once

#include <functional>
#include <optional>

#include <QElapsedTimer>
#include <QString>

#include "platform/Result.h"

namespace platform
{
class RunContext;
}

namespace ftp
{

class clsFtpClient;

// How one operation of an FTP session ended; a failure says how it ended.
struct FtpStep : platform::Result
{
    enum class Ended
    {
        // The server answered with a refusal; replyCode holds its code.
        Refused,
        // The connection failed or the session could not begin the operation.
        Failed,
        // Nothing came within the time allowed.
        TimedOut,
        // The caller's give-up condition came true while the operation was under way.
        GaveUp,
    };
    Ended ended = Ended::Failed;
    int replyCode = 0;
    // The command the refusal answered ("RNFR", "RNTO", ...).
    QString refusedCommand;
};

// Runs the operations of one FTP session one at a time: starts each and waits, pumping events, for
// its completion. A transfer may take as long as its bytes keep moving; once nothing has moved for
// the session's own time-out and a margin the wait ends, so that a server that stops answering
// cannot hold the caller.
class FtpSteps
{
public:
    explicit FtpSteps(clsFtpClient& client);

    // Checked while waiting; when it comes true the operation is cancelled.
    void setGiveUp(std::function<bool()> giveUp) { m_giveUp = std::move(giveUp); }

    FtpStep run(const std::function<bool()>& start);
    // Connects and logs in. An attempt that runs out of time (the session's time-out, or the
    // caller's connect limit raising the program's bConnectTimedOut) is made again, up to
    // ConnectRetries more times; a refusal, a failed connection and a stop of `run` are not.
    // `watchConnect` starts (true) and ends (false) that limit around each attempt. Afterwards the
    // session gives up when `run` is asked to stop. Out of time in the end: ended is TimedOut.
    FtpStep connect(platform::RunContext& run, const std::function<void(bool on)>& watchConnect);
    // Sends QUIT and waits for its 221 within the time-out; the connection is closed either way.
    void quit();

    // Attempts after the first one that ran out of time.
    static constexpr int ConnectRetries = 3;

private:
    clsFtpClient& m_client;
    std::function<bool()> m_giveUp;
    std::optional<int> m_result;
    // Restarted by every step forward of the session: a command sent, bytes moving.
    QElapsedTimer m_quiet;
    QString m_lastCommand;
};

} // namespace ftp
