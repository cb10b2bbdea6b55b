#pragma once

#include <functional>
#include <optional>

#include <QString>

#include "platform/Result.h"

namespace ftp
{
class clsFtpClient;
}

namespace engine
{

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
};

// Runs the operations of one FTP session one at a time: starts each and waits, pumping events, for
// its completion, never longer than the session's own time-out and a margin, so that a server that
// stops answering cannot hold the caller.
class FtpSteps
{
public:
    explicit FtpSteps(ftp::clsFtpClient& client);

    // Checked while waiting; when it comes true the operation is cancelled.
    void setGiveUp(std::function<bool()> giveUp) { m_giveUp = std::move(giveUp); }

    FtpStep run(const std::function<bool()>& start);
    // Sends QUIT and waits for its 221 within the time-out; the connection is closed either way.
    void quit();

private:
    ftp::clsFtpClient& m_client;
    std::function<bool()> m_giveUp;
    std::optional<int> m_result;
};

} // namespace engine
